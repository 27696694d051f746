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

static const ClassRegistration registration(&qndQuendelSettings::describe);

}  // namespace quendel::toolvane
