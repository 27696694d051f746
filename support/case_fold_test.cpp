#include "support/case_fold.h"

#include <gtest/gtest.h>

namespace quendel::text {
namespace {

TEST(CaseFold, FoldsLettersOfTheCoveredScripts) {
  struct Case {
    std::u16string lower, upper;
  } cases[] = {
      {u"software", u"SOFTWARE"}, {u"àéîõüÿ", u"ÀÉÎÕÜŸ"},
      {u"ąčėłőž", u"ĄČĖŁŐŽ"},     {u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
      {u"іїєґў", u"ІЇЄҐЎ"},       {u"αβγωάέ", u"ΑΒΓΩΆΈ"},
      {u"ａｂｃ", u"ＡＢＣ"},     {u"աբգ", u"ԱԲԳ"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.upper, foldCase(c.lower));
    EXPECT_EQ(c.lower, lowerCase(c.upper));
    EXPECT_EQ(foldKey(c.upper), foldKey(c.lower));
    EXPECT_EQ(0, compareFolded(c.upper, c.lower));
  }
  // Characters without case are kept; ÷ and ß have no single upper-case unit.
  EXPECT_EQ(u"1_-\\÷ß中", foldCase(u"1_-\\÷ß中"));
  EXPECT_EQ(u"1_-\\×ß中", lowerCase(u"1_-\\×ß中"));
  // Both sigmas fold to one capital, which lowers to the medial form.
  EXPECT_EQ(u"ΣΣ", foldCase(u"σς"));
  EXPECT_EQ(u"σ", lowerCase(u"Σ"));
  // Scripts outside the table compare exactly (Georgian, Cherokee).
  EXPECT_EQ(u"Ⴀა", foldCase(u"Ⴀა"));
  EXPECT_NE(0, compareFolded(u"Ⴀ", u"ⴀ"));
}

TEST(CaseFold, LowerAndUpperAreInversesOnEveryUnit) {
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    auto c = static_cast<char16_t>(u);
    char16_t up = upcaseUnit(c), down = downcaseUnit(c);
    ASSERT_EQ(up, upcaseUnit(down)) << std::hex << u;
    ASSERT_EQ(up, upcaseUnit(up)) << std::hex << u;
    if (up != c) {
      ASSERT_EQ(c, down) << "a lower-case letter stays as it is: " << std::hex << u;
      ASSERT_NE(up, downcaseUnit(up)) << "every upper-case form has a lower one: " << std::hex << u;
    }
  }
}

TEST(CaseFold, KeyAndComparisonOrderAsUpperCaseUnits) {
  // "_" (0x5F) sorts after the upper-case Latin letters, as Windows lists subkeys.
  EXPECT_LT(foldKey(u"zeta"), foldKey(u"_x"));
  EXPECT_LT(foldKey(u"a"), foldKey(u"B"));
  EXPECT_LT(foldKey(u"Z"), foldKey(u"а"));  // Latin before Cyrillic
  EXPECT_LT(foldKey(u"ab"), foldKey(u"abc"));
  EXPECT_EQ(-1, compareFolded(u"zeta", u"_x"));
  EXPECT_EQ(1, compareFolded(u"B", u"a"));
  EXPECT_EQ(-1, compareFolded(u"ab", u"ABC"));
  EXPECT_EQ(1, compareFolded(u"abc", u"AB"));
  EXPECT_EQ(0, compareFolded(u"", u""));
}

}  // namespace
}  // namespace quendel::text
