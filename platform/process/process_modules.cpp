#include "platform/process/process_modules.h"

#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/codepage.h"
#include "support/proc_maps.h"

namespace {

// What the loader tells of one loaded object.
struct LoadedModule {
  std::uintptr_t base = 0;  // the handle
  std::uint64_t size = 0;
  std::uintptr_t entry = 0;
  std::string name;  // the loader's name: "" for the executable
};

std::uintptr_t pageSize() {
  long size = ::sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<std::uintptr_t>(size) : 4096;
}

int collect(dl_phdr_info* info, size_t, void* data) {
  auto* list = static_cast<std::vector<LoadedModule>*>(data);
  const bool executable = list->empty();  // the loader reports the program first
  const char* name = info->dlpi_name ? info->dlpi_name : "";
  // Objects without a file (the vDSO) have a bare name; every other one a path.
  if (!executable && !std::strchr(name, '/')) return 0;
  std::uint64_t lowest = std::numeric_limits<std::uint64_t>::max(), highest = 0;
  const ElfW(Phdr)* first = nullptr;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& ph = info->dlpi_phdr[i];
    if (ph.p_type != PT_LOAD) continue;
    if (ph.p_vaddr < lowest) {
      lowest = ph.p_vaddr;
      first = &ph;
    }
    highest = std::max<std::uint64_t>(highest, ph.p_vaddr + ph.p_memsz);
  }
  if (!first) return 0;
  const std::uintptr_t page = pageSize();
  LoadedModule m;
  m.base = (info->dlpi_addr + lowest) & ~(page - 1);
  m.size = ((info->dlpi_addr + highest + page - 1) & ~(page - 1)) - m.base;
  // The ELF header is mapped at the base when the lowest segment starts the file.
  if (first->p_offset == 0 && (first->p_flags & PF_R) != 0) {
    const auto* eh = reinterpret_cast<const ElfW(Ehdr)*>(m.base);
    if (std::memcmp(eh->e_ident, ELFMAG, SELFMAG) == 0 && eh->e_entry != 0) m.entry = info->dlpi_addr + eh->e_entry;
  }
  m.name = executable ? "" : name;
  list->push_back(std::move(m));
  return 0;
}

std::vector<LoadedModule> loadedModules() {
  std::vector<LoadedModule> list;
  dl_iterate_phdr(collect, &list);
  return list;
}

HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

bool isCurrentProcess(HANDLE process) {
  if (process == kCurrentProcess) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

// The module of a handle (nullptr: the executable when allowNull), or false with the
// last error set.
bool findModule(HMODULE module, bool allowNull, LoadedModule* out) {
  std::vector<LoadedModule> list = loadedModules();
  auto wanted = reinterpret_cast<std::uintptr_t>(module);
  for (LoadedModule& m : list) {
    if ((module == nullptr && allowNull && m.name.empty()) || (module != nullptr && m.base == wanted)) {
      *out = std::move(m);
      return true;
    }
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

// The full path of a module's file: the file that the map shows at its base (the real
// file, where the loader's name may go through a symbolic link such as /lib), else the
// loader's name, or for the program the executable's link.
std::string modulePath(const LoadedModule& m) {
  std::vector<quendel::MapsEntry> maps;
  if (quendel::readProcMaps(0, &maps))
    if (auto file = quendel::mappedFileAt(maps, m.base)) return file->path;
  if (!m.name.empty()) return m.name;
  std::string buffer(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  return n > 0 ? buffer.substr(0, static_cast<size_t>(n)) : std::string();
}

// Copies text (the file system's UTF-8) into an ANSI buffer as the A functions do.
DWORD copyAnsi(const std::string& utf8, char* buffer, DWORD size) {
  std::string ansi = quendel::cp::unicodeToAnsi(quendel::cp::fromUtf8(utf8));
  size_t n = std::min<size_t>(ansi.size(), size - 1);
  // Never end inside a UTF-8 sequence when the text is cut short.
  if (n < ansi.size() && quendel::cp::ansiCodePage() == 65001)
    while (n > 0 && (static_cast<unsigned char>(ansi[n]) & 0xC0) == 0x80) --n;
  std::memcpy(buffer, ansi.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

DWORD moduleText(HANDLE process, HMODULE module, char* buffer, DWORD size, bool baseNameOnly) {
  if (!isCurrentProcess(process)) return 0;
  if (!buffer || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  LoadedModule m;
  if (!findModule(module, true, &m)) return 0;
  std::string path = modulePath(m);
  if (baseNameOnly) path = path.substr(path.find_last_of('/') + 1);
  return copyAnsi(path, buffer, size);
}

}  // namespace

HANDLE GetCurrentProcess() { return kCurrentProcess; }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD cb, DWORD* needed) {
  if (!isCurrentProcess(process)) return FALSE;
  if (!needed || (!modules && cb != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<LoadedModule> list = loadedModules();
  const size_t room = cb / kModuleHandleBytes;
  for (size_t i = 0; i < list.size() && i < room; ++i) modules[i] = reinterpret_cast<HMODULE>(list[i].base);
  *needed = static_cast<DWORD>(std::min<std::uint64_t>(list.size() * kModuleHandleBytes, 0xFFFFFFFFu));
  return TRUE;
}

DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, char* fileName, DWORD size) {
  return moduleText(process, module, fileName, size, false);
}

DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, char* baseName, DWORD size) {
  return moduleText(process, module, baseName, size, true);
}

BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD cb) {
  if (!isCurrentProcess(process)) return FALSE;
  if (!info || cb < sizeof(MODULEINFO)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  LoadedModule m;
  if (!findModule(module, false, &m)) return FALSE;
  if (m.size > 0xFFFFFFFFu) {
    SetLastError(ERROR_ARITHMETIC_OVERFLOW);
    return FALSE;
  }
  info->lpBaseOfDll = reinterpret_cast<void*>(m.base);
  info->SizeOfImage = static_cast<DWORD>(m.size);
  info->EntryPoint = reinterpret_cast<void*>(m.entry);
  return TRUE;
}
