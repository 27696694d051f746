// The program functions of quendelsupport.h: the running executable's path (the main
// window's title is in window_functions.cpp).

#include <unistd.h>

#include <string>

#include "support/codepage.h"
#include "support/quendelsupport.h"

using quendel::BStr;

HRESULT asGetEXEModulePrettyFileName(BStr* out) {
  if (!out) return E_POINTER;
  std::string path(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return E_FAIL;
  path.resize(static_cast<size_t>(n));
  // A binary replaced while running is reported with this suffix.
  const std::string deleted = " (deleted)";
  if (path.size() > deleted.size() && path.ends_with(deleted)) path.resize(path.size() - deleted.size());
  *out = quendel::cp::fromUtf8(path);
  return S_OK;
}
