#include "automation/collection.h"

#include <gtest/gtest.h>

#include "support/testing.h"

namespace qa = quendel::automation;
using qa::Variant;
using quendel::RuntimeError;
using quendel::testing::errorOf;

namespace {

TEST(Collection, KeysPositionsAndErrors) {
  auto c = qa::Collection::create();
  c->add(Variant(u"a"), u"First");
  c->add(Variant(u"b"));
  c->add(Variant(u"c"), u"third");
  EXPECT_EQ(c->count(), 3);
  EXPECT_EQ(c->item(Variant(1)).toString(), u"a");
  EXPECT_EQ(c->item(Variant(u"FIRST")).toString(), u"a");
  EXPECT_EQ(c->item(Variant(2.0)).toString(), u"b");
  EXPECT_EQ(errorOf([&] { c->item(Variant(0)); }), 9);
  EXPECT_EQ(errorOf([&] { c->item(Variant(4)); }), 9);
  EXPECT_EQ(errorOf([&] { c->item(Variant(u"missing")); }), 5);
  EXPECT_EQ(errorOf([&] { c->add(Variant(1), u"THIRD"); }), 457);
  EXPECT_EQ(c->count(), 3);  // nothing added by the failed call
  EXPECT_EQ(errorOf([&] { c->item(Variant::null()); }), 13);
  c->remove(Variant(u"first"));
  EXPECT_EQ(c->item(Variant(1)).toString(), u"b");
  EXPECT_FALSE(c->containsKey(u"First"));
}

TEST(Collection, BeforeAndAfter) {
  auto c = qa::Collection::create();
  c->add(Variant(u"b"), u"kb");
  c->add(Variant(u"a"), Variant(u"ka"), Variant(1));
  c->add(Variant(u"c"), Variant::missing(), Variant::missing(), Variant(u"kb"));
  std::vector<std::u16string> got;
  for (const auto& v : c->items()) got.push_back(v.toString());
  EXPECT_EQ(got, (std::vector<std::u16string>{u"a", u"b", u"c"}));
  EXPECT_EQ(errorOf([&] { c->add(Variant(1), Variant::missing(), Variant(1), Variant(1)); }), 5);
}

TEST(Collection, LateBound) {
  auto c = qa::Collection::create();
  c->call(u"Add", {Variant(10), Variant(u"ten")});
  c->call(u"add", {Variant(20)});
  EXPECT_EQ(c->get(u"Count").toLong(), 2);
  EXPECT_EQ(c->get(u"", {Variant(u"ten")}).toLong(), 10);  // Item is the default member
  EXPECT_EQ(c->get(u"Item", {Variant(2)}).toLong(), 20);
  EXPECT_EQ(errorOf([&] { c->call(u"Push", {Variant(1)}); }), 438);
}

}  // namespace
