#include "platform/sync/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "platform/sync/mutex_names.h"
#include "support/kernel_handles.h"

namespace {

using namespace std::chrono_literals;

// A lock that a misbehaving process keeps for ever must not hang us: after this long we
// go on without it.
constexpr auto kLockPatience = 2s;

// One open handle of a mutex; closing the handle releases the claim.
struct MutexEntry : quendel::KernelObject {
  MutexEntry() : KernelObject(quendel::KernelObjectKind::Mutex) {}
  ~MutexEntry() override;
  MutexEntry(const MutexEntry&) = delete;
  MutexEntry& operator=(const MutexEntry&) = delete;

  int fd = -1;  // -1 for an unnamed mutex
  std::string file;
};

DWORD win32FromErrno(int e) {
  switch (e) {
    case EACCES:
    case EPERM:
    case ELOOP:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_INVALID_FUNCTION;
  }
}

bool flockPatiently(int fd, int operation) {
  auto deadline = std::chrono::steady_clock::now() + kLockPatience;
  for (;;) {
    if (::flock(fd, operation | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
}

// The folder, made shared and sticky when missing; its descriptor, or -1 with errno set.
int openFolder(const std::string& dir) {
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) {
    if (errno != ENOENT) return -1;
    if (::mkdir(dir.c_str(), 01777) == 0) {
      ::chmod(dir.c_str(), 01777);  // past the umask
    } else if (errno != EEXIST) {
      return -1;
    }
  }
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == ELOOP) errno = ENOTDIR;
  return fd;
}

// Serialises creation, opening and removal of the lock files of one folder.
class FolderGate {
 public:
  explicit FolderGate(int dirFd) : fd_(dirFd) { locked_ = flockPatiently(fd_, LOCK_EX); }
  ~FolderGate() {
    if (locked_) ::flock(fd_, LOCK_UN);
  }
  FolderGate(const FolderGate&) = delete;
  FolderGate& operator=(const FolderGate&) = delete;

 private:
  int fd_;
  bool locked_;
};

// Opens the lock file of a name (creating it when missing): its descriptor and whether
// this call created it, or -1 with errno set.
int openLockFile(int dirFd, const std::string& file, bool* created) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int flags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int fd = ::openat(dirFd, file.c_str(), O_RDWR | flags);
    if (fd < 0 && errno == EACCES) fd = ::openat(dirFd, file.c_str(), O_RDONLY | flags);
    if (fd >= 0) {
      *created = false;
      return fd;
    }
    if (errno != ENOENT) return -1;
    fd = ::openat(dirFd, file.c_str(), O_RDWR | O_CREAT | O_EXCL | flags, 0644);
    if (fd >= 0) {
      ::fchmod(fd, 0644);
      *created = true;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EAGAIN;
  return -1;
}

// The last holder removes the file, if it is still the one this handle holds.
MutexEntry::~MutexEntry() {
  if (fd < 0) return;
  int dirFd = ::open(quendel::platform::mutexDirectory().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dirFd < 0) {
    ::close(fd);
    return;
  }
  {
    FolderGate gate(dirFd);
    struct stat held {
    }, named{};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
        ::fstatat(dirFd, file.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      ::unlinkat(dirFd, file.c_str(), 0);
    }
    ::close(fd);  // inside the gate, so no other closer sees our lock after the check
  }
  ::close(dirFd);
}

HANDLE failWith(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, const char* name) {
  if (!name || !*name) {
    HANDLE h = quendel::addKernelHandle(std::make_shared<MutexEntry>());
    SetLastError(ERROR_SUCCESS);
    return h;
  }
  const std::string dir = quendel::platform::mutexDirectory();
  int dirFd = openFolder(dir);
  if (dirFd < 0) return failWith(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);

  auto owned = std::make_shared<MutexEntry>();
  MutexEntry& entry = *owned;
  entry.file = quendel::platform::mutexFileName(name);
  bool existed = false;
  {
    FolderGate gate(dirFd);
    bool created = false;
    entry.fd = openLockFile(dirFd, entry.file, &created);
    if (entry.fd < 0) {
      DWORD error = win32FromErrno(errno);
      ::close(dirFd);
      return failWith(error);
    }
    struct stat st {};
    if (::fstat(entry.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(entry.fd);
      entry.fd = -1;  // not a claim: nothing for the destructor to release
      ::close(dirFd);
      return failWith(ERROR_ACCESS_DENIED);
    }
    // Nobody holds it when we can lock it alone; holders keep shared locks. Turning the
    // exclusive lock into a shared one is not atomic, which the gate makes harmless.
    if (::flock(entry.fd, LOCK_EX | LOCK_NB) == 0) {
      ::flock(entry.fd, LOCK_SH | LOCK_NB);
    } else {
      existed = true;
      flockPatiently(entry.fd, LOCK_SH);
    }
  }
  ::close(dirFd);
  HANDLE h = quendel::addKernelHandle(std::move(owned));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}
