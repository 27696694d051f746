#include "automation/safe_array.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/codepage.h"
#include "support/testing.h"

namespace qa = quendel::automation;
using qa::SafeArray;
using qa::Variant;
using quendel::testing::errorOf;

namespace {

constexpr LONG kSubscript = 9;

TEST(SafeArray, BoundsAreChecked) {
  constexpr LONG kMin = std::numeric_limits<LONG>::min(), kMax = std::numeric_limits<LONG>::max();
  struct Row {
    LONG lbound;
    std::size_t count;
    std::vector<LONG> inside, outside;
  } rows[] = {
      {0, 3, {0, 2}, {-1, 3}},      {-5, 3, {-5, -3}, {-6, -2}},  {1, 0, {}, {0, 1}},
      {kMin, 1, {kMin}, {kMax, 0}}, {kMax, 1, {kMax}, {kMin, 0}},
  };
  for (auto type : {qa::vbLong, qa::vbByte, qa::vbVariant}) {
    for (const auto& r : rows) {
      auto a = SafeArray::create(type, r.lbound, r.count);
      std::string where = "type " + std::to_string(type) + " from " + std::to_string(r.lbound);
      EXPECT_EQ(a->count(), r.count) << where;
      for (LONG i : r.inside) {
        EXPECT_EQ(errorOf([&] { a->set(i, Variant(1)); }), 0) << where << " at " << i;
        EXPECT_EQ(a->get(i).toLong(), 1) << where << " at " << i;
      }
      for (LONG i : r.outside) {
        EXPECT_EQ(errorOf([&] { a->get(i); }), kSubscript) << where << " at " << i;
        EXPECT_EQ(errorOf([&] { a->set(i, Variant(1)); }), kSubscript) << where << " at " << i;
      }
    }
  }
  EXPECT_EQ(SafeArray::create(qa::vbLong, -5, 3)->ubound(), -3);
  EXPECT_EQ(SafeArray::create(qa::vbLong, 1, 0)->ubound(), 0);  // empty: one below the lower bound
}

TEST(SafeArray, ElementsHoldTheElementType) {
  struct Row {
    qa::VarType type;
    Variant in;
    const char16_t* stored;  // nullptr: the element is left as it was
    LONG error;
  } rows[] = {
      {qa::vbLong, Variant(u"7"), u"7", 0},       {qa::vbLong, Variant(2.5), u"2", 0},
      {qa::vbLong, Variant(u"x"), nullptr, 13},   {qa::vbLong, Variant(1e10), nullptr, 6},
      {qa::vbLong, Variant::null(), nullptr, 94}, {qa::vbByte, Variant(300), nullptr, 6},
      {qa::vbString, Variant(true), u"True", 0},  {qa::vbDouble, Variant(qa::Currency{5}), u"0.0005", 0},
      {qa::vbVariant, Variant(2.5f), u"2.5", 0},  {qa::vbObject, Variant(1), nullptr, 424},
  };
  for (const auto& r : rows) {
    auto a = SafeArray::create(r.type, 0, 1);
    std::string where = "type " + std::to_string(r.type) + " given " + quendel::cp::toUtf8(qa::typeName(r.in));
    EXPECT_EQ(errorOf([&] { a->set(0, r.in); }), r.error) << where;
    Variant held = a->get(0);
    EXPECT_EQ(held.type(), r.type == qa::vbVariant ? r.in.type() : r.type) << where;
    if (r.stored) {
      EXPECT_EQ(held.toString(), r.stored) << where;
    }
  }
}

TEST(SafeArray, ResizeKeepsTheLowerBoundAndFillsWithEmptyValues) {
  for (auto type : {qa::vbLong, qa::vbString, qa::vbObject, qa::vbByte, qa::vbVariant, qa::vbBoolean}) {
    auto a = SafeArray::create(type, 3, 1);
    Variant empty = a->get(3);
    EXPECT_EQ(empty.type(), type == qa::vbVariant ? qa::vbEmpty : type) << type;
    a->resize(4);
    EXPECT_EQ(a->lbound(), 3);
    EXPECT_EQ(a->ubound(), 6);
    EXPECT_EQ(a->get(6).type(), empty.type()) << type;
    a->resize(0);
    EXPECT_EQ(errorOf([&] { a->get(3); }), kSubscript) << type;
  }
  auto bytes = SafeArray::fromBytes({1, 2, 3}, 1);
  bytes->set(2, Variant(255));
  bytes->resize(5);
  EXPECT_EQ(bytes->bytes(), (std::vector<BYTE>{1, 255, 3, 0, 0}));  // packed, one byte each
  EXPECT_EQ(bytes->get(1).type(), qa::vbByte);
}

TEST(SafeArray, FromVariantsConvertsOrRaises) {
  auto a = SafeArray::fromVariants(qa::vbLong, {Variant(u"1"), Variant(2.5), Variant(true)}, -1);
  EXPECT_EQ(a->lbound(), -1);
  EXPECT_EQ(a->get(-1).toLong(), 1);
  EXPECT_EQ(a->get(0).toLong(), 2);
  EXPECT_EQ(a->get(1).toLong(), -1);
  EXPECT_EQ(errorOf([] { SafeArray::fromVariants(qa::vbByte, {Variant(1), Variant(-1)}); }), 6);

  auto copy = a->clone();
  copy->set(0, Variant(9));
  EXPECT_EQ(a->get(0).toLong(), 2);  // a clone shares nothing
  EXPECT_EQ(Variant(std::shared_ptr<SafeArray>()).type(), qa::vbArray | qa::vbVariant);
}

}  // namespace
