#include "platform/clipboard/clipboard_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/case_fold.h"
#include "support/codepage.h"

namespace quendel::clipboard {
namespace {

constexpr char kDataMagic[8] = {'Q', 'N', 'D', 'C', 'L', 'I', 'P', 1};
constexpr char kFormatsMagic[8] = {'Q', 'N', 'D', 'F', 'M', 'T', 1, 0};
constexpr std::size_t kHeaderSize = 8 + 8 + 4 + 4 + 8;
constexpr std::size_t kEntrySize = 4 + 4 + 8 + 8;
constexpr UINT kFirstRegistered = 0xC000;
constexpr UINT kLastRegistered = 0xFFFF;
constexpr std::size_t kLongestName = 255;

DWORD win32From(int err) {
  switch (err) {
    case ENOENT: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return 112;  // ERROR_DISK_FULL
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_ACCESS_DENIED;
  }
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

// A folder for the store: created 0700, must be ours, a real folder, and private.
bool preparePrivateFolder(const std::string& path, DWORD* error) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    if (error) *error = win32From(errno);
    return false;
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    if (error) *error = ERROR_ACCESS_DENIED;
    return false;
  }
  if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) {
    if (error) *error = ERROR_ACCESS_DENIED;
    return false;
  }
  return true;
}

void putU32(BYTE* p, DWORD v) { std::memcpy(p, &v, 4); }
void putU64(BYTE* p, std::uint64_t v) { std::memcpy(p, &v, 8); }
DWORD getU32(const BYTE* p) {
  DWORD v;
  std::memcpy(&v, p, 4);
  return v;
}
std::uint64_t getU64(const BYTE* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

bool writeAll(int fd, const BYTE* p, std::size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

std::string tempName(const SessionFolder& folder, const char* base) {
  static std::atomic<unsigned> counter{0};
  return folder.file(base) + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(++counter);
}

// Temporary files of writers that died before their rename.
void sweepTemporaries(const SessionFolder& folder) {
  DIR* d = ::opendir(folder.path().c_str());
  if (!d) return;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    auto at = name.find(".tmp.");
    if (at == std::string::npos) continue;
    long pid = std::strtol(name.c_str() + at + 5, nullptr, 10);
    if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      ::unlinkat(::dirfd(d), name.c_str(), 0);
    }
  }
  ::closedir(d);
}

