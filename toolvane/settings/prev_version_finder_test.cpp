#include "toolvane/settings/prev_version_finder.h"

#include <gtest/gtest.h>

#include "support/quendelsupport.h"
#include "toolvane/settings/qnd_registry.h"
#include "toolvane/settings/settings_test_support.h"

namespace quendel::toolvane {
namespace {

using namespace modPrevVersionFinder;
using automation::String;
using testing::SettingsTest;

TEST(PrevVersionFinder, ComponentValues) {
  struct Row {
    const char16_t* text;
    LONG value;
  } rows[] = {{u"0", 0},          {u"7", 7},
              {u"010", 10},       {u"2147483647", 2147483647},
              {u"2147483648", 0}, {u"99999999999999999999", 0},
              {u"", 0},           {u" 1", 0},
              {u"1 ", 0},         {u"-1", 0},
              {u"+1", 0},         {u"1a", 0},
              {u"\u0661", 0}};  // an Arabic-Indic digit is not one of "1234567890"
  for (const auto& r : rows) EXPECT_EQ(VersionComponentValue(r.text), r.value) << cp::toUtf8(r.text);
}

TEST(PrevVersionFinder, Comparisons) {
  struct Row {
    const char16_t *a, *b;
    int result;
  } rows[] = {
      {u"1.0", u"1.0", 0},   {u"1.10", u"1.9", 1},      {u"1.9", u"1.10", 2},     {u"1.2", u"1.2.0", 0},
      {u"1.2.1", u"1.2", 1}, {u"1.2", u"1.2.1", 2},     {u"1.0 beta", u"1.0", 0}, {u"2", u"1.99", 1},
      {u"", u"0.0", 0},      {u"1..2", u"1.0.2", 0},    {u"1.00", u"1.0", 0},     {u"x.y", u"0.0", 0},
      {u"0.1", u"0.0.9", 1}, {u"3.5.0.301", u"3.5", 1},
  };
  for (const auto& r : rows)
    EXPECT_EQ(CompareVersionTexts(r.a, r.b), r.result) << cp::toUtf8(r.a) << " vs " << cp::toUtf8(r.b);
}

TEST(PrevVersionFinder, SortIsAscendingAndStable) {
  using V = std::vector<String>;
  EXPECT_EQ(SortVersionTexts({}), V{});
  EXPECT_EQ(SortVersionTexts({u"2.0", u"1.10", u"1.9", u"1.5"}), (V{u"1.5", u"1.9", u"1.10", u"2.0"}));
  // Equal versions keep their order.
  EXPECT_EQ(SortVersionTexts({u"1.00", u"0.5", u"1.0", u"1", u"1.0.0"}), (V{u"0.5", u"1.00", u"1.0", u"1", u"1.0.0"}));
}

class FinderTest : public SettingsTest {
 protected:
  void addVersionKey(const String& name) {
    ASSERT_TRUE(reg.CreateKey(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\App\\" + name));
  }
  String find(LONG major, LONG minor) { return FindPreviousVersion(reg, kRootCurrentUser, u"App", major, minor); }
  qndRegistry reg;
};

TEST_F(FinderTest, NewestEarlierVersion) {
  EXPECT_EQ(find(1, 7), u"");  // no key for the title at all
  ASSERT_TRUE(reg.CreateKey(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\App"));
  EXPECT_EQ(find(1, 7), u"");  // no subkeys
  for (const char16_t* n : {u"Version 1.0", u"Version 2.0", u"Version 1.5"}) addVersionKey(n);
  EXPECT_EQ(find(1, 7), u"1.5");
  EXPECT_EQ(find(1, 5), u"1.0");
  EXPECT_EQ(find(1, 0), u"");
  EXPECT_EQ(find(3, 0), u"2.0");
  addVersionKey(u"Version 1.10");
  EXPECT_EQ(find(1, 11), u"1.10");
  EXPECT_EQ(find(1, 9), u"1.5");
}

TEST_F(FinderTest, WhichKeysCountAsVersionKeys) {
  for (const char16_t* n :
       {u"version 1.3", u"VERSION  1.2 ", u"Version1.6", u"Versions 1.7", u"Other", u"1.8", u"Version", u"Version x"})
    addVersionKey(n);
  // "Version1.6" and "Versions 1.7" are not version keys; "Version x" counts as 0.0.
  EXPECT_EQ(find(1, 9), u"1.3");
  EXPECT_EQ(find(1, 3), u"1.2");
  EXPECT_EQ(find(0, 1), u"x");
}

TEST_F(FinderTest, EqualGreatestVersionsTakeTheOneListedLater) {
  addVersionKey(u"Version 1.0");
  addVersionKey(u"Version 1.00");
  auto names = reg.GetSubKeysNames(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\App");
  ASSERT_EQ(names->count(), 2);
  String later = asTrimEx(asCutLeft(names->item(automation::Variant(LONG{2})).toString(), 8));
  EXPECT_EQ(find(2, 0), later);
}

TEST_F(FinderTest, MachineRootIsSearchedSeparately) {
  ASSERT_TRUE(reg.CreateKey(kRootLocalMachine, u"Software\\Kestrane\\Quendel\\App\\Version 1.1"));
  EXPECT_EQ(find(2, 0), u"");
  EXPECT_EQ(FindPreviousVersion(reg, kRootLocalMachine, u"App", 2, 0), u"1.1");
}

}  // namespace
}  // namespace quendel::toolvane
