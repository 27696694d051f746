// qndQuendelSettings: the settings store of the family's programs, one registry key per
// program title and version (settings_path.h), with fall-back to the newest earlier
// version (prev_version_finder.h), plus fonts and proxy settings kept in the same key.
//
//   qndQuendelSettings s;
//   s.SaveSetting(u"Main", u"LastFile", rtString, Variant(u"a.png"), u"Quendel - Pixgrow", 1, 2);
//   bool found = false;
//   Variant v = s.LoadSetting(u"Main", u"LastFile", rtString, u"Quendel - Pixgrow", 1, 3, Variant::missing(),
//                             true, &found);   // "a.png", found through version 1.2
//
// Every member comes in two forms: the first takes AppTitle, VerMajor and VerMinor, the
// "2" form reads Title, Major and Minor from the client's application object by name.
// UserSetting True keeps a setting under HKEY_CURRENT_USER, False under
// HKEY_LOCAL_MACHINE. SubKey is the key path below the version key ("" is the version key).
//
// LoadSetting reads the current version's value; when it is missing and the version is
// not 0.0, the value of the newest earlier version; else it returns Default when given
// and the type's empty value when not, with *Success False. The fall-back only reads;
// saves always go to the current version. SaveSetting returns False for a missing Value
// or one of the wrong subtype (nothing is created then) and for any registry failure.
//
// Fonts: SaveFont2 writes Size (rounded), Size2 (size x 1000), Italic, Strikethrough,
// Underline, Charset, Weight and Name; LoadFont2 prefers Size2, takes each missing value
// from Default (a new standard font when none is given) and returns a new StdFont, or,
// when the stored values make no valid font (size not in (0, 2160] points, weight
// outside 0..1000), Default itself - Nothing when no Default was given.
//
// Proxy: the six HTTP_* properties of the client's object under the values AccessType,
// Address, BypassList, BypassLocal, UserName and Password (scrambled by
// password_cryptor.h). LoadProxySettings2 assigns all six and returns True only when
// all six were found.
//
// Failures: registry failures never raise. A "2" form without an application object
// raises 91; failing late-bound reads of client objects and failing support-library
// calls raise their run-time errors; a proxy password the ANSI code page cannot hold
// raises 6 after the five values before it were saved.
#pragma once

#include <memory>

#include "toolvane/frame/library_object.h"
#include "toolvane/settings/qnd_registry.h"

namespace quendel::toolvane {

inline constexpr char16_t kDefaultAppTitle[] = u"Quendel - Grumm";

class qndQuendelSettings : public LibraryObject {
 public:
  qndQuendelSettings();

  String GetSettingPath(const String& AppTitle = kDefaultAppTitle, LONG VerMajor = 0, LONG VerMinor = 0,
                        const String& KeyPath = {});
  String GetSettingPath2(const ObjectPtr& AppObject, const String& KeyPath = {});
  Variant LoadSetting(const String& SubKey, const String& ValueName = {}, LONG ValueType = rtString,
                      const String& AppTitle = kDefaultAppTitle, LONG VerMajor = 0, LONG VerMinor = 0,
                      const Variant& Default = Variant::missing(), bool UserSetting = true, bool* Success = nullptr);
  bool SaveSetting(const String& SubKey, const String& ValueName = {}, LONG ValueType = rtString,
                   const Variant& Value = Variant(String()), const String& AppTitle = kDefaultAppTitle,
                   LONG VerMajor = 0, LONG VerMinor = 0, bool UserSetting = true);
  Variant LoadSetting2(const String& SubKey, const String& ValueName = {}, LONG ValueType = rtString,
                       const ObjectPtr& AppObject = nullptr, const Variant& Default = Variant::missing(),
                       bool UserSetting = true, bool* Success = nullptr);
  bool SaveSetting2(const String& SubKey, const String& ValueName = {}, LONG ValueType = rtString,
                    const Variant& Value = Variant(String()), const ObjectPtr& AppObject = nullptr,
                    bool UserSetting = true);

  bool SaveFont2(const String& SubKey = u"Unnamed Font", const ObjectPtr& Value = nullptr,
                 const ObjectPtr& AppObject = nullptr, bool UserSetting = true);
  // A StdFont, or null (Nothing).
  ObjectPtr LoadFont2(const String& SubKey = u"Unnamed Font", const ObjectPtr& AppObject = nullptr,
                      const ObjectPtr& Default = nullptr, bool UserSetting = true);

  bool SaveProxySettings2(const ObjectPtr& ProxySettingsObject, const String& SubKey = u"HTTP Proxy",
                          const ObjectPtr& AppObject = nullptr, bool UserSetting = true);
  bool LoadProxySettings2(const ObjectPtr& ProxySettingsObject, const String& SubKey = u"HTTP Proxy",
                          const ObjectPtr& AppObject = nullptr, bool UserSetting = true);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  std::shared_ptr<qndRegistry> registry_;
};

}  // namespace quendel::toolvane
