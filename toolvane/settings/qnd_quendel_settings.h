// qndQuendelSettings: the settings store of the family's programs, one registry key per
// program title and version (settings_path.h), with fall-back to the newest earlier
// version (prev_version_finder.h), plus fonts and proxy settings kept in the same key.
//
//   qndQuendelSettings s;
//   s.SaveFormPlacement2(form, u"", u"Window placement", app);   // when the form closes
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
// Window placement: SaveFormPlacement stores the form's WINDOWPLACEMENT (44 bytes, as
// GetWindowPlacement fills it) as a binary value, by default "Window placement" in the
// key named after the form. LoadFormPlacementPx reads it back (with the fall-back), takes
// only a value of exactly 44 bytes whose length field is 44, puts the restored rectangle
// in order, applies SetMinimized and the fixed sizes (pixels; 0 keeps the stored size)
// and returns whether SetWindowPlacement succeeded. LoadFormPlacement takes the fixed
// sizes in twips: CLng(twips) \ CLng(twips per pixel) of the screen. The form needs hWnd
// and Name.
//
// List views: SaveListViewColumns2 stores "Column <n> Width" (n from 1, twips, Long) for
// each of ColumnHeaders.Count columns, asking the view's window with LVM_GETCOLUMNWIDTH;
// a count or width that cannot be read is skipped. LoadListViewColumns2 sets each column
// with a stored width (LVM_SETCOLUMNWIDTH, pixels); the others keep theirs. A window
// without a handler of list-view messages counts as unreadable: nothing is saved for it.
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

#include <cstdint>
#include <vector>

#include <memory>

#include "support/export.h"
#include "toolvane/frame/library_object.h"
#include "toolvane/settings/qnd_registry.h"
#include "toolvane/settings/settings_key_paths.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

inline constexpr char16_t kDefaultAppTitle[] = u"Quendel - Grumm";
inline constexpr char16_t kDefaultPlacementValue[] = u"Window placement";
inline constexpr char16_t kDefaultListKey[] = u"Unnamed List";

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

  bool SaveFormPlacement(const ObjectPtr& FormObject, const String& SubKey = {},
                         const String& ValueName = kDefaultPlacementValue, const String& AppTitle = kDefaultAppTitle,
                         LONG VerMajor = 0, LONG VerMinor = 0, bool UserSetting = true);
  bool SaveFormPlacement2(const ObjectPtr& FormObject, const String& SubKey = {},
                          const String& ValueName = kDefaultPlacementValue, const ObjectPtr& AppObject = nullptr,
                          bool UserSetting = true);
  bool LoadFormPlacementPx(const ObjectPtr& FormObject, const String& SubKey = {},
                           const String& ValueName = kDefaultPlacementValue, const String& AppTitle = kDefaultAppTitle,
                           LONG VerMajor = 0, LONG VerMinor = 0, bool SetMinimized = false, LONG FixedWidth = 0,
                           LONG FixedHeight = 0, bool UserSetting = true);
  bool LoadFormPlacementPx2(const ObjectPtr& FormObject, const String& SubKey = {},
                            const String& ValueName = kDefaultPlacementValue, const ObjectPtr& AppObject = nullptr,
                            bool SetMinimized = false, LONG FixedWidth = 0, LONG FixedHeight = 0,
                            bool UserSetting = true);
  bool LoadFormPlacement(const ObjectPtr& FormObject, const String& SubKey = {},
                         const String& ValueName = kDefaultPlacementValue, const String& AppTitle = kDefaultAppTitle,
                         LONG VerMajor = 0, LONG VerMinor = 0, bool SetMinimized = false, float FixedWidth = 0,
                         float FixedHeight = 0, bool UserSetting = true);
  bool LoadFormPlacement2(const ObjectPtr& FormObject, const String& SubKey = {},
                          const String& ValueName = kDefaultPlacementValue, const ObjectPtr& AppObject = nullptr,
                          bool SetMinimized = false, float FixedWidth = 0, float FixedHeight = 0,
                          bool UserSetting = true);
  bool SaveListViewColumns2(const ObjectPtr& ListViewObject, const String& SubKey = kDefaultListKey,
                            const ObjectPtr& AppObject = nullptr, bool UserSetting = true);
  bool LoadListViewColumns2(const ObjectPtr& ListViewObject, const String& SubKey = kDefaultListKey,
                            const ObjectPtr& AppObject = nullptr, bool UserSetting = true);

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
  // The earlier version LoadSetting falls back to, found afresh only when the hive changed
  // since it was last found (registry::hiveChangeCount).
  String previousVersion(LONG root, const String& AppTitle, LONG VerMajor, LONG VerMinor);
  // One read of ValueName in key; *found False when it could not be read.
  Variant readSetting(LONG root, const SettingsKeyPaths::Key& key, const String& ValueName, LONG ValueType,
                      bool* found);
  struct FoundPrevious {
    LONG root, major, minor;
    String title;
    std::uint64_t hiveCount;
    String previous;
  };
  static constexpr std::size_t kMaxFoundPrevious = 16;

  std::shared_ptr<qndRegistry> registry_;
  std::vector<FoundPrevious> foundPrevious_;  // most recent last
  SettingsKeyPaths keyPaths_;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
