#include "automation/variant.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>

#include "automation/dispatch.h"
#include "automation/safe_array.h"
#include "support/codepage.h"
#include "support/testing.h"

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

// An object whose default member is the Long 41.
class Answer : public qa::Object {
 public:
  const qa::ClassDesc* classDesc() const override {
    static const qa::ClassDesc d =
        qa::ClassBuilder<Answer>(u"Answer")
            .get(u"Value", qa::vbLong, [](Answer&, qa::CallArgs&) { return Variant(LONG{41}); })
            .defaultMember()
            .build();
    return &d;
  }
};

using enum qa::VarType;
Variant I(int v) { return Variant(qa::Integer{static_cast<std::int16_t>(v)}); }
Variant C(std::int64_t scaled) { return Variant(qa::Currency{scaled}); }
Variant Dt(double days) { return Variant(qa::Date{days}); }

// The result of a conversion as text, "#n" for run-time error n, with the subtype checked.
std::u16string converted(const Variant& in, qa::VarType to) {
  std::u16string text;
  LONG err = errorOf([&] {
    Variant out = in.convertTo(to);
    const auto* error = std::get_if<qa::ErrorValue>(&out.storage());
    text = error ? u"Error " + quendel::cp::fromUtf8(std::to_string(error->scode)) : out.toString();
    if (out.type() != to) text += u" (subtype " + qa::typeName(out) + u")";
  });
  if (err) return u"#" + quendel::cp::fromUtf8(std::to_string(err));
  return text;
}

TEST(VariantConversion, EverySourceToEveryValueSubtype) {
  static constexpr qa::VarType to[] = {vbInteger, vbLong,   vbSingle,  vbDouble, vbCurrency,
                                       vbDate,    vbString, vbBoolean, vbByte};
  struct Row {
    Variant in;
    const char16_t* out[std::size(to)];
  } rows[] = {
      {Variant(), {u"0", u"0", u"0", u"0", u"0", u"1899-12-30", u"", u"False", u"0"}},
      {Variant::null(), {u"#94", u"#94", u"#94", u"#94", u"#94", u"#94", u"#94", u"#94", u"#94"}},
      {I(-7), {u"-7", u"-7", u"-7", u"-7", u"-7", u"1899-12-23", u"-7", u"True", u"#6"}},
      {Variant(70000), {u"#6", u"70000", u"70000", u"70000", u"70000", u"2091-08-25", u"70000", u"True", u"#6"}},
      {Variant(2.5f), {u"2", u"2", u"2.5", u"2.5", u"2.5", u"1900-01-01 12:00:00", u"2.5", u"True", u"2"}},
      {Variant(-3.5), {u"-4", u"-4", u"-3.5", u"-3.5", u"-3.5", u"1899-12-27 12:00:00", u"-3.5", u"True", u"#6"}},
      {C(35000), {u"4", u"4", u"3.5", u"3.5", u"3.5", u"1900-01-02 12:00:00", u"3.5", u"True", u"4"}},
      {Dt(45000.25),
       {u"#6", u"45000", u"45000.25", u"45000.25", u"45000.25", u"2023-03-15 06:00:00", u"2023-03-15 06:00:00", u"True",
        u"#6"}},
      {Variant(u"1.5"), {u"2", u"2", u"1.5", u"1.5", u"1.5", u"1899-12-31 12:00:00", u"1.5", u"True", u"2"}},
      {Variant(false), {u"0", u"0", u"0", u"0", u"0", u"1899-12-30", u"False", u"False", u"0"}},
      {Variant(BYTE{200}), {u"200", u"200", u"200", u"200", u"200", u"1900-07-18", u"200", u"True", u"200"}},
      {Variant(std::make_shared<Answer>()), {u"41", u"41", u"41", u"41", u"41", u"1900-02-09", u"41", u"True", u"41"}},
      {Variant::nothing(), {u"#91", u"#91", u"#91", u"#91", u"#91", u"#91", u"#91", u"#91", u"#91"}},
      {Variant::missing(), {u"#13", u"#13", u"#13", u"#13", u"#13", u"#13", u"#13", u"#13", u"#13"}},
      {Variant(qa::SafeArray::fromBytes({'h', 0, 'i', 0})),
       {u"#13", u"#13", u"#13", u"#13", u"#13", u"#13", u"hi", u"#13", u"#13"}},
  };
  for (const auto& r : rows)
    for (std::size_t i = 0; i < std::size(to); ++i)
      EXPECT_EQ(converted(r.in, to[i]), r.out[i]) << quendel::cp::toUtf8(qa::typeName(r.in)) << " to " << to[i];
}

// One conversion and its result text, or the error raised.
struct ConversionRow {
  Variant in;
  qa::VarType to;
  const char16_t* out;  // "#n" for error n
};

void expectConversions(const std::vector<ConversionRow>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(converted(rows[i].in, rows[i].to), rows[i].out) << "row " << i;
}

