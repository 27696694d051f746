#include "automation/text_compare.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "automation/collection.h"
#include "automation/variant.h"
#include "support/case_fold.h"

namespace qa = quendel::automation;

namespace {

TEST(TextCompare, FoldsCase) {
  EXPECT_EQ(qa::compareText(u"abc", u"ABD"), -1);
  EXPECT_EQ(qa::compareText(u"Straße", u"STRASSE") != 0, true);  // no expansion of ß
  EXPECT_EQ(qa::upperCase(u"3p"), u"3P");
  EXPECT_EQ(qa::lowerCase(u"ЁЛКА"), u"ёлка");
  EXPECT_EQ(qa::upperCase(u"ѐЯшք"), u"ЀЯШՔ");
  EXPECT_EQ(qa::compareText(u"b", u"A"), 1);
  EXPECT_EQ(qa::compareText(u"ab", u"ABC"), -1);
  EXPECT_TRUE(qa::equalsText(u"ŞEHİR", u"şehİr"));
  EXPECT_FALSE(qa::equalsText(u"ab", u"abc"));
}

TEST(TextCompare, FollowsTheRegistryRuleForEveryUnit) {
  // A client that keys a Collection by a name finds it as the registry finds the same
  // name: one rule for both.
  for (unsigned u = 1; u <= 0xFFFF; ++u) {
    std::u16string one(1, static_cast<char16_t>(u));
    std::u16string folded = quendel::text::foldCase(one);
    ASSERT_TRUE(qa::equalsText(one, folded)) << std::hex << u;
    ASSERT_EQ(qa::upperCase(one), folded) << std::hex << u;
  }
  // Units the table leaves alone compare exactly, whatever the C library would say.
  EXPECT_FALSE(qa::equalsText(u"ა", u"Ა"));  // Georgian
  EXPECT_FALSE(qa::equalsText(u"ꭰ", u"Ꭰ"));  // Cherokee
}

TEST(TextCompare, IgnoresTheLocale) {
  // A toolkit sets the user's locale at start; the comparison must not change with it.
  const char* before = std::setlocale(LC_CTYPE, nullptr);
  std::string saved = before ? before : "C";
  ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
  bool inC = qa::equalsText(u"Ёлка", u"ёЛКА");
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  bool inUtf8 = qa::equalsText(u"Ёлка", u"ёЛКА");
  ASSERT_NE(std::setlocale(LC_CTYPE, saved.c_str()), nullptr);
  EXPECT_TRUE(inC);
  EXPECT_TRUE(inUtf8);
}

TEST(TextCompare, TextCompareOfVariantsAndCollectionKeysUseIt) {
  EXPECT_TRUE(qa::variantEquals(qa::Variant(u"Ελλάδα"), qa::Variant(u"ΕΛΛΆΔΑ"), true));
  EXPECT_FALSE(qa::variantEquals(qa::Variant(u"Ελλάδα"), qa::Variant(u"ΕΛΛΆΔΑ"), false));
  auto c = qa::Collection::create();
  c->add(qa::Variant(LONG{7}), qa::Variant(u"ключ"));
  EXPECT_EQ(c->item(qa::Variant(u"КЛЮЧ")).toLong(), 7);
}

}  // namespace
