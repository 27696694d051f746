#include "toolvane/settings/settings_key_paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <string>

#include "support/codepage.h"
#include "toolvane/settings/registry_values.h"

namespace quendel::toolvane {
namespace {

using automation::String;

constexpr char kRoot[] = "Software\\Kestrane\\Quendel\\";

// Sets QUENDEL_ACP for a scope and puts back what was there before.
class AnsiCodePage {
 public:
  explicit AnsiCodePage(const char* number) {
    if (const char* before = std::getenv("QUENDEL_ACP")) before_ = before;
    setenv("QUENDEL_ACP", number, 1);
    cp::resetForTests();
  }
  ~AnsiCodePage() {
    if (before_.empty())
      unsetenv("QUENDEL_ACP");
    else
      setenv("QUENDEL_ACP", before_.c_str(), 1);
    cp::resetForTests();
  }
  AnsiCodePage(const AnsiCodePage&) = delete;
  AnsiCodePage& operator=(const AnsiCodePage&) = delete;

 private:
  std::string before_;
};

TEST(SettingsKeyPaths, EveryRequestGetsTheKeyOfItsOwnVersionAndPath) {
  AnsiCodePage utf8("65001");
  struct Case {
    const char* what;
    String title;
    LONG major, minor;
    const char16_t* versionText;  // null: by major and minor
    String keyPath;
    std::string expected;
  };
  const Case cases[] = {
      {"a version key", u"App", 1, 2, nullptr, u"", std::string(kRoot) + "App\\Version 1.2"},
      {"a key below it", u"App", 1, 2, nullptr, u"Main", std::string(kRoot) + "App\\Version 1.2\\Main"},
      {"another minor", u"App", 1, 3, nullptr, u"Main", std::string(kRoot) + "App\\Version 1.3\\Main"},
      {"another major", u"App", 2, 2, nullptr, u"Main", std::string(kRoot) + "App\\Version 2.2\\Main"},
      {"another title", u"Äpp", 1, 2, nullptr, u"Main", std::string(kRoot) + "\xC3\x84pp\\Version 1.2\\Main"},
      {"a key path in another case", u"App", 1, 2, nullptr, u"MAIN", std::string(kRoot) + "App\\Version 1.2\\MAIN"},
      {"a version by its text", u"App", 0, 0, u"1.2", u"Main", std::string(kRoot) + "App\\Version 1.2\\Main"},
      {"a version text of three parts", u"App", 0, 0, u"1.2.7", u"Main",
       std::string(kRoot) + "App\\Version 1.2.7\\Main"},
  };
  SettingsKeyPaths paths;
  // Twice over: the second pass answers from what the first kept, in another order.
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      const Case& c = cases[pass == 0 ? i : std::size(cases) - 1 - i];
      SCOPED_TRACE(std::string(c.what) + (pass ? " (kept)" : ""));
      const SettingsKeyPaths::Key& k = c.versionText ? paths.ofVersionText(c.title, c.versionText, c.keyPath)
                                                     : paths.ofVersion(c.title, c.major, c.minor, c.keyPath);
      EXPECT_EQ(ERROR_SUCCESS, k.status);
      EXPECT_EQ(c.expected, k.ansi);
    }
  }
}

TEST(SettingsKeyPaths, KeysBeyondTheBoundAreMadeAgainCorrectly) {
  AnsiCodePage utf8("65001");
  SettingsKeyPaths paths;
  for (LONG minor = 0; minor < 100; ++minor) {
    const std::string expected = std::string(kRoot) + "App\\Version 1." + std::to_string(minor % 40) + "\\K";
    EXPECT_EQ(expected, paths.ofVersion(u"App", 1, minor % 40, u"K").ansi) << minor;
  }
}

TEST(SettingsKeyPaths, FollowsTheAnsiCodePageAndRefusesWhatItCannotHold) {
  SettingsKeyPaths paths;
  {
    AnsiCodePage western("1252");
    const SettingsKeyPaths::Key& k = paths.ofVersion(u"Прога", 1, 0, u"");
    EXPECT_EQ(kErrorNoUnicodeTranslation, k.status);
    EXPECT_TRUE(k.ansi.empty());
  }
  {
    AnsiCodePage cyrillic("1251");
    const SettingsKeyPaths::Key& k = paths.ofVersion(u"Прога", 1, 0, u"");
    EXPECT_EQ(ERROR_SUCCESS, k.status) << "converted again in the new code page";
    EXPECT_EQ(std::string(kRoot) + "\xCF\xF0\xEE\xE3\xE0\\Version 1.0", k.ansi);
  }
  AnsiCodePage utf8("65001");
  EXPECT_EQ(ERROR_INVALID_PARAMETER, paths.ofVersion(String(u"A\0B", 3), 1, 0, u"").status);
  EXPECT_EQ(ERROR_INVALID_PARAMETER, paths.ofVersionText(u"A", u"1.0", String(u"K\0", 2)).status);
}

}  // namespace
}  // namespace quendel::toolvane
