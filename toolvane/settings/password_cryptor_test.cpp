#include "toolvane/settings/password_cryptor.h"

#include <gtest/gtest.h>

#include <set>

#include "support/codepage.h"
#include "support/testing.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;
using namespace modPasswordCryptor;
using automation::String;

class PasswordCryptorTest : public ::testing::Test {
 protected:
  void useCodePage(const char* acp) {
    setenv("QUENDEL_ACP", acp, 1);
    cp::resetForTests();
  }
  void TearDown() override {
    unsetenv("QUENDEL_ACP");
    cp::resetForTests();
  }
};

bool isUpperHex(const String& s) {
  for (char16_t c : s)
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
  return true;
}

TEST_F(PasswordCryptorTest, LayoutOfTheScrambledText) {
  useCodePage("65001");
  EXPECT_EQ(ScramblePassword(u""), u"");
  String s = ScramblePassword(u"abcde");
  ASSERT_EQ(s.size(), 20u);
  EXPECT_TRUE(isUpperHex(s));
  // Groups run from the last character to the first: 255 - 'e' first, 255 - 'a' last.
  const char16_t* expected[] = {u"9A", u"9B", u"9C", u"9D", u"9E"};
  for (int g = 0; g < 5; ++g) EXPECT_EQ(s.substr(4 * g, 2), expected[g]) << g;
}

TEST_F(PasswordCryptorTest, FillerIsRandom) {
  useCodePage("65001");
  std::set<String> seen;
  for (int i = 0; i < 20; ++i) seen.insert(ScramblePassword(u"secret password"));
  EXPECT_EQ(seen.size(), 20u);  // 15 random bytes each: a repeat would mean no randomness
}

TEST_F(PasswordCryptorTest, EveryPasswordTheCodePageHoldsRoundTrips) {
  struct Row {
    const char* acp;
    String password;
    std::size_t groups;
  } rows[] = {
      {"65001", u"abc", 3},
      {"65001", u"p@ss w\u00f6rd \"%\"", 14},                  // o-umlaut takes two UTF-8 bytes
      {"65001", u"\u041f\u0430\u0440\u043e\u043b\u044c", 12},  // Cyrillic: two bytes each
      {"65001", u"\U0001F511 key", 8},                         // four bytes for the emoji
      {"65001", String(u"a\0b", 3), 3},
      {"65001", String(u"\xff\x01 ~"), 5},
      {"1251", u"\u041f\u0430\u0440\u043e\u043b\u044c", 6},  // one group per character
      {"1252", u"caf\u00e9", 4},
  };
  for (const auto& r : rows) {
    useCodePage(r.acp);
    String s = ScramblePassword(r.password);
    EXPECT_EQ(s.size(), 4 * r.groups) << r.acp << " " << cp::toUtf8(r.password);
    EXPECT_EQ(UnscramblePassword(s), r.password) << r.acp << " " << cp::toUtf8(r.password);
  }
}

TEST_F(PasswordCryptorTest, SingleByteCodePageGivesOneGroupPerCharacter) {
  useCodePage("1251");
  String s = ScramblePassword(u"\u0416");  // Zhe is 0xC6 in code page 1251
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s.substr(0, 2), u"39");  // 255 - 0xC6
}

TEST_F(PasswordCryptorTest, CharacterOutsideTheCodePageRaisesOverflow) {
  useCodePage("1251");
  EXPECT_EQ(errorOf([&] { ScramblePassword(u"ok\u65e5"); }), 6);
}

TEST_F(PasswordCryptorTest, DamagedTextUnscramblesToEmpty) {
  useCodePage("65001");
  for (const char16_t* bad : {u"9C", u"9C00x", u"9C009D", u"ZZ00", u"9G00", u" 9C0", u"-100", u"9C009DXX9E"}) {
    EXPECT_EQ(UnscramblePassword(bad), u"") << cp::toUtf8(bad);
  }
  // Filler digits are not read, and lower-case digits are hexadecimal too.
  EXPECT_EQ(UnscramblePassword(u"9Czz9d--9eXY"), u"abc");  // the first group is the last character
  EXPECT_EQ(UnscramblePassword(u""), u"");
}

}  // namespace
}  // namespace quendel::toolvane
