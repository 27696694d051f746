// The file, module and debugging functions of quendelsupport.h.

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/codepage.h"
#include "support/elf_image.h"
#include "support/proc_maps.h"
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
  if (pid < 0) return E_INVALIDARG;
  std::vector<quendel::MapsEntry> maps;
  if (!quendel::readProcMaps(pid, &maps)) return E_ACCESSDENIED;
  std::optional<quendel::MappedFile> file = quendel::mappedFileAt(maps, loadAddress);
  if (!file) return E_INVALIDARG;
  quendel::MappedHeaders headers;
  if (!headers.open(pid, *file)) return errno == EACCES || errno == EPERM ? E_ACCESSDENIED : E_INVALIDARG;
  quendel::ElfLoadInfo info;
  if (!quendel::readElfLoadInfo(headers.fd(), headers.base(), headers.size(), &info)) return E_INVALIDARG;
  *out = quendel::preferredBase(info, file->low);
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
