// qndQuendelSettings: SaveProxySettings2 and LoadProxySettings2.
#include "toolvane/settings/password_cryptor.h"
#include "toolvane/settings/qnd_quendel_settings.h"

namespace quendel::toolvane {

namespace {

struct ProxyValue {
  const char16_t* valueName;
  LONG type;
  const char16_t* property;
};

// In the order they are saved and loaded; the password is last.
constexpr ProxyValue kProxyValues[] = {
    {u"AccessType", rtLong, u"HTTP_AccessType"},   {u"Address", rtString, u"HTTP_Address"},
    {u"BypassList", rtString, u"HTTP_BypassList"}, {u"BypassLocal", rtBoolean, u"HTTP_BypassLocal"},
    {u"UserName", rtString, u"HTTP_UserName"},     {u"Password", rtString, u"HTTP_Password"},
};

bool isPassword(const ProxyValue& row) { return row.valueName == kProxyValues[5].valueName; }

// The property's value in the kind its registry value holds.
Variant asStoredKind(const Variant& v, LONG type) {
  switch (type) {
    case rtLong: return Variant(v.toLong());
    case rtBoolean: return Variant(v.toBool());
    default: return Variant(v.toString());
  }
}

}  // namespace

bool qndQuendelSettings::SaveProxySettings2(const ObjectPtr& ProxySettingsObject, const String& SubKey,
                                            const ObjectPtr& AppObject, bool UserSetting) {
  if (!ProxySettingsObject) throw RuntimeError(91);
  for (const ProxyValue& row : kProxyValues) {
    Variant v = asStoredKind(ProxySettingsObject->get(row.property), row.type);
    if (isPassword(row)) v = Variant(modPasswordCryptor::ScramblePassword(v.toString()));
    SaveSetting2(SubKey, row.valueName, row.type, v, AppObject, UserSetting);
  }
  return true;
}

bool qndQuendelSettings::LoadProxySettings2(const ObjectPtr& ProxySettingsObject, const String& SubKey,
                                            const ObjectPtr& AppObject, bool UserSetting) {
  if (!ProxySettingsObject) throw RuntimeError(91);
  bool all = true;
  for (const ProxyValue& row : kProxyValues) {
    bool found = false;
    Variant v = LoadSetting2(SubKey, row.valueName, row.type, AppObject, registry_values::EmptyValueFor(row.type),
                             UserSetting, &found);
    if (isPassword(row)) v = Variant(modPasswordCryptor::UnscramblePassword(v.toString()));
    ProxySettingsObject->let(row.property, v);
    if (!found) all = false;
  }
  return all;
}

}  // namespace quendel::toolvane
