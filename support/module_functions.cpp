// The file, module and debugging functions of quendelsupport.h.

#include <elf.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "support/codepage.h"
#include "support/quendelsupport.h"

using quendel::BStr;

HRESULT asGetLongFileName(const BStr& path, BStr* out) {
  if (!out) return E_POINTER;
  std::string p = quendel::cp::toUtf8(path);
  if (char* real = realpath(p.c_str(), nullptr)) {
    *out = quendel::cp::fromUtf8(real);
    std::free(real);
  } else {
    *out = path;  // no short names on Linux: a path that does not resolve is its own long form
  }
  return S_OK;
}

HRESULT asEnableDebugPrivilege(bool enable, bool* out) {
  if (!out) return E_POINTER;
  // Reading other processes' module lists needs no privilege switch on Linux; the
  // kernel's ptrace rules decide per process.
  (void)enable;
  *out = true;
  return S_OK;
}

HRESULT asGetModulePreferredBaseAddr(LONG pid, std::uintptr_t loadAddress, std::uintptr_t* out) {
  if (!out) return E_POINTER;
  std::string maps = "/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) + "/maps";
  std::ifstream in(maps);
  if (!in) return E_ACCESSDENIED;
  std::string line, file;
  while (std::getline(in, line)) {
    unsigned long long lo = 0, hi = 0, off = 0;
    char perms[8] = {};
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%llx-%llx %7s %llx %*s %*s%n", &lo, &hi, perms, &off, &consumed) < 4) continue;
    if (loadAddress < lo || loadAddress >= hi) continue;
    auto slash = line.find('/', static_cast<size_t>(consumed));
    if (slash == std::string::npos) return E_INVALIDARG;
    file = line.substr(slash);
    break;
  }
  if (file.empty()) return E_INVALIDARG;
  std::ifstream elf(file, std::ios::binary);
  Elf64_Ehdr eh{};
  if (!elf.read(reinterpret_cast<char*>(&eh), sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
      eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_phentsize != sizeof(Elf64_Phdr) || eh.e_phnum > 4096)
    return E_INVALIDARG;
  std::uintptr_t base = std::numeric_limits<std::uintptr_t>::max();
  for (unsigned i = 0; i < eh.e_phnum; ++i) {
    Elf64_Phdr ph{};
    elf.seekg(static_cast<std::streamoff>(eh.e_phoff + i * sizeof ph));
    if (!elf.read(reinterpret_cast<char*>(&ph), sizeof ph)) return E_INVALIDARG;
    if (ph.p_type == PT_LOAD && ph.p_vaddr < base) base = ph.p_vaddr & ~static_cast<std::uintptr_t>(0xFFF);
  }
  if (base == std::numeric_limits<std::uintptr_t>::max()) return E_INVALIDARG;
  *out = base;
  return S_OK;
}

HRESULT asDebugPrint(const BStr& text) {
  const char* flag = std::getenv("QUENDEL_DEBUG");
  if (!flag || !*flag) return S_OK;
  std::string line = quendel::cp::toUtf8(text) + "\n";
  ssize_t ignored = write(STDERR_FILENO, line.data(), line.size());
  (void)ignored;
  return S_OK;
}

HRESULT asOutputDebugString(const BStr& text) { return asDebugPrint(text); }
