#include "toolvane/settings/settings_key_paths.h"

#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "toolvane/settings/qnd_registry.h"
#include "toolvane/settings/settings_path.h"

namespace quendel::toolvane {

template <typename Matches, typename Make>
const SettingsKeyPaths::Key& SettingsKeyPaths::find(const automation::String& title, const automation::String& keyPath,
                                                    Matches matches, Make make) {
  const unsigned codePage = cp::ansiCodePage();
  auto same = [&](const Entry& e) {
    return e.used && matches(e) && e.codePage == codePage && e.title == title && e.keyPath == keyPath;
  };
  // A program mostly reads several values of one key in a row: the last entry first.
  if (same(entries_[last_])) return entries_[last_].key;
  for (std::size_t i = 0; i < kMaxKeys; ++i) {
    if (same(entries_[i])) {
      last_ = i;
      return entries_[i].key;
    }
  }
  Entry& e = entries_[next_];
  last_ = next_;
  next_ = (next_ + 1) % kMaxKeys;
  e = Entry{};
  make(e);
  e.title = title;
  e.keyPath = keyPath;
  e.codePage = codePage;
  std::string ansi;
  e.key.status = qndRegistry::AnsiName(
      settingsPath(title, e.byText ? e.versionText : asFormatVersionShort(e.major, e.minor), keyPath), &ansi);
  if (e.key.status == ERROR_SUCCESS) e.key.ansi = std::move(ansi);
  e.used = true;
  return e.key;
}

const SettingsKeyPaths::Key& SettingsKeyPaths::ofVersion(const automation::String& title, LONG major, LONG minor,
                                                         const automation::String& keyPath) {
  return find(
      title, keyPath, [&](const Entry& e) { return !e.byText && e.major == major && e.minor == minor; },
      [&](Entry& e) {
        e.major = major;
        e.minor = minor;
      });
}

const SettingsKeyPaths::Key& SettingsKeyPaths::ofVersionText(const automation::String& title,
                                                             const automation::String& versionText,
                                                             const automation::String& keyPath) {
  return find(
      title, keyPath, [&](const Entry& e) { return e.byText && e.versionText == versionText; },
      [&](Entry& e) {
        e.byText = true;
        e.versionText = versionText;
      });
}

}  // namespace quendel::toolvane
