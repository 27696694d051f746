// The registry entries that make the library's classes creatable by class identifier
// and ProgID, the way in-process servers register themselves:
//
//   HKCR\CLSID\{clsid}                  = ProgID, with InprocServer32 (library path,
//                                         ThreadingModel Apartment), ProgID, VERSION, TypeLib
//   HKCR\<ProgID>                       = ProgID, with CLSID = {clsid}
//   HKCR\Interface\{iid}                = _Class, with TypeLib {libid} Version 1.0
//   HKCR\TypeLib\{libid}\1.0            = help string, with 0\linux64 (library path),
//                                         FLAGS 0, HELPDIR (the library's folder)
//
// Classes that clients cannot create (CommandLineParser, Monitor) get their interface
// entries only. registerServer and unregisterServer return S_OK or SELFREG_E_CLASS (the
// registry refused a write, for example without the right to write HKCR's machine side);
// unregistering what is not registered is no failure.
#pragma once

#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

struct RegistryEntry {
  std::string key;        // below HKEY_CLASSES_ROOT
  std::string valueName;  // empty: the key's default value
  std::string value;
};

// The entries for a type library served from libraryPath (pure: no registry access).
std::vector<RegistryEntry> registrationEntries(const automation::TypeLibDesc& tl, const std::string& libraryPath);
// The top keys that unregistering removes, with everything below them.
std::vector<std::string> registrationKeys(const automation::TypeLibDesc& tl);

[[nodiscard]] HRESULT registerServer(const automation::TypeLibDesc& tl, const std::string& libraryPath);
[[nodiscard]] HRESULT unregisterServer(const automation::TypeLibDesc& tl);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
