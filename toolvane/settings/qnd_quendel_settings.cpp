#include "toolvane/settings/qnd_quendel_settings.h"

#include <algorithm>

#include "platform/registry/registry.h"
#include "support/quendelsupport.h"
#include "toolvane/settings/app_identity.h"
#include "toolvane/settings/prev_version_finder.h"
#include "toolvane/settings/settings_path.h"

namespace quendel::toolvane {

namespace {

LONG rootFor(bool userSetting) { return userSetting ? kRootCurrentUser : kRootLocalMachine; }

}  // namespace

qndQuendelSettings::qndQuendelSettings() : registry_(std::make_shared<qndRegistry>()) {}

String qndQuendelSettings::GetSettingPath(const String& AppTitle, LONG VerMajor, LONG VerMinor, const String& KeyPath) {
  return settingsPath(AppTitle, asFormatVersionShort(VerMajor, VerMinor), KeyPath);
}

String qndQuendelSettings::GetSettingPath2(const ObjectPtr& AppObject, const String& KeyPath) {
  AppIdentity app = readAppIdentity(AppObject);
  return GetSettingPath(app.title, app.major, app.minor, KeyPath);
}

Variant qndQuendelSettings::LoadSetting(const String& SubKey, const String& ValueName, LONG ValueType,
                                        const String& AppTitle, LONG VerMajor, LONG VerMinor, const Variant& Default,
                                        bool UserSetting, bool* Success) {
  const LONG root = rootFor(UserSetting);
  bool found = false;
  Variant value =
      readSetting(root, keyPaths_.ofVersion(AppTitle, VerMajor, VerMinor, SubKey), ValueName, ValueType, &found);
  if (!found && (VerMajor != 0 || VerMinor != 0)) {
    String previous = previousVersion(root, AppTitle, VerMajor, VerMinor);
    if (!previous.empty())
      value = readSetting(root, keyPaths_.ofVersionText(AppTitle, previous, SubKey), ValueName, ValueType, &found);
  }
  if (Success) *Success = found;
  if (found) return value;
  return Default.isMissing() ? registry_values::EmptyValueFor(ValueType) : Default;
}

Variant qndQuendelSettings::readSetting(LONG root, const SettingsKeyPaths::Key& key, const String& ValueName,
                                        LONG ValueType, bool* found) {
  if (key.status == ERROR_SUCCESS) return registry_->GetValueOfAnsiKey(root, key.ansi, ValueName, ValueType, found);
  *found = false;  // a key the ANSI code page cannot name holds nothing
  return Variant();
}

String qndQuendelSettings::previousVersion(LONG root, const String& AppTitle, LONG VerMajor, LONG VerMinor) {
  auto same = [&](const FoundPrevious& f) {
    return f.root == root && f.major == VerMajor && f.minor == VerMinor && f.title == AppTitle;
  };
  std::uint64_t before = 0;
  const bool counted = registry::hiveChangeCount(rootFromLong(root), &before) == ERROR_SUCCESS;
  auto kept = std::find_if(foundPrevious_.begin(), foundPrevious_.end(), same);
  if (counted && kept != foundPrevious_.end() && kept->hiveCount == before) return kept->previous;
  String found = modPrevVersionFinder::FindPreviousVersion(*registry_, root, AppTitle, VerMajor, VerMinor);
  // Kept only when nothing changed the hive while the versions were listed.
  std::uint64_t after = 0;
  if (kept != foundPrevious_.end()) foundPrevious_.erase(kept);
  if (counted && registry::hiveChangeCount(rootFromLong(root), &after) == ERROR_SUCCESS && after == before) {
    if (foundPrevious_.size() >= kMaxFoundPrevious) foundPrevious_.erase(foundPrevious_.begin());
    foundPrevious_.push_back(FoundPrevious{root, VerMajor, VerMinor, AppTitle, before, found});
  }
  return found;
}

bool qndQuendelSettings::SaveSetting(const String& SubKey, const String& ValueName, LONG ValueType,
                                     const Variant& Value, const String& AppTitle, LONG VerMajor, LONG VerMinor,
                                     bool UserSetting) {
  if (Value.isMissing()) return false;
  return registry_->SetValue(rootFor(UserSetting), GetSettingPath(AppTitle, VerMajor, VerMinor, SubKey), ValueName,
                             ValueType, Value);
}

Variant qndQuendelSettings::LoadSetting2(const String& SubKey, const String& ValueName, LONG ValueType,
                                         const ObjectPtr& AppObject, const Variant& Default, bool UserSetting,
                                         bool* Success) {
  AppIdentity app = readAppIdentity(AppObject);
  return LoadSetting(SubKey, ValueName, ValueType, app.title, app.major, app.minor, Default, UserSetting, Success);
}

bool qndQuendelSettings::SaveSetting2(const String& SubKey, const String& ValueName, LONG ValueType,
                                      const Variant& Value, const ObjectPtr& AppObject, bool UserSetting) {
  AppIdentity app = readAppIdentity(AppObject);
  return SaveSetting(SubKey, ValueName, ValueType, Value, app.title, app.major, app.minor, UserSetting);
}

}  // namespace quendel::toolvane
