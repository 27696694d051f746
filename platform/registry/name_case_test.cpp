#include "platform/registry/name_case.h"

#include <gtest/gtest.h>

namespace quendel::registry {
namespace {

TEST(NameCase, FoldsLettersOfTheCoveredScripts) {
  struct Case {
    std::u16string lower, upper;
  } cases[] = {
      {u"software", u"SOFTWARE"}, {u"àéîõüÿ", u"ÀÉÎÕÜŸ"},
      {u"ąčėłőž", u"ĄČĖŁŐŽ"},     {u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
      {u"іїєґў", u"ІЇЄҐЎ"},       {u"αβγωάές", u"ΑΒΓΩΆΈΣ"},
      {u"ａｂｃ", u"ＡＢＣ"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.upper, foldName(c.lower));
    EXPECT_EQ(foldKey(c.upper), foldKey(c.lower));
  }
  // Characters without case are kept; ÷ and ß have no single upper-case unit.
  EXPECT_EQ(u"1_-\\÷ß中", foldName(u"1_-\\÷ß中"));
}

TEST(NameCase, KeyOrdersAsUpperCaseUnits) {
  // "_" (0x5F) sorts after the upper-case Latin letters, as Windows lists subkeys.
  EXPECT_LT(foldKey(u"zeta"), foldKey(u"_x"));
  EXPECT_LT(foldKey(u"a"), foldKey(u"B"));
  EXPECT_LT(foldKey(u"Z"), foldKey(u"а"));  // Latin before Cyrillic
  EXPECT_LT(foldKey(u"ab"), foldKey(u"abc"));
}

}  // namespace
}  // namespace quendel::registry