// Writes bytes to a private temporary file and renames it over the target.
bool replaceFile(const SessionFolder& folder, const char* base, const std::vector<const Bytes*>& parts,
                 const std::vector<BYTE>& head, DWORD* error) {
  std::string tmp = tempName(folder, base);
  Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!fd) {
    if (error) *error = win32From(errno);
    return false;
  }
  bool ok = writeAll(fd.get(), head.data(), head.size());
  for (const Bytes* b : parts) {
    if (!ok) break;
    ok = writeAll(fd.get(), b->data, b->size);
  }
  if (!ok || ::rename(tmp.c_str(), folder.file(base).c_str()) != 0) {
    if (error) *error = win32From(errno);
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

Bytes mapFile(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return {};
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return {};
  const auto size = static_cast<std::size_t>(st.st_size);
  void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
  if (p == MAP_FAILED) return {};
  Bytes b;
  b.data = static_cast<const BYTE*>(p);
  b.size = size;
  b.keeper = std::shared_ptr<const void>(p, [size](const void* q) { ::munmap(const_cast<void*>(q), size); });
  return b;
}

// --- registered names ---

struct NameTable {
  std::vector<std::pair<UINT, std::string>> names;
};

NameTable readNames(const SessionFolder& folder) {
  NameTable t;
  Bytes f = mapFile(folder.file("formats"));
  if (f.size < 8 || std::memcmp(f.data, kFormatsMagic, 8) != 0) return t;
  std::size_t at = 8;
  while (at + 8 <= f.size) {
    UINT id = getU32(f.data + at);
    DWORD len = getU32(f.data + at + 4);
    at += 8;
    if (len > kLongestName || len > f.size - at || id < kFirstRegistered || id > kLastRegistered) break;
    t.names.emplace_back(id, std::string(reinterpret_cast<const char*>(f.data + at), len));
    at += len;
  }
  return t;
}

std::u16string foldFormatName(const std::string& name) { return text::foldCase(cp::ansiToUnicode(name)); }

class FormatsLock {
 public:
  explicit FormatsLock(const SessionFolder& folder)
      : fd_(::open(folder.file("formats.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_) {
      while (::flock(fd_.get(), LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  bool ok() const { return static_cast<bool>(fd_); }

 private:
  Fd fd_;  // closing drops the lock
};

}  // namespace

std::optional<SessionFolder> SessionFolder::open(DWORD* error) {
  std::string path;
  if (const char* d = std::getenv("QUENDEL_CLIPBOARD_DIR"); d && *d) {
    path = d;
  } else if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r == '/') {
    path = std::string(r) + "/quendel-clipboard";
  } else {
    path = "/tmp/quendel-clipboard-" + std::to_string(::geteuid());
  }
  if (!preparePrivateFolder(path, error)) return std::nullopt;
  SessionFolder f;
  f.path_ = std::move(path);
  return f;
}

bool StoreLock::tryAcquire(const SessionFolder& folder) {
  release();
  int fd = ::open(folder.file("lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  int r;
  while ((r = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (r != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void StoreLock::release() {
  if (fd_ >= 0) ::close(fd_);  // closing the description drops the flock
  fd_ = -1;
}

std::vector<BYTE> encodeSnapshotHeader(const Snapshot& s) {
  std::vector<BYTE> head(kHeaderSize + kEntrySize * s.entries.size(), 0);
  std::memcpy(head.data(), kDataMagic, 8);
  putU64(head.data() + 8, s.generation);
  putU32(head.data() + 16, static_cast<DWORD>(s.origin));
  putU32(head.data() + 20, static_cast<DWORD>(s.entries.size()));
  putU64(head.data() + 24, s.desktopFingerprint);
  std::uint64_t offset = head.size();
  for (std::size_t i = 0; i < s.entries.size(); ++i) {
    BYTE* e = head.data() + kHeaderSize + kEntrySize * i;
    putU32(e, s.entries[i].format);
    putU64(e + 8, offset);
    putU64(e + 16, s.entries[i].bytes.size);
    offset += s.entries[i].bytes.size;
  }
  return head;
}

bool decodeSnapshot(const Bytes& file, Snapshot* out) {
  if (file.size < kHeaderSize || std::memcmp(file.data, kDataMagic, 8) != 0) return false;
  Snapshot s;
  s.generation = getU64(file.data + 8);
  s.origin = getU32(file.data + 16) == 1 ? Origin::Desktop : Origin::Library;
  const DWORD count = getU32(file.data + 20);
  s.desktopFingerprint = getU64(file.data + 24);
  if (count > (file.size - kHeaderSize) / kEntrySize) return false;
  for (DWORD i = 0; i < count; ++i) {
    const BYTE* e = file.data + kHeaderSize + kEntrySize * i;
    const std::uint64_t offset = getU64(e + 8), size = getU64(e + 16);
    if (offset > file.size || size > file.size - offset) return false;
    Entry entry;
    entry.format = getU32(e);
    entry.bytes.keeper = file.keeper;
    entry.bytes.data = file.data + offset;
    entry.bytes.size = static_cast<std::size_t>(size);
    s.entries.push_back(std::move(entry));
  }
  *out = std::move(s);
  return true;
}

Snapshot readSnapshot(const SessionFolder& folder) {
  Snapshot s;
  Bytes f = mapFile(folder.file("data"));
  if (f.size == 0 || !decodeSnapshot(f, &s)) return Snapshot{};
  return s;
}

bool writeSnapshot(const SessionFolder& folder, const Snapshot& s, DWORD* error) {
  sweepTemporaries(folder);
  std::vector<const Bytes*> parts;
  for (const auto& e : s.entries) parts.push_back(&e.bytes);
  return replaceFile(folder, "data", parts, encodeSnapshotHeader(s), error);
}

UINT registerFormatName(const SessionFolder& folder, const std::string& name) {
  if (name.empty() || name.size() > kLongestName) return 0;
  if (UINT id = formatIdOf(folder, name)) return id;  // the common case needs no lock
  FormatsLock lock(folder);
  if (!lock.ok()) return 0;
  NameTable t = readNames(folder);
  const std::u16string folded = foldFormatName(name);
  UINT next = kFirstRegistered;
  for (const auto& [id, n] : t.names) {
    if (foldFormatName(n) == folded) return id;
    next = std::max(next, id + 1);
  }
  if (next > kLastRegistered) return 0;
  t.names.emplace_back(next, name);
  std::vector<BYTE> image(kFormatsMagic, kFormatsMagic + 8);
  for (const auto& [id, n] : t.names) {
    BYTE rec[8];
    putU32(rec, id);
    putU32(rec + 4, static_cast<DWORD>(n.size()));
    image.insert(image.end(), rec, rec + 8);
    image.insert(image.end(), n.begin(), n.end());
  }
  if (!replaceFile(folder, "formats", {}, image, nullptr)) return 0;
  return next;
}

std::optional<std::string> formatNameOf(const SessionFolder& folder, UINT id) {
  if (id < kFirstRegistered || id > kLastRegistered) return std::nullopt;
  for (auto& [i, n] : readNames(folder).names) {
    if (i == id) return n;
  }
  return std::nullopt;
}

UINT formatIdOf(const SessionFolder& folder, const std::string& name) {
  if (name.empty()) return 0;
  const std::u16string folded = foldFormatName(name);
  for (auto& [id, n] : readNames(folder).names) {
    if (foldFormatName(n) == folded) return id;
  }
  return 0;
}

}  // namespace quendel::clipboard
