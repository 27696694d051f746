#include "support/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace cp = quendel::cp;

namespace {

class CodePage : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("QUENDEL_ACP");
    unsetenv("QUENDEL_OEMCP");
    cp::resetForTests();
  }
  void useAcp(const char* name) {
    setenv("QUENDEL_ACP", name, 1);
    cp::resetForTests();
  }
};

TEST_F(CodePage, Utf8RoundTripsEveryPlane) {
  std::u16string text = u"Aé€Ж\U0001F600";
  EXPECT_EQ(cp::fromUtf8(cp::toUtf8(text)), text);
  EXPECT_EQ(cp::toUtf8(u"Ж"), "\xD0\x96");
}

TEST_F(CodePage, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(cp::fromUtf8("a\xFF"
                         "b"),
            u"a\uFFFDb");
  EXPECT_EQ(cp::fromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");                        // truncated sequence
  EXPECT_EQ(cp::fromUtf8("\xC0\x80"), u"\uFFFD\uFFFD");                        // overlong NUL
  EXPECT_EQ(cp::toUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
}

TEST_F(CodePage, Utf8LocaleIsCodePage65001) {
  useAcp("UTF-8");
  EXPECT_EQ(cp::ansiCodePage(), 65001u);
  EXPECT_EQ(cp::unicodeToAnsi(u"Привет"), cp::toUtf8(u"Привет"));
}

TEST_F(CodePage, SingleByteCodePageByNumber) {
  useAcp("1251");
  EXPECT_EQ(cp::ansiCodePage(), 1251u);
  EXPECT_EQ(cp::unicodeToAnsi(u"Жa"), std::string("\xC6"
                                                  "a"));
  EXPECT_EQ(cp::ansiToUnicode("\xC6"
                              "a"),
            u"Жa");
  bool lossy = false;
  EXPECT_EQ(cp::unicodeToAnsi(u"a\u4E2Db", &lossy), "a?b");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(cp::oemCodePage(), 1251u);  // OEM follows ANSI unless set
}

TEST_F(CodePage, OemCodePageOfItsOwn) {
  useAcp("1251");
  setenv("QUENDEL_OEMCP", "866", 1);
  cp::resetForTests();
  EXPECT_EQ(cp::oemCodePage(), 866u);
  EXPECT_EQ(cp::unicodeToOem(u"Ж"), std::string("\x86"));
}

TEST(Latin1, EveryByteIsTheCharacterOfItsNumber) {
  EXPECT_EQ(quendel::cp::fromLatin1(""), u"");
  EXPECT_EQ(quendel::cp::fromLatin1("0x0F"), u"0x0F");
  // Bytes above 0x7F are not UTF-8 here: each is one character, never U+FFFD.
  EXPECT_EQ(quendel::cp::fromLatin1(std::string("\xD0\xB6\xFF\0", 4)), std::u16string(u"\u00D0\u00B6\u00FF\0", 4));
}

TEST(Utf16Le, PacksAndUnpacksLittleEndianUnits) {
  const std::u16string text(u"A\u0416\0\xFFFE\U0001F600", 6);
  std::vector<std::uint8_t> bytes = cp::toUtf16Le(text);
  std::vector<std::uint8_t> expected = {0x41, 0x00, 0x16, 0x04, 0x00, 0x00, 0xFE, 0xFF, 0x3D, 0xD8, 0x00, 0xDE};
  EXPECT_EQ(expected, bytes);
  EXPECT_EQ(text, cp::fromUtf16Le(bytes));
  EXPECT_EQ(u"A\u0416", cp::fromUtf16LeUntilNul(bytes.data(), bytes.size()));
  cp::appendUtf16Le(u"z", bytes);
  EXPECT_EQ(text + u"z", cp::fromUtf16Le(bytes));
  // An odd final byte is no unit; no byte past the size is read.
  EXPECT_EQ(u"A", cp::fromUtf16Le(expected.data(), 3));
  EXPECT_EQ(u"", cp::fromUtf16Le(expected.data(), 1));
  EXPECT_EQ(u"", cp::fromUtf16LeUntilNul(nullptr, 0));
  EXPECT_EQ(u"A\u0416", cp::fromUtf16LeUntilNul(expected.data(), 4));
}

}  // namespace
