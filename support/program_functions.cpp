// The program functions of quendelsupport.h: the running executable's path and the
// title of its main window.

#include <unistd.h>

#include <cerrno>
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

HRESULT asGetThunderMainTitle(BStr* out) {
  if (!out) return E_POINTER;
  std::string name = program_invocation_short_name ? program_invocation_short_name : "";
  // The title a program has not set is its executable's name without extension.
  if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  *out = quendel::cp::fromUtf8(name);
  return S_OK;
}
