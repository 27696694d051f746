// Variant: the automation runtime's value of any subtype.
//
//   Variant v = 5;                    // Long
//   Variant s = u"12.5";              // String
//   LONG n = s.toLong();              // 12: half to even, as the runtime rounds
//   Variant(Integer{7}).type();       // vbInteger
//
// Conversions follow the automation runtime: numbers round half to even, a value out of
// the target's range raises Overflow (6), a value that cannot be read as the target
// raises Type mismatch (13), Null raises Invalid use of Null (94); text is read and
// written in the invariant culture ("1.5", "True"). An object converts through its
// default member. Arrays are held by reference and copied when written to while shared,
// so a Variant behaves as a value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "automation/text_compare.h"
#include "support/export.h"
#include "support/runtime_error.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

using String = quendel::BStr;

enum VarType : std::uint16_t {
  vbEmpty = 0,
  vbNull = 1,
  vbInteger = 2,
  vbLong = 3,
  vbSingle = 4,
  vbDouble = 5,
  vbCurrency = 6,
  vbDate = 7,
  vbString = 8,
  vbObject = 9,
  vbError = 10,
  vbBoolean = 11,
  vbVariant = 12,
  vbByte = 17,
  vbArray = 0x2000,
};

class Object;
class SafeArray;
using ObjectPtr = std::shared_ptr<Object>;

// Tag types for the subtypes that share a C++ representation with another.
struct Integer {
  std::int16_t value = 0;
};
struct Currency {
  std::int64_t scaled = 0;               // the value times 10000
  static Currency fromDouble(double v);  // raises 6 when out of range
  double toDouble() const { return static_cast<double>(scaled) / 10000.0; }
};
struct Date {
  double value = 0;  // days since 30 December 1899
};
struct ErrorValue {
  LONG scode = 0;
};
struct NullValue {};

// A missing optional argument: the Error subtype holding DISP_E_PARAMNOTFOUND.
inline constexpr ErrorValue kMissing{DISP_E_PARAMNOTFOUND};

class Variant {
 public:
  Variant() = default;
  Variant(NullValue) : v_(NullValue{}) {}
  Variant(Integer i) : v_(i) {}
  Variant(LONG l) : v_(l) {}
  Variant(float f) : v_(f) {}
  Variant(double d) : v_(d) {}
  Variant(Currency c) : v_(c) {}
  Variant(Date d) : v_(d) {}
  Variant(String s) : v_(std::move(s)) {}
  Variant(const char16_t* s) : v_(String(s)) {}
  Variant(std::u16string_view s) : v_(String(s)) {}
  Variant(const char*) = delete;  // narrow text has no code page here; say which
  Variant(int64_t) = delete;      // choose Long, Double or Currency
  Variant(ObjectPtr o) : v_(std::move(o)) {}
  template <class T>
  requires std::is_base_of_v<Object, T> Variant(std::shared_ptr<T> o) : v_(ObjectPtr(std::move(o))) {}
  Variant(ErrorValue e) : v_(e) {}
  Variant(bool b) : v_(b) {}
  Variant(BYTE b) : v_(b) {}
  Variant(std::shared_ptr<SafeArray> a);
  // An array Variant with no array behind it (unallocated), of the given element type.
  static Variant unallocatedArray(VarType elementType);
  static Variant missing() { return Variant(kMissing); }
  static Variant null() { return Variant(NullValue{}); }
  static Variant nothing() { return Variant(ObjectPtr()); }

  // Subtype as VarType returns it; arrays are vbArray | element type.
  VarType type() const;
  bool isEmpty() const { return v_.index() == 0; }
  bool isNull() const { return std::holds_alternative<NullValue>(v_); }
  bool isMissing() const;
  bool isObject() const { return std::holds_alternative<ObjectPtr>(v_); }
  bool isNothing() const;
  bool isArray() const { return std::holds_alternative<ArrayRef>(v_); }
  bool isString() const { return std::holds_alternative<String>(v_); }
  bool isNumeric() const;  // Integer, Long, Single, Double, Currency, Byte, Boolean, Date

  // Conversions (raise 6, 13, 94 as the runtime does).
  Integer toInteger() const;
  LONG toLong() const;
  float toSingle() const;
  double toDouble() const;
  Currency toCurrency() const;
  Date toDate() const;
  String toString() const;
  bool toBool() const;
  BYTE toByte() const;
  ObjectPtr toObject() const;  // Nothing stays null; non-objects raise 13 (Object required: 424)
  // Converts to the given subtype (not vbArray); vbVariant and vbEmpty return a copy.
  Variant convertTo(VarType t) const;

  // Direct access without conversion; nullptr when the subtype differs.
  const String* asString() const { return std::get_if<String>(&v_); }
  const ObjectPtr* asObject() const { return std::get_if<ObjectPtr>(&v_); }
  // The array, shared (read-only) or for writing (copied first when shared); null for an
  // unallocated array or a non-array.
  std::shared_ptr<const SafeArray> array() const;
  SafeArray* arrayForWrite();
  VarType arrayElementType() const;  // vbEmpty for a non-array

  // For a raw look at the held value.
  struct ArrayRef {
    VarType elementType = vbVariant;
    std::shared_ptr<SafeArray> array;
  };
  using Storage = std::variant<std::monostate, NullValue, Integer, LONG, float, double, Currency, Date, String,
                               ObjectPtr, ErrorValue, bool, BYTE, ArrayRef>;
  const Storage& storage() const { return v_; }

 private:
  Storage v_;
};

// The runtime's "=" on two Variants: numbers as numbers, strings by binary or text
// comparison (text_compare.h), Empty as 0 or "". A number never equals a string. Null
// equals nothing. Objects compare through their default members; arrays raise 13.
bool variantEquals(const Variant& a, const Variant& b, bool textCompare = false);

// Reads a number from text as the runtime does: blanks around, sign, decimals, exponent,
// "&H" and "&O" prefixes. Returns false for anything else.
bool parseNumber(std::u16string_view text, double& out);
// Writes a Double as the runtime does: up to 15 significant digits, "1E+20", "1.5E-05".
String formatDouble(double v);

// The VarType name as TypeName reports it: "Long", "String", "Long()" ...
String typeName(const Variant& v);

}  // namespace quendel::automation

QUENDEL_EXPORT_END
