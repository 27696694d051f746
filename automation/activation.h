// Activation: creating the classes of in-process server libraries by class identifier or
// ProgID, as COM clients do.
//
//   ObjectPtr main = coCreateInstance(guidFromLiteral("{11A03114-F930-4396-BAEE-F68402BA5BE7}"));
//   ObjectPtr reg = createObject(u"TvFuncs0305.qndRegistry");
//
// A class is found through the registry: HKCR\CLSID\{clsid}\InprocServer32 names the
// library file, HKCR\<ProgID>\CLSID the class identifier. A class that is not registered
// is looked for registration-free: the family's server libraries (libtoolvane0305.so) in
// the folder of the executable, in ../lib beside it, and in the folders added with
// addServerSearchPath (the Python module adds its own). The library is loaded with
// dlopen and asked through its DllGetClassObject export.
//
// Failures: a class found nowhere raises REGDB_E_CLASSNOTREG (0x80040154, "Class not
// registered"); a malformed class identifier CO_E_CLASSSTRING; a ProgID that is not
// registered REGDB_E_CLASSNOTREG; a class that is not creatable CLASS_E_CLASSNOTAVAILABLE.
// The HRESULT forms return the status and leave the output untouched.
#pragma once

#include <string>
#include <string_view>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

// What DllGetClassObject hands out.
class ClassFactory {
 public:
  virtual ~ClassFactory() = default;
  virtual ObjectPtr createInstance() = 0;
};

// The exports of a server library, with C linkage:
//   HRESULT DllGetClassObject(const CLSID* clsid, const IID* iid, void** factory);
//     (*factory receives a ClassFactory*, owned by the library)
//   HRESULT DllCanUnloadNow(); HRESULT DllRegisterServer(); HRESULT DllUnregisterServer();
//   const TypeLibDesc* QuendelGetTypeLibrary();
using DllGetClassObjectFn = HRESULT (*)(const CLSID*, const IID*, void**);
using QuendelGetTypeLibraryFn = const TypeLibDesc* (*)();

[[nodiscard]] HRESULT CoCreateInstance(const CLSID& clsid, ObjectPtr* out);
[[nodiscard]] HRESULT CLSIDFromProgID(std::u16string_view progId, CLSID* out);

// The raising forms.
ObjectPtr coCreateInstance(const CLSID& clsid);
// Takes a ProgID ("TvFuncs0305.qndMain") or a class identifier in braces.
ObjectPtr createObject(std::u16string_view progIdOrClsid);

// The type library of a server library, by its identifier (registered under
// HKCR\TypeLib, else registration-free); null when not found.
const TypeLibDesc* loadTypeLibrary(const GUID& libid);

void addServerSearchPath(const std::string& folder);
// The library file that serves clsid, registered or registration-free; empty when none.
std::string serverPathFor(const CLSID& clsid);

// The registration-free file names of the family's servers: the development link, then the
// soname, which an installed tree without the development files still has.
inline constexpr const char* kFamilyServers[] = {"libtoolvane0305.so", "libtoolvane0305.so.3"};

}  // namespace quendel::automation

QUENDEL_EXPORT_END