TEST(VariantConversion, HalfToEvenAndRanges) {
  constexpr LONG kMin = std::numeric_limits<LONG>::min();
  constexpr auto kMaxScaled = std::numeric_limits<std::int64_t>::max();
  expectConversions({
      {Variant(2.5), vbInteger, u"2"},
      {Variant(-2.5), vbInteger, u"-2"},
      {Variant(-3.5), vbInteger, u"-4"},
      {Variant(0.5), vbLong, u"0"},
      {Variant(-0.5), vbLong, u"0"},
      {Variant(1.5), vbLong, u"2"},
      {Variant(2.5000001), vbLong, u"3"},
      {Variant(254.5), vbByte, u"254"},
      {Variant(-0.5), vbByte, u"0"},
      {Variant(-0.6), vbByte, u"#6"},
      {Variant(255.5), vbByte, u"#6"},
      {Variant(32767.5), vbInteger, u"#6"},
      {Variant(-32768.5), vbInteger, u"-32768"},
      {Variant(-32769), vbInteger, u"#6"},
      {Variant(2147483647.5), vbLong, u"#6"},
      {Variant(-2147483648.5), vbLong, u"-2147483648"},
      {Variant(std::nan("")), vbLong, u"#6"},
      {Variant(std::nan("")), vbCurrency, u"#6"},
      {Variant(1e300), vbSingle, u"#6"},
      {Variant(3.4e38f), vbLong, u"#6"},
      {Variant(1.23456), vbCurrency, u"1.2346"},
      {Variant(123456789012.5), vbCurrency, u"123456789012.5"},
      {Variant(1e15), vbCurrency, u"#6"},
      {Variant(kMin), vbCurrency, u"-2147483648"},
      {C(25000), vbLong, u"2"},  // Currency rounds from its exact decimal value
      {C(-25000), vbLong, u"-2"},
      {C(-35000), vbLong, u"-4"},
      {C(25001), vbLong, u"3"},
      {C(-25001), vbLong, u"-3"},
      {C(-325000), vbInteger, u"-32"},
      {C(2555000), vbByte, u"#6"},
      {C(kMaxScaled), vbLong, u"#6"},
      {C(kMaxScaled), vbString, u"922337203685477.5807"},
      {C(std::numeric_limits<std::int64_t>::min()), vbString, u"-922337203685477.5808"},
      {C(-5000), vbString, u"-0.5"},
      {Variant(true), vbInteger, u"-1"},
      {Variant(true), vbCurrency, u"-1"},
      {Variant(-657434), vbDate, u"0100-01-01"},
      {Variant(-657435), vbDate, u"#6"},
      {Variant(2958466), vbDate, u"#6"},
      {Variant(5), vbError, u"Error 5"},
  });
}

TEST(VariantConversion, DateTexts) {
  expectConversions({
      {Dt(2958465.99998), vbString, u"9999-12-31 23:59:58"},
      // Before 30 December 1899 the fraction is still the time after midnight.
      {Dt(-1.25), vbString, u"1899-12-29 06:00:00"},
      {Dt(-0.5), vbString, u"1899-12-30 12:00:00"},
      // A time that rounds to midnight is the next day.
      {Dt(1.99999999), vbString, u"1900-01-01"},
      {Dt(1e300), vbString, u"#6"},
      {Dt(std::nan("")), vbString, u"#6"},
      {Variant(u"2.5"), vbDate, u"1900-01-01 12:00:00"},
      {Variant(u"1E+10"), vbDate, u"#6"},
      {Variant(u"2024-01-01"), vbDate, u"#13"},  // only numbers are read as dates
  });
}

TEST(VariantConversion, TextIsReadInTheInvariantForm) {
  expectConversions({
      {Variant(u"\t7\r\n"), vbLong, u"7"},
      {Variant(u"&hff"), vbInteger, u"255"},
      {Variant(u"&H8000"), vbInteger, u"-32768"},
      {Variant(u"&H10000"), vbLong, u"65536"},
      {Variant(u"&HFFFFFFFF"), vbLong, u"-1"},
      {Variant(u"&O17"), vbLong, u"15"},
      {Variant(u"&O8"), vbLong, u"#13"},
      {Variant(u"&HG"), vbLong, u"#13"},
      {Variant(u"&H"), vbLong, u"#13"},
      {Variant(u"1.5E+2"), vbDouble, u"150"},
      {Variant(u"-.5"), vbDouble, u"-0.5"},
      {Variant(u"5."), vbDouble, u"5"},
      {Variant(u"+7"), vbInteger, u"7"},
      {Variant(u"1 000"), vbDouble, u"#13"},
      {Variant(u"  "), vbLong, u"#13"},
      {Variant(u"12abc"), vbLong, u"#13"},
      {Variant(u"1e"), vbDouble, u"#13"},
      {Variant(u"."), vbDouble, u"#13"},
      {Variant(u"\u0661"), vbLong, u"#13"},  // a digit, but not an invariant one
      {Variant(u"1e400"), vbDouble, u"#6"},
      {Variant(u"1e-400"), vbDouble, u"0"},
      {Variant(u"false"), vbDouble, u"0"},
      {Variant(u"0.0"), vbBoolean, u"False"},
      {Variant(u""), vbBoolean, u"#13"},
      {Variant(u"256"), vbByte, u"#6"},
      {Variant(u"-1"), vbByte, u"#6"},
      {Variant(u"32768"), vbInteger, u"#6"},
      {Variant(u"1.23456"), vbCurrency, u"1.2346"},
      {Variant(u"x"), vbObject, u"#424"},
      {Variant(5), qa::VarType(vbArray | vbLong), u"#13"},
      {Variant(std::make_shared<qa::Object>()), vbLong, u"#438"},  // no default member
  });
}

