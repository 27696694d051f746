// The member table of qndQuendelSettings, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/settings/qnd_quendel_settings.h"

namespace quendel::toolvane {

namespace {

// Optional parameters without a default: missing when omitted.
ParamDesc optionalOf(std::u16string_view name, VarType type, unsigned flags = kIn) {
  return ParamDesc{String(name), type, flags | kOptional, {}};
}

LONG longOrZero(const CallArgs& a, std::size_t i) { return a.isMissing(i) ? 0 : a.lng(i); }
ObjectPtr objectOrNothing(const CallArgs& a, std::size_t i) { return a.isMissing(i) ? nullptr : a.obj(i); }
String stringOrEmpty(const CallArgs& a, std::size_t i) { return a.isMissing(i) ? String() : a.str(i); }
Variant objectResult(ObjectPtr o) { return o ? Variant(std::move(o)) : Variant::nothing(); }

constexpr char16_t kSaveHelp[] = u"Сохраняет положение, размеры и состояние формы.";
constexpr char16_t kLoadPixelsHelp[] =
    u"Восстанавливает положение, размеры и состояние формы. FixedWidth и FixedHeight задаются в пикселях.";
constexpr char16_t kLoadTwipsHelp[] =
    u"Восстанавливает положение, размеры и состояние формы. FixedWidth и FixedHeight задаются в твипах.";

}  // namespace

const ClassDesc& qndQuendelSettings::describe() {
  using C = qndQuendelSettings;
  const auto appTitle = [] { return optionalParam(u"AppTitle", vbString, Variant(String(kDefaultAppTitle))); };
  const auto verMajor = [] { return optionalOf(u"VerMajor", vbLong); };
  const auto verMinor = [] { return optionalOf(u"VerMinor", vbLong); };
  const auto subKey = [] { return param(u"SubKey", vbString); };
  const auto valueName = [] { return optionalParam(u"ValueName", vbString, Variant(String())); };
  const auto valueType = [] { return optionalParam(u"ValueType", vbLong, Variant(LONG{rtString})); };
  const auto appObject = [] { return optionalOf(u"AppObject", vbObject); };
  const auto userSetting = [] { return optionalParam(u"UserSetting", vbBoolean, Variant(true)); };
  const auto success = [] { return optionalOf(u"Success", vbBoolean, kIn | kOut); };
  const auto value = [] { return optionalParam(u"Value", vbVariant, Variant(String())); };
  const auto form = [] { return param(u"FormObject", vbObject); };
  const auto formKey = [] { return optionalParam(u"SubKey", vbString, Variant(String())); };
  const auto placementName = [] { return optionalParam(u"ValueName", vbString, Variant(kDefaultPlacementValue)); };
  const auto setMinimized = [] { return optionalParam(u"SetMinimized", vbBoolean, Variant(false)); };
  const auto pixels = [](std::u16string_view name) { return optionalParam(name, vbLong, Variant(LONG{0})); };
  const auto twips = [](std::u16string_view name) { return optionalParam(name, vbSingle, Variant(0.0f)); };
  const auto listView = [] { return param(u"ListViewObject", vbObject); };
  const auto listKey = [] { return optionalParam(u"SubKey", vbString, Variant(kDefaultListKey)); };

  static const ClassDesc d =
      ClassBuilder<C>(u"qndQuendelSettings")
          .ids(ids::qndQuendelSettings.clsid, ids::qndQuendelSettings.iid)
          .instancing(Instancing::Creatable)
          .creator([] { return std::make_shared<qndQuendelSettings>(); })
          .function(
              u"GetSettingPath", vbString, {appTitle(), verMajor(), verMinor(), optionalOf(u"KeyPath", vbString)},
              [](C& s, CallArgs& a) {
                return Variant(s.GetSettingPath(a.str(0), longOrZero(a, 1), longOrZero(a, 2), stringOrEmpty(a, 3)));
              })
          .function(u"GetSettingPath2", vbString, {param(u"AppObject", vbObject), optionalOf(u"KeyPath", vbString)},
                    [](C& s, CallArgs& a) { return Variant(s.GetSettingPath2(a.obj(0), stringOrEmpty(a, 1))); })
          .function(u"LoadSetting", vbVariant,
                    {subKey(), valueName(), valueType(), appTitle(), verMajor(), verMinor(),
                     optionalVariant(u"Default"), userSetting(), success()},
                    [](C& s, CallArgs& a) {
                      bool found = false;
                      Variant v = s.LoadSetting(a.str(0), a.str(1), a.lng(2), a.str(3), longOrZero(a, 4),
                                                longOrZero(a, 5), a[6], a.boolean(7), &found);
                      a.ref(8) = Variant(found);
                      return v;
                    })
          .function(u"SaveSetting", vbBoolean,
                    {subKey(), valueName(), valueType(), value(), appTitle(), verMajor(), verMinor(), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.SaveSetting(a.str(0), a.str(1), a.lng(2), a[3], a.str(4), longOrZero(a, 5),
                                                   longOrZero(a, 6), a.boolean(7)));
                    })
          .function(
              u"LoadSetting2", vbVariant,
              {subKey(), valueName(), valueType(), appObject(), optionalVariant(u"Default"), userSetting(), success()},
              [](C& s, CallArgs& a) {
                bool found = false;
                Variant v =
                    s.LoadSetting2(a.str(0), a.str(1), a.lng(2), objectOrNothing(a, 3), a[4], a.boolean(5), &found);
                a.ref(6) = Variant(found);
                return v;
              })
          .function(
              u"SaveSetting2", vbBoolean, {subKey(), valueName(), valueType(), value(), appObject(), userSetting()},
              [](C& s, CallArgs& a) {
                return Variant(s.SaveSetting2(a.str(0), a.str(1), a.lng(2), a[3], objectOrNothing(a, 4), a.boolean(5)));
              })
          .function(u"SaveFormPlacement", vbBoolean,
                    {form(), formKey(), placementName(), appTitle(), verMajor(), verMinor(), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.SaveFormPlacement(a.obj(0), a.str(1), a.str(2), a.str(3), longOrZero(a, 4),
                                                         longOrZero(a, 5), a.boolean(6)));
                    })
          .memberHelp(kSaveHelp)
          .function(
              u"SaveFormPlacement2", vbBoolean, {form(), formKey(), placementName(), appObject(), userSetting()},
              [](C& s, CallArgs& a) {
                return Variant(s.SaveFormPlacement2(a.obj(0), a.str(1), a.str(2), objectOrNothing(a, 3), a.boolean(4)));
              })
          .memberHelp(kSaveHelp)
          .function(
              u"LoadFormPlacementPx", vbBoolean,
              {form(), formKey(), placementName(), appTitle(), verMajor(), verMinor(), setMinimized(),
               pixels(u"FixedWidth"), pixels(u"FixedHeight"), userSetting()},
              [](C& s, CallArgs& a) {
                return Variant(s.LoadFormPlacementPx(a.obj(0), a.str(1), a.str(2), a.str(3), longOrZero(a, 4),
                                                     longOrZero(a, 5), a.boolean(6), a.lng(7), a.lng(8), a.boolean(9)));
              })
          .memberHelp(kLoadPixelsHelp)
          .function(u"LoadFormPlacementPx2", vbBoolean,
                    {form(), formKey(), placementName(), appObject(), setMinimized(), pixels(u"FixedWidth"),
                     pixels(u"FixedHeight"), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.LoadFormPlacementPx2(a.obj(0), a.str(1), a.str(2), objectOrNothing(a, 3),
                                                            a.boolean(4), a.lng(5), a.lng(6), a.boolean(7)));
                    })
          .memberHelp(kLoadPixelsHelp)
          .function(
              u"LoadFormPlacement", vbBoolean,
              {form(), formKey(), placementName(), appTitle(), verMajor(), verMinor(), setMinimized(),
               twips(u"FixedWidth"), twips(u"FixedHeight"), userSetting()},
              [](C& s, CallArgs& a) {
                return Variant(s.LoadFormPlacement(a.obj(0), a.str(1), a.str(2), a.str(3), longOrZero(a, 4),
                                                   longOrZero(a, 5), a.boolean(6), a.sng(7), a.sng(8), a.boolean(9)));
              })
          .memberHelp(kLoadTwipsHelp)
          .function(u"LoadFormPlacement2", vbBoolean,
                    {form(), formKey(), placementName(), appObject(), setMinimized(), twips(u"FixedWidth"),
                     twips(u"FixedHeight"), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.LoadFormPlacement2(a.obj(0), a.str(1), a.str(2), objectOrNothing(a, 3),
                                                          a.boolean(4), a.sng(5), a.sng(6), a.boolean(7)));
                    })
          .memberHelp(kLoadTwipsHelp)
          .function(u"SaveListViewColumns2", vbBoolean, {listView(), listKey(), appObject(), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.SaveListViewColumns2(a.obj(0), a.str(1), objectOrNothing(a, 2), a.boolean(3)));
                    })
          .memberHelp(u"Сохраняет ширину столбцов списка ListView (в твипах).")
          .function(u"LoadListViewColumns2", vbBoolean, {listView(), listKey(), appObject(), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.LoadListViewColumns2(a.obj(0), a.str(1), objectOrNothing(a, 2), a.boolean(3)));
                    })
          .memberHelp(u"Восстанавливает ширину столбцов списка ListView.")
          .function(u"SaveFont2", vbBoolean,
                    {optionalParam(u"SubKey", vbString, Variant(u"Unnamed Font")), optionalOf(u"Value", vbObject),
                     appObject(), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.SaveFont2(a.str(0), objectOrNothing(a, 1), objectOrNothing(a, 2), a.boolean(3)));
                    })
          .function(
              u"LoadFont2", vbObject,
              {optionalParam(u"SubKey", vbString, Variant(u"Unnamed Font")), appObject(),
               optionalOf(u"Default", vbObject), userSetting()},
              [](C& s, CallArgs& a) {
                return objectResult(s.LoadFont2(a.str(0), objectOrNothing(a, 1), objectOrNothing(a, 2), a.boolean(3)));
              })
          .function(u"SaveProxySettings2", vbBoolean,
                    {param(u"ProxySettingsObject", vbObject),
                     optionalParam(u"SubKey", vbString, Variant(u"HTTP Proxy")), appObject(), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.SaveProxySettings2(a.obj(0), a.str(1), objectOrNothing(a, 2), a.boolean(3)));
                    })
          .function(u"LoadProxySettings2", vbBoolean,
                    {param(u"ProxySettingsObject", vbObject),
                     optionalParam(u"SubKey", vbString, Variant(u"HTTP Proxy")), appObject(), userSetting()},
                    [](C& s, CallArgs& a) {
                      return Variant(s.LoadProxySettings2(a.obj(0), a.str(1), objectOrNothing(a, 2), a.boolean(3)));
                    })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndQuendelSettings.clsid, &qndQuendelSettings::describe);

}  // namespace quendel::toolvane
