// The registry keys of the settings one qndQuendelSettings reads, in the ANSI form the
// registry takes, kept per program title, version and key path so that a repeated read
// neither formats a version nor converts a name.
//
//   SettingsKeyPaths paths;
//   const SettingsKeyPaths::Key& k = paths.ofVersion(u"Quendel - Pixgrow", 1, 2, u"Main");
//   if (k.status == ERROR_SUCCESS) reg.GetValueOfAnsiKey(root, k.ansi, u"LastFile");
//   // k.ansi == "Software\\Kestrane\\Quendel\\Quendel - Pixgrow\\Version 1.2\\Main"
//
// A key comes from settingsPath() and qndRegistry::AnsiName(); status is the latter's
// (1113 or 87 for a path the ANSI code page cannot hold, ansi then empty). Keys are kept
// with the code page they were converted in and made again when it changed. Bounded: the
// oldest is replaced when all kMaxKeys are taken. A reference stays valid until the next
// call.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class SettingsKeyPaths {
 public:
  struct Key {
    LONG status = 0;
    std::string ansi;
  };

  // The key of version major.minor of title, with keyPath below it ("" for none).
  const Key& ofVersion(const automation::String& title, LONG major, LONG minor, const automation::String& keyPath);
  // The key of the version that versionText names (as the fall-back finds it).
  const Key& ofVersionText(const automation::String& title, const automation::String& versionText,
                           const automation::String& keyPath);

 private:
  // Enough for every key of the settings a program reads often.
  static constexpr std::size_t kMaxKeys = 32;

  struct Entry {
    bool used = false;
    bool byText = false;  // named by versionText, else by major and minor
    LONG major = 0, minor = 0;
    unsigned codePage = 0;
    automation::String title, versionText, keyPath;
    Key key;
  };

  // The entry for which matches; else a new one made by make().
  template <typename Matches, typename Make>
  const Key& find(const automation::String& title, const automation::String& keyPath, Matches matches, Make make);

  std::array<Entry, kMaxKeys> entries_;
  std::size_t last_ = 0;  // the entry found or made last, looked at first
  std::size_t next_ = 0;  // the entry replaced next
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
