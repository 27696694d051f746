#include "automation/variant.h"

#include <gtest/gtest.h>

#include "support/testing.h"

#include <cmath>

#include "automation/safe_array.h"
#include "support/codepage.h"

namespace qa = quendel::automation;
using qa::Variant;
using quendel::RuntimeError;
using quendel::testing::errorOf;

namespace {

TEST(Variant, ToLongRoundsHalfToEvenAndChecksRange) {
  struct Row {
    Variant in;
    LONG out;
    LONG error;
  } rows[] = {
      {Variant(2.5), 2, 0},
      {Variant(3.5), 4, 0},
      {Variant(-2.5), -2, 0},
      {Variant(u"12.5"), 12, 0},
      {Variant(u" 13.5 "), 14, 0},
      {Variant(u"&HFF"), 255, 0},
      {Variant(u"&HFFFF"), -1, 0},
      {Variant(u"1e3"), 1000, 0},
      {Variant(true), -1, 0},
      {Variant(), 0, 0},
      {Variant(qa::Currency{25000}), 2, 0},
      {Variant(qa::Currency{35000}), 4, 0},
      {Variant(2147483647.4), 2147483647, 0},
      {Variant(2147483648.0), 0, 6},
      {Variant(u"abc"), 0, 13},
      {Variant(u"1,5"), 0, 13},
      {Variant(u""), 0, 13},
      {Variant::null(), 0, 94},
      {Variant::missing(), 0, 13},
  };
  for (const auto& r : rows) {
    LONG got = 0;
    LONG err = errorOf([&] { got = r.in.toLong(); });
    EXPECT_EQ(err, r.error) << quendel::cp::toUtf8(qa::typeName(r.in));
    if (!r.error) {
      EXPECT_EQ(got, r.out);
    }
  }
}

TEST(Variant, NarrowTypesOverflow) {
  EXPECT_EQ(Variant(32767).toInteger().value, 32767);
  EXPECT_EQ(errorOf([] { Variant(32768).toInteger(); }), 6);
  EXPECT_EQ(Variant(255).toByte(), 255);
  EXPECT_EQ(errorOf([] { Variant(-1).toByte(); }), 6);
  EXPECT_EQ(errorOf([] { Variant(1e300).toSingle(); }), 6);
  EXPECT_EQ(errorOf([] { Variant(1e300).toCurrency(); }), 6);
}

TEST(Variant, TextFormsAreInvariant) {
  struct Row {
    Variant in;
    const char16_t* text;
  } rows[] = {
      {Variant(1.5), u"1.5"},
      {Variant(1e20), u"1E+20"},
      {Variant(1.5e-5), u"1.5E-05"},
      {Variant(0.1 + 0.2), u"0.3"},
      {Variant(-0.0), u"0"},
      {Variant(0.1f), u"0.1"},
      {Variant(true), u"True"},
      {Variant(false), u"False"},
      {Variant(qa::Currency{12345}), u"1.2345"},
      {Variant(qa::Currency{-5000}), u"-0.5"},
      {Variant(qa::Integer{-7}), u"-7"},
      {Variant(BYTE{200}), u"200"},
      {Variant(), u""},
      {Variant(qa::Date{46363.5}), u"2026-12-07 12:00:00"},
  };
  for (const auto& r : rows) EXPECT_EQ(r.in.toString(), r.text) << quendel::cp::toUtf8(r.text);
  EXPECT_EQ(errorOf([] { Variant::null().toString(); }), 94);
}

TEST(Variant, Booleans) {
  EXPECT_TRUE(Variant(u"true").toBool());
  EXPECT_FALSE(Variant(u" False ").toBool());
  EXPECT_TRUE(Variant(u"2").toBool());
  EXPECT_FALSE(Variant(0.0).toBool());
  EXPECT_EQ(errorOf([] { Variant(u"yes").toBool(); }), 13);
}

TEST(Variant, EqualityFollowsTheRuntime) {
  EXPECT_TRUE(qa::variantEquals(Variant(5), Variant(5.0)));
  EXPECT_TRUE(qa::variantEquals(Variant(qa::Integer{5}), Variant(BYTE{5})));
  EXPECT_FALSE(qa::variantEquals(Variant(5), Variant(u"5")));  // a number never equals a text
  EXPECT_TRUE(qa::variantEquals(Variant(), Variant(0)));
  EXPECT_TRUE(qa::variantEquals(Variant(), Variant(u"")));
  EXPECT_FALSE(qa::variantEquals(Variant(u"abc"), Variant(u"ABC")));
  EXPECT_TRUE(qa::variantEquals(Variant(u"abc"), Variant(u"ABC"), true));
  EXPECT_TRUE(qa::variantEquals(Variant(u"жук"), Variant(u"ЖУК"), true));
  EXPECT_FALSE(qa::variantEquals(Variant::null(), Variant::null()));
  EXPECT_EQ(errorOf([] { qa::variantEquals(Variant(qa::SafeArray::create(qa::vbLong, 0, 1)), Variant(1)); }), 13);
}

TEST(Variant, ArraysAreValues) {
  auto a = qa::SafeArray::create(qa::vbLong, 1, 3);
  Variant v(a);
  EXPECT_EQ(v.type(), qa::vbArray | qa::vbLong);
  Variant copy = v;
  copy.arrayForWrite()->set(1, Variant(9));
  EXPECT_EQ(copy.array()->get(1).toLong(), 9);
  EXPECT_EQ(v.array()->get(1).toLong(), 0);  // the original is untouched
  EXPECT_EQ(errorOf([&] { v.array()->get(0); }), 9);
  EXPECT_EQ(errorOf([&] { v.array()->get(4); }), 9);
  EXPECT_EQ(errorOf([&] { copy.arrayForWrite()->set(2, Variant(u"x")); }), 13);

  Variant un = Variant::unallocatedArray(qa::vbByte);
  EXPECT_EQ(un.type(), qa::vbArray | qa::vbByte);
  EXPECT_EQ(un.array(), nullptr);
  EXPECT_EQ(qa::typeName(un), u"Byte()");

  auto bytes = qa::SafeArray::fromBytes({'h', 0, 'i', 0});
  EXPECT_EQ(Variant(bytes).toString(), u"hi");
}

TEST(Variant, TextComparisonFoldsCase) {
  EXPECT_EQ(qa::compareText(u"abc", u"ABD"), -1);
  EXPECT_EQ(qa::compareText(u"Straße", u"STRASSE") != 0, true);  // no expansion of ß
  EXPECT_EQ(qa::upperCase(u"3p"), u"3P");
  EXPECT_EQ(qa::lowerCase(u"ЁЛКА"), u"ёлка");
}

}  // namespace
