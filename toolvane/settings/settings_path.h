// The key layout of the settings store: every program version keeps its settings in
//
//   Software\Kestrane\Quendel\<title>\Version <major>.<minor>[\<key path>]
//
// under HKEY_CURRENT_USER (user settings) or HKEY_LOCAL_MACHINE (machine settings).
#pragma once

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

inline constexpr char16_t kSettingsRoot[] = u"Software\\Kestrane\\Quendel\\";

// The key of one version; keyPath is appended after a "\" when not empty.
inline automation::String settingsPath(const automation::String& title, const automation::String& versionText,
                                       const automation::String& keyPath) {
  automation::String path = automation::String(kSettingsRoot) + title + u"\\Version " + versionText;
  if (!keyPath.empty()) path += u"\\" + keyPath;
  return path;
}

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
