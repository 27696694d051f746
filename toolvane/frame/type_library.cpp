#include "toolvane/frame/type_library.h"

#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/frame/pending_class.h"

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

// The class's own table when it has registered one, else its identifiers alone.
const ClassDesc* listed(std::u16string_view name, const ids::ClassIds& classIds, Instancing instancing,
                        std::u16string_view help = {}) {
  for (DescribeFn describe : ClassRegistration::registered()) {
    const ClassDesc& d = describe();
    if (d.name == name) return &d;
  }
  return &PendingClass::describe(name, classIds, instancing, help);
}

}  // namespace

const TypeLibDesc& typeLibrary() {
  static const TypeLibDesc tl = [] {
    using I = Instancing;
    TypeLibDesc t;
    t.name = kLibraryName;
    t.help = u"Quendel - Библиотека общих функций 3.05";
    t.libid = guidFromLiteral(ids::kLibrary);
    t.major = 1;
    t.minor = 0;
    t.lcid = 0x409;
    t.classes = {
        listed(u"qndMain", ids::qndMain, I::Global, u"Класс разных глобальных функций"),
        listed(u"qndAlone", ids::qndAlone, I::Creatable, u"Класс проверки уникальности программы в памяти"),
        listed(u"qndBenchMark", ids::qndBenchMark, I::Creatable),
        listed(u"qndSimpleListDialog", ids::qndSimpleListDialog, I::Creatable),
        listed(u"qndRegistry", ids::qndRegistry, I::Creatable),
        listed(u"qndQuendelSettings", ids::qndQuendelSettings, I::Creatable),
        listed(u"qndBenchMarkHP", ids::qndBenchMarkHP, I::Creatable),
        listed(u"qndTextBoxDefButtonWatcher", ids::qndTextBoxDefButtonWatcher, I::Creatable),
        listed(u"qndTabControl", ids::qndTabControl, I::Creatable),
        listed(u"CommandLineParser", ids::CommandLineParser, I::NotCreatable),
        listed(u"qndAutorunSupport", ids::qndAutorunSupport, I::Global),
        listed(u"qndClipboard", ids::qndClipboard, I::Global),
        listed(u"qndErr", ids::qndErr, I::Global),
        listed(u"qndMultiMonitor", ids::qndMultiMonitor, I::Creatable, u"Класс информации о мониторах."),
        listed(u"Monitor", ids::Monitor, I::NotCreatable, u"Класс информации о конкретном мониторе."),
    };
    t.enums = enumerations();
    return t;
  }();
  return tl;
}

}  // namespace quendel::toolvane