TEST(VariantConversion, ArraysConvertElementByElement) {
  auto longs = qa::SafeArray::fromVariants(vbLong, {Variant(1), Variant(2)}, 1);
  Variant doubles = Variant(longs).convertTo(qa::VarType(vbArray | vbDouble));
  EXPECT_EQ(doubles.type(), vbArray | vbDouble);
  ASSERT_TRUE(doubles.array());
  EXPECT_EQ(doubles.array()->lbound(), 1);
  EXPECT_EQ(doubles.array()->get(2).type(), vbDouble);
  EXPECT_EQ(Variant(longs).convertTo(qa::VarType(vbArray | vbVariant)).array(), longs);  // no copy

  auto mixed = qa::SafeArray::fromVariants(vbVariant, {Variant(u"1"), Variant(u"x")});
  EXPECT_EQ(errorOf([&] { Variant(mixed).convertTo(qa::VarType(vbArray | vbLong)); }), 13);

  Variant none = Variant::unallocatedArray(vbLong).convertTo(qa::VarType(vbArray | vbString));
  EXPECT_EQ(none.type(), vbArray | vbString);
  EXPECT_EQ(none.array(), nullptr);
}

// A locale whose decimal point is a comma, made for the test with localedef and set for
// LC_NUMERIC while the object lives, as a client toolkit may set the user's locale.
class CommaDecimalLocale {
 public:
  CommaDecimalLocale() {
    dir_ = std::filesystem::temp_directory_path() / ("quendel-locale-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    std::ofstream(dir_ / "source") << "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\n"
                                      "END LC_NUMERIC\n";
    std::ofstream(dir_ / "charmap") << "<code_set_name> COMMA\nCHARMAP\n<U002C> \\x2c COMMA\n"
                                       "<U002E> \\x2e FULL STOP\nEND CHARMAP\n";
    // localedef warns about the categories left out and still writes the locale.
    std::string command = "localedef -c -i '" + (dir_ / "source").string() + "' -f '" + (dir_ / "charmap").string() +
                          "' '" + (dir_ / "comma").string() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());
    if (const char* old = std::getenv("LOCPATH")) oldLocPath_ = old;
    setenv("LOCPATH", dir_.c_str(), 1);
    oldNumeric_ = std::setlocale(LC_NUMERIC, nullptr);
    active_ = std::setlocale(LC_NUMERIC, "comma") != nullptr;
  }
  ~CommaDecimalLocale() {
    (void)std::setlocale(LC_NUMERIC, oldNumeric_.c_str());  // the locale it came from exists
    if (oldLocPath_) {
      setenv("LOCPATH", oldLocPath_->c_str(), 1);
    } else {
      unsetenv("LOCPATH");
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  CommaDecimalLocale(const CommaDecimalLocale&) = delete;
  CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;
  bool active() const { return active_; }

 private:
  std::filesystem::path dir_;
  std::optional<std::string> oldLocPath_;
  std::string oldNumeric_;
  bool active_ = false;
};

TEST(Variant, NumbersIgnoreTheProcessLocale) {
  CommaDecimalLocale comma;
  ASSERT_TRUE(comma.active());
  char probe[16];
  ASSERT_EQ(std::snprintf(probe, sizeof probe, "%.1f", 1.5), 3);
  ASSERT_STREQ(probe, "1,5");  // the C library now writes a comma
  EXPECT_EQ(Variant(1.5).toString(), u"1.5");
  EXPECT_EQ(Variant(1.5e-5).toString(), u"1.5E-05");
  EXPECT_EQ(Variant(0.1f).toString(), u"0.1");
  EXPECT_EQ(Variant(qa::Currency{12345}).toString(), u"1.2345");
  EXPECT_EQ(Variant(u"1.5").toDouble(), 1.5);
  EXPECT_EQ(Variant(u"2.5").toLong(), 2);
  EXPECT_EQ(errorOf([] { Variant(u"1,5").toDouble(); }), 13);
  double parsed = 0;
  EXPECT_TRUE(qa::parseNumber(u"-12.75E1", parsed));
  EXPECT_EQ(parsed, -127.5);
}

}  // namespace
