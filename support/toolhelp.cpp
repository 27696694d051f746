// The module snapshot functions of quendelsupport.h over /proc/<pid>/maps.

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "support/codepage.h"
#include "support/elf_image.h"
#include "support/kernel_handles.h"
#include "support/proc_maps.h"
#include "support/quendelsupport.h"

namespace {

constexpr DWORD kAcceptedFlags = TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32 | TH32CS_INHERIT;
constexpr DWORD kModuleId = 1;           // the one value Toolhelp reports
constexpr DWORD kUsageUnknown = 0xFFFF;  // what Toolhelp reports for the usage counts
constexpr std::string_view kDeleted = " (deleted)";

class ModuleSnapshot : public quendel::KernelObject {
 public:
  explicit ModuleSnapshot(std::vector<MODULEENTRY32> entries)
      : KernelObject(quendel::KernelObjectKind::ModuleSnapshot), entries_(std::move(entries)) {}

  // The entry at the walk's start (first) or the next one; false at the end.
  bool next(bool first, MODULEENTRY32* out) {
    std::lock_guard<std::mutex> guard(lock_);
    if (first) cursor_ = 0;
    if (cursor_ >= entries_.size()) return false;
    *out = entries_[cursor_++];
    return true;
  }

 private:
  std::mutex lock_;
  std::vector<MODULEENTRY32> entries_;
  size_t cursor_ = 0;
};

// Copies text with its NUL into a field; false when it does not fit.
template <size_t N>
bool copyField(char (&field)[N], std::string_view text) {
  if (text.size() >= N) return false;
  std::memcpy(field, text.data(), text.size());
  field[text.size()] = '\0';
  return true;
}

std::string_view fileName(std::string_view path) {
  if (path.size() > kDeleted.size() && path.substr(path.size() - kDeleted.size()) == kDeleted)
    path.remove_suffix(kDeleted.size());
  return path.substr(path.find_last_of('/') + 1);
}

bool isExecutable(const quendel::MappedFile& f, const struct stat& exe) {
  return f.inode == exe.st_ino && f.devMajor == major(exe.st_dev) && f.devMinor == minor(exe.st_dev);
}

}  // namespace

HRESULT asCreateToolhelp32Snapshot(DWORD flags, LONG pid, HANDLE* out) {
  if (!out) return E_POINTER;
  if ((flags & TH32CS_SNAPMODULE) == 0 || (flags & ~kAcceptedFlags) != 0 || pid < 0) return E_INVALIDARG;
  std::vector<quendel::MapsEntry> maps;
  if (!quendel::readProcMaps(pid, &maps)) {
    *out = INVALID_HANDLE_VALUE;
    return S_OK;
  }
  const DWORD processId = static_cast<DWORD>(pid == 0 ? ::getpid() : pid);
  struct stat exe {};
  const bool haveExe = ::stat((quendel::procFolder(pid) + "/exe").c_str(), &exe) == 0;
  std::vector<MODULEENTRY32> entries;
  for (const quendel::MappedFile& f : quendel::mappedFiles(maps)) {
    // Only ELF files are modules; a mapped font, cache or database file is not.
    quendel::MappedHeaders headers;
    if (!headers.open(pid, f) || !quendel::hasElfMagic(headers.fd(), headers.base(), headers.size())) continue;
    MODULEENTRY32 e{};
    e.dwSize = sizeof e;
    e.th32ModuleID = kModuleId;
    e.th32ProcessID = processId;
    e.GlblcntUsage = kUsageUnknown;
    e.ProccntUsage = kUsageUnknown;
    e.modBaseAddr = reinterpret_cast<BYTE*>(f.low);
    e.modBaseSize = f.high - f.low;
    e.hModule = reinterpret_cast<HMODULE>(f.low);
    // The kernel's paths fit PATH_MAX; one that did not could only be listed cut, which
    // would name another file, so it is left out.
    // The record's texts are ANSI, as the A functions give them; file names are UTF-8.
    const std::string path = quendel::cp::unicodeToAnsi(quendel::cp::fromUtf8(f.path));
    if (!copyField(e.szModule, fileName(path)) || !copyField(e.szExePath, path)) continue;
    if (haveExe && isExecutable(f, exe))
      entries.insert(entries.begin(), e);
    else
      entries.push_back(e);
  }
  *out = quendel::addKernelHandle(std::make_shared<ModuleSnapshot>(std::move(entries)));
  return S_OK;
}

namespace {

HRESULT walk(HANDLE snapshot, MODULEENTRY32* entry, bool first, bool* out) {
  if (!entry || !out) return E_POINTER;
  auto object = quendel::findKernelHandle(snapshot, quendel::KernelObjectKind::ModuleSnapshot);
  if (!object) return E_HANDLE;
  if (entry->dwSize != sizeof(MODULEENTRY32)) return HRESULT_FROM_WIN32(ERROR_BAD_LENGTH);
  *out = static_cast<ModuleSnapshot&>(*object).next(first, entry);
  return S_OK;
}

}  // namespace

HRESULT asModule32First(HANDLE snapshot, MODULEENTRY32* entry, bool* out) { return walk(snapshot, entry, true, out); }

HRESULT asModule32Next(HANDLE snapshot, MODULEENTRY32* entry, bool* out) { return walk(snapshot, entry, false, out); }
