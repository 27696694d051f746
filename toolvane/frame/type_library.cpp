#include "toolvane/frame/type_library.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/frame/library_object.h"

namespace quendel::toolvane {

namespace {

std::vector<EnumDesc> enumerations() {
  auto e = [](std::u16string_view name, const char* guid, std::vector<std::pair<String, LONG>> values) {
    return EnumDesc{String(name), guidFromLiteral(guid), std::move(values)};
  };
  auto root = [](DWORD v) { return static_cast<LONG>(v); };
  return {
      e(u"ActivationMethodConst", "{757EBBD7-0566-4C10-9FA7-FCDE0B870C31}",
        {{u"amNormal", 69}, {u"amViaMessage", 70}, {u"amNormalWithMinimizeToTrayHook", 71}}),
      e(u"RegistryRoot_Const", "{B6783682-DD83-43DD-ADF4-EBD5ABF53B6D}",
        {{u"HKEY_CLASSES_ROOT", root(0x80000000u)},
         {u"HKEY_CURRENT_USER", root(0x80000001u)},
         {u"HKEY_LOCAL_MACHINE", root(0x80000002u)},
         {u"HKEY_USERS", root(0x80000003u)},
         {u"HKEY_PERFORMANCE_DATA", root(0x80000004u)},
         {u"HKEY_CURRENT_CONFIG", root(0x80000005u)},
         {u"HKEY_DYN_DATA", root(0x80000006u)}}),
      e(u"RegistryType_Const", "{911E20CF-48FC-4E36-A25A-93E6470745FE}",
        {{u"rtString", 0}, {u"rtLong", 1}, {u"rtBinary", 2}, {u"rtBoolean", 3}}),
      e(u"GetHTMLReturnValue", "{3C3C48F1-B11D-4C2D-9992-CA91F54284B3}",
        {{u"ghrvRaw", 0},
         {u"ghrvHTML", 1},
         {u"ghrvContextStart", 2},
         {u"ghrvContextEnd", 3},
         {u"ghrvFragment", 4},
         {u"ghrvSelection", 5},
         {u"ghrvSourceURL", 6}}),
      e(u"MonitorFromFlags", "{4D46EEFA-49B1-4F31-A23F-759CAD95071F}",
        {{u"mffDefaultToNull", 0}, {u"mffDefaultToPrimary", 1}, {u"mffDefaultToNearest", 2}}),
  };
}

// The member table the class registered, with its identifiers, instancing and help
// string. Every public class registers one; a class missing from the build is a
// packaging fault no client could work around, so the library stops rather than hand
// out a type library without it.
const ClassDesc* listed(std::u16string_view name) {
  for (const ClassRegistration::Entry& e : ClassRegistration::registered()) {
    const ClassDesc& d = e.describe();
    if (d.name == name) return &d;
  }
  // A last word before aborting: nothing to do if it cannot be written.
  (void)std::fprintf(stderr, "Toolvane0305: class %s has no member table\n",
                     std::string(name.begin(), name.end()).c_str());
  std::abort();
}

}  // namespace

const TypeLibDesc& typeLibrary() {
  static const TypeLibDesc tl = [] {
    TypeLibDesc t;
    t.name = kLibraryName;
    t.help = u"Quendel - Библиотека общих функций 3.05";
    t.libid = guidFromLiteral(ids::kLibrary);
    t.major = 1;
    t.minor = 0;
    t.lcid = 0x409;
    t.classes = {
        listed(u"qndMain"),
        listed(u"qndAlone"),
        listed(u"qndBenchMark"),
        listed(u"qndSimpleListDialog"),
        listed(u"qndRegistry"),
        listed(u"qndQuendelSettings"),
        listed(u"qndBenchMarkHP"),
        listed(u"qndTextBoxDefButtonWatcher"),
        listed(u"qndTabControl"),
        listed(u"CommandLineParser"),
        listed(u"qndAutorunSupport"),
        listed(u"qndClipboard"),
        listed(u"qndErr"),
        listed(u"qndMultiMonitor"),
        listed(u"Monitor"),
    };
    t.enums = enumerations();
    return t;
  }();
  return tl;
}

}  // namespace quendel::toolvane
