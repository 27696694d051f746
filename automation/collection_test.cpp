#include "automation/collection.h"

#include <gtest/gtest.h>

#include "automation/safe_array.h"
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

// Three items: "a" under key "ka", "b" without a key, "c" under key "kc".
std::shared_ptr<qa::Collection> abc() {
  auto c = qa::Collection::create();
  c->add(Variant(u"a"), u"ka");
  c->add(Variant(u"b"));
  c->add(Variant(u"c"), u"kc");
  return c;
}

std::u16string joined(const qa::Collection& c) {
  std::u16string r;
  for (const auto& v : c.items()) r += v.toString();
  return r;
}

TEST(Collection, IndexKinds) {
  struct Row {
    const char* what;
    Variant index;
    const char16_t* item;
    LONG error;
  } rows[] = {
      {"position", Variant(3), u"c", 0},
      {"Integer position", Variant(qa::Integer{2}), u"b", 0},
      {"Byte position", Variant(BYTE{1}), u"a", 0},
      {"text position is a key", Variant(u"2"), nullptr, 5},
      {"key in another case", Variant(u"KC"), u"c", 0},
      {"position rounds half to even", Variant(2.5), u"b", 0},
      {"position rounds half to even upwards", Variant(1.5), u"b", 0},
      {"Currency position", Variant(qa::Currency{30000}), u"c", 0},
      {"position 0", Variant(0), nullptr, 9},
      {"position past the end", Variant(4), nullptr, 9},
      {"negative position", Variant(-1), nullptr, 9},
      {"position out of Long range", Variant(1e10), nullptr, 6},
      {"empty key", Variant(u""), nullptr, 5},
      {"key with blanks", Variant(u" ka"), nullptr, 5},
      {"Empty", Variant(), nullptr, 13},
      {"Null", Variant::null(), nullptr, 13},
      {"missing", Variant::missing(), nullptr, 13},
      {"array", Variant(qa::SafeArray::create(qa::vbLong, 0, 1)), nullptr, 13},
  };
  auto c = abc();
  for (const auto& r : rows) {
    Variant got;
    EXPECT_EQ(errorOf([&] { got = c->item(r.index); }), r.error) << r.what;
    if (r.item) {
      EXPECT_EQ(got.toString(), r.item) << r.what;
    }
  }
}

TEST(Collection, FailedChangesLeaveItUnchanged) {
  struct Row {
    const char* what;
    std::function<void(qa::Collection&)> change;
    LONG error;
  } rows[] = {
      {"duplicate key", [](qa::Collection& c) { c.add(Variant(1), u"KA"); }, 457},
      {"key of another kind", [](qa::Collection& c) { c.add(Variant(1), Variant::null()); }, 13},
      {"before a missing key", [](qa::Collection& c) { c.add(Variant(1), Variant(u"n"), Variant(u"zz")); }, 5},
      {"before position 0", [](qa::Collection& c) { c.add(Variant(1), Variant(u"n"), Variant(0)); }, 9},
      {"after past the end",
       [](qa::Collection& c) { c.add(Variant(1), Variant(u"n"), Variant::missing(), Variant(4)); }, 9},
      {"before and after", [](qa::Collection& c) { c.add(Variant(1), Variant(u"n"), Variant(1), Variant(2)); }, 5},
      {"remove a missing key", [](qa::Collection& c) { c.remove(Variant(u"zz")); }, 5},
      {"remove position 4", [](qa::Collection& c) { c.remove(Variant(4)); }, 9},
      {"remove by Null", [](qa::Collection& c) { c.remove(Variant::null()); }, 13},
  };
  for (const auto& r : rows) {
    auto c = abc();
    EXPECT_EQ(errorOf([&] { r.change(*c); }), r.error) << r.what;
    EXPECT_EQ(joined(*c), u"abc") << r.what;
    EXPECT_FALSE(c->containsKey(u"n")) << r.what;
  }
}

TEST(Collection, PlacesAndKeysAfterChanges) {
  auto c = abc();
  c->add(Variant(u"z"), Variant(u"kz"), Variant::missing(), Variant(3));  // after the last
  c->add(Variant(u"0"), Variant(u"k0"), Variant(u"KA"));                  // before the first
  EXPECT_EQ(joined(*c), u"0abcz");
  EXPECT_EQ(c->item(Variant(u"k0")).toString(), u"0");
  c->remove(Variant(u"kc"));
  c->remove(Variant(1));
  EXPECT_EQ(joined(*c), u"abz");
  c->add(Variant(u"c2"), u"KC");  // a removed key is free again
  EXPECT_EQ(c->item(Variant(u"kc")).toString(), u"c2");
  c->add(Variant(u"e"), Variant());  // Empty: no key
  EXPECT_EQ(c->count(), 5);
}

TEST(Collection, LateBoundNamedArgumentsAndEnumeration) {
  auto c = abc();
  std::vector<Variant> args{Variant(u"x")};
  std::vector<qa::NamedArg> named{{u"key", Variant(u"kx")}, {u"Before", Variant(u"kc")}};
  c->invoke(u"Add", qa::InvokeKind::Method, args, named);
  EXPECT_EQ(joined(*c), u"abxc");
  c->call(u"Remove", {Variant(u"KX")});
  EXPECT_EQ(errorOf([&] { c->call(u"Item"); }), 449);
  Variant items = c->call(u"_NewEnum");
  ASSERT_TRUE(items.array());
  EXPECT_EQ(items.array()->lbound(), 1);
  EXPECT_EQ(items.array()->ubound(), 3);
  EXPECT_EQ(items.array()->get(3).toString(), u"c");
  EXPECT_EQ(qa::typeName(Variant(qa::ObjectPtr(c))), u"Collection");
}

}  // namespace
