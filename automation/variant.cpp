#include "automation/variant.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "automation/object.h"
#include "automation/safe_array.h"
#include "support/codepage.h"
#include "support/rounding.h"

namespace quendel::automation {

namespace {

[[noreturn]] void raise(LONG n) { throw RuntimeError(n); }

template <class... F>
struct Overload : F... {
  using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

double dateFromString(const String& s) {
  // Only numbers are read as dates; texts of dates depend on a locale the port does not
  // guess at.
  double d = 0;
  if (!parseNumber(s, d)) raise(13);
  return d;
}

String asciiString(const char* s) {
  String r;
  for (; *s; ++s) r.push_back(static_cast<unsigned char>(*s));
  return r;
}

// Dates run from 1 January 100 to 31 December 9999.
constexpr double kFirstDate = -657434.0;
constexpr double kEndOfDates = 2958466.0;   // 1 January 10000
constexpr double kUnixEpochDate = 25569.0;  // 1 January 1970
constexpr LONG kSecondsPerDay = 86400;

bool isDate(double d) { return d >= kFirstDate && d < kEndOfDates; }

// Numbers are read and written in the invariant form whatever LC_NUMERIC the client set
// (a toolkit sets the user's locale at start).
constexpr int kDoubleDigits = 15;
constexpr int kSingleDigits = 7;

double readInvariant(const std::string& text) {
  static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  return strtod_l(text.c_str(), nullptr, c);
}

// Up to digits significant digits, exponent as "E+20".
std::string writeInvariant(double v, int digits) {
  char buf[64];
  auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits).ptr;
  std::string s(buf, end);
  for (char& c : s)
    if (c == 'e') c = 'E';
  return s;
}

}  // namespace

Currency Currency::fromDouble(double v) {
  double scaled = roundHalfEven(v * 10000.0);
  if (!std::isfinite(scaled) || scaled < -9.2233720368547758e18 || scaled >= 9.2233720368547758e18) raise(6);
  return Currency{static_cast<std::int64_t>(scaled)};
}

Variant::Variant(std::shared_ptr<SafeArray> a) {
  VarType t = a ? a->elementType() : vbVariant;
  v_ = ArrayRef{t, std::move(a)};
}

Variant Variant::unallocatedArray(VarType elementType) {
  Variant v;
  v.v_ = ArrayRef{elementType, nullptr};
  return v;
}

VarType Variant::type() const {
  return std::visit(Overload{
                        [](const std::monostate&) { return vbEmpty; },
                        [](const NullValue&) { return vbNull; },
                        [](const Integer&) { return vbInteger; },
                        [](const LONG&) { return vbLong; },
                        [](const float&) { return vbSingle; },
                        [](const double&) { return vbDouble; },
                        [](const Currency&) { return vbCurrency; },
                        [](const Date&) { return vbDate; },
                        [](const String&) { return vbString; },
                        [](const ObjectPtr&) { return vbObject; },
                        [](const ErrorValue&) { return vbError; },
                        [](const bool&) { return vbBoolean; },
                        [](const BYTE&) { return vbByte; },
                        [](const ArrayRef& a) { return static_cast<VarType>(vbArray | a.elementType); },
                    },
                    v_);
}

bool Variant::isMissing() const {
  auto* e = std::get_if<ErrorValue>(&v_);
  return e && e->scode == DISP_E_PARAMNOTFOUND;
}

bool Variant::isNothing() const {
  auto* o = std::get_if<ObjectPtr>(&v_);
  return o && !*o;
}

bool Variant::isNumeric() const {
  switch (type()) {
    case vbInteger:
    case vbLong:
    case vbSingle:
    case vbDouble:
    case vbCurrency:
    case vbByte:
    case vbBoolean:
    case vbDate: return true;
    default: return false;
  }
}

namespace {

// The value of an object's default member, for conversions.
Variant defaultValueOf(const ObjectPtr& o) {
  if (!o) raise(91);
  std::vector<Variant> args;
  std::vector<NamedArg> named;
  return o->invoke(u"", InvokeKind::PropertyGet, args, named);
}

}  // namespace

double Variant::toDouble() const {
  return std::visit(Overload{
                        [](const std::monostate&) -> double { return 0; },
                        [](const NullValue&) -> double { raise(94); },
                        [](const Integer& i) -> double { return i.value; },
                        [](const LONG& l) -> double { return l; },
                        [](const float& f) -> double { return f; },
                        [](const double& d) -> double { return d; },
                        [](const Currency& c) -> double { return c.toDouble(); },
                        [](const Date& d) -> double { return d.value; },
                        [](const String& s) -> double {
                          double d = 0;
                          if (!parseNumber(s, d)) {
                            if (equalsText(s, u"True")) return -1;
                            if (equalsText(s, u"False")) return 0;
                            raise(13);
                          }
                          return d;
                        },
                        [](const ObjectPtr& o) -> double { return defaultValueOf(o).toDouble(); },
                        [](const ErrorValue&) -> double { raise(13); },
                        [](const bool& b) -> double { return b ? -1 : 0; },
                        [](const BYTE& b) -> double { return b; },
                        [](const ArrayRef&) -> double { raise(13); },
                    },
                    v_);
}

LONG Variant::toLong() const {
  if (auto* l = std::get_if<LONG>(&v_)) return *l;
  if (auto* i = std::get_if<Integer>(&v_)) return i->value;
  if (auto* b = std::get_if<BYTE>(&v_)) return *b;
  if (auto* b = std::get_if<bool>(&v_)) return *b ? -1 : 0;
  if (auto* c = std::get_if<Currency>(&v_)) {
    // Currency rounds from its exact decimal value.
    std::int64_t q = c->scaled / 10000, r = c->scaled % 10000;
    if (r > 5000 || (r == 5000 && (q & 1))) ++q;
    if (r < -5000 || (r == -5000 && (q & 1))) --q;
    if (q < std::numeric_limits<LONG>::min() || q > std::numeric_limits<LONG>::max()) raise(6);
    return static_cast<LONG>(q);
  }
  double d = roundHalfEven(toDouble());
  if (!(d >= -2147483648.0 && d <= 2147483647.0)) raise(6);
  return static_cast<LONG>(d);
}

Integer Variant::toInteger() const {
  LONG l;
  if (auto* i = std::get_if<Integer>(&v_)) return *i;
  double d = roundHalfEven(toDouble());
  if (!(d >= -32768.0 && d <= 32767.0)) raise(6);
  l = static_cast<LONG>(d);
  return Integer{static_cast<std::int16_t>(l)};
}

BYTE Variant::toByte() const {
  if (auto* b = std::get_if<BYTE>(&v_)) return *b;
  double d = roundHalfEven(toDouble());
  if (!(d >= 0.0 && d <= 255.0)) raise(6);
  return static_cast<BYTE>(d);
}

float Variant::toSingle() const {
  if (auto* f = std::get_if<float>(&v_)) return *f;
  double d = toDouble();
  if (std::isfinite(d) && std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max())) raise(6);
  return static_cast<float>(d);
}

Currency Variant::toCurrency() const {
  if (auto* c = std::get_if<Currency>(&v_)) return *c;
  if (auto* l = std::get_if<LONG>(&v_)) return Currency{static_cast<std::int64_t>(*l) * 10000};
  return Currency::fromDouble(toDouble());
}

Date Variant::toDate() const {
  if (auto* d = std::get_if<Date>(&v_)) return *d;
  auto* s = std::get_if<String>(&v_);
  double d = s ? dateFromString(*s) : toDouble();
  if (!isDate(d)) raise(6);
  return Date{d};
}

bool Variant::toBool() const {
  if (auto* b = std::get_if<bool>(&v_)) return *b;
  if (auto* s = std::get_if<String>(&v_)) {
    String t = *s;
    size_t b = 0, e = t.size();
    while (b < e && isBlank(t[b])) ++b;
    while (e > b && isBlank(t[e - 1])) --e;
    std::u16string_view trimmed(t.data() + b, e - b);
    if (equalsText(trimmed, u"True")) return true;
    if (equalsText(trimmed, u"False")) return false;
    double d = 0;
    if (!parseNumber(*s, d)) raise(13);
    return d != 0;
  }
  return toDouble() != 0;
}

String Variant::toString() const {
  return std::visit(
      Overload{
          [](const std::monostate&) -> String { return {}; },
          [](const NullValue&) -> String { raise(94); },
          [](const Integer& i) -> String { return asciiString(std::to_string(i.value).c_str()); },
          [](const LONG& l) -> String { return asciiString(std::to_string(l).c_str()); },
          [](const float& f) -> String {
            // A Single shows the digits it holds: seven significant ones.
            return formatDouble(readInvariant(writeInvariant(static_cast<double>(f), kSingleDigits)));
          },
          [](const double& d) -> String { return formatDouble(d); },
          [](const Currency& c) -> String {
            std::int64_t q = c.scaled / 10000, r = c.scaled % 10000;
            bool neg = c.scaled < 0;
            if (r < 0) r = -r;
            std::string s = (neg && q == 0 ? "-" : "") + std::to_string(q);
            if (r) {
              char frac[8];
              // r < 10000: four digits and the NUL always fit.
              (void)std::snprintf(frac, sizeof frac, "%04lld", static_cast<long long>(r));
              std::string f = frac;
              while (!f.empty() && f.back() == '0') f.pop_back();
              s += "." + f;
            }
            return asciiString(s.c_str());
          },
          [](const Date& d) -> String {
            // ISO form: the same in every locale, and read back by any program.
            // Before 30 December 1899 the fraction is still the time after
            // midnight: -1.25 is 29 December 1899, 06:00.
            if (!isDate(d.value)) raise(6);
            double days = std::trunc(d.value);
            LONG daySecs = static_cast<LONG>(std::lround(std::fabs(d.value - days) * kSecondsPerDay));
            if (daySecs == kSecondsPerDay) {  // rounds up to the next midnight
              days += 1;
              daySecs = 0;
            }
            time_t secs = static_cast<time_t>((days - kUnixEpochDate) * kSecondsPerDay);
            struct tm t {};
            gmtime_r(&secs, &t);
            char buf[64];  // the longest date and time take 20 of these
            if (daySecs == 0) {
              (void)std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
            } else {
              (void)std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                                  t.tm_mday, daySecs / 3600, daySecs / 60 % 60, daySecs % 60);
            }
            return asciiString(buf);
          },
          [](const String& s) -> String { return s; },
          [](const ObjectPtr& o) -> String { return defaultValueOf(o).toString(); },
          [](const ErrorValue&) -> String { raise(13); },
          [](const bool& b) -> String { return b ? u"True" : u"False"; },
          [](const BYTE& b) -> String { return asciiString(std::to_string(b).c_str()); },
          [](const ArrayRef& a) -> String {
            // A Byte array reads as the UTF-16 text its bytes hold.
            if (a.elementType != vbByte) raise(13);
            // An odd last byte reads as a unit of its own.
            if (!a.array) return String();
            const auto& b = a.array->bytes();
            String s = cp::fromUtf16Le(b.data(), b.size());
            if (b.size() % 2) s.push_back(b.back());
            return s;
          },
      },
      v_);
}

ObjectPtr Variant::toObject() const {
  if (auto* o = std::get_if<ObjectPtr>(&v_)) return *o;
  raise(424);
}

Variant Variant::convertTo(VarType t) const {
  switch (t) {
    case vbEmpty:
    case vbVariant: return *this;
    case vbNull: return Variant::null();
    case vbInteger: return toInteger();
    case vbLong: return toLong();
    case vbSingle: return toSingle();
    case vbDouble: return toDouble();
    case vbCurrency: return toCurrency();
    case vbDate: return toDate();
    case vbString: return toString();
    case vbObject: return toObject();
    case vbBoolean: return toBool();
    case vbByte: return toByte();
    case vbError:
      if (std::holds_alternative<ErrorValue>(v_)) return *this;
      return ErrorValue{toLong()};
    default:
      if (t & vbArray) {
        if (auto* a = std::get_if<ArrayRef>(&v_)) {
          VarType elem = static_cast<VarType>(t & ~vbArray);
          if (elem == vbVariant || a->elementType == elem) return *this;
          if (!a->array) return unallocatedArray(elem);
          auto conv = SafeArray::create(elem, a->array->lbound(), a->array->count());
          for (LONG i = a->array->lbound(); i <= a->array->ubound(); ++i) conv->set(i, a->array->get(i));
          return Variant(conv);
        }
      }
      raise(13);
  }
}

std::shared_ptr<const SafeArray> Variant::array() const {
  if (auto* a = std::get_if<ArrayRef>(&v_)) return a->array;
  return nullptr;
}

SafeArray* Variant::arrayForWrite() {
  auto* a = std::get_if<ArrayRef>(&v_);
  if (!a || !a->array) return nullptr;
  if (a->array.use_count() > 1) a->array = a->array->clone();
  return a->array.get();
}

VarType Variant::arrayElementType() const {
  if (auto* a = std::get_if<ArrayRef>(&v_)) return a->elementType;
  return vbEmpty;
}

bool variantEquals(const Variant& a0, const Variant& b0, bool textCompare) {
  Variant a = a0, b = b0;
  if (a.isObject()) a = defaultValueOf(a.toObject());
  if (b.isObject()) b = defaultValueOf(b.toObject());
  if (a.isArray() || b.isArray()) raise(13);
  if (a.isNull() || b.isNull()) return false;
  if (a.type() == vbError || b.type() == vbError) {
    if (a.type() == vbError && b.type() == vbError)
      return std::get<ErrorValue>(a.storage()).scode == std::get<ErrorValue>(b.storage()).scode;
    return false;
  }
  bool aStr = a.isString(), bStr = b.isString();
  if (a.isEmpty() && b.isEmpty()) return true;
  if (aStr && bStr) {
    return textCompare ? equalsText(*a.asString(), *b.asString()) : *a.asString() == *b.asString();
  }
  if (a.isEmpty()) return bStr ? b.asString()->empty() : b.toDouble() == 0;
  if (b.isEmpty()) return aStr ? a.asString()->empty() : a.toDouble() == 0;
  if (aStr || bStr) return false;  // a number never equals a string
  if (a.type() == vbCurrency && b.type() == vbCurrency)
    return std::get<Currency>(a.storage()).scaled == std::get<Currency>(b.storage()).scaled;
  return a.toDouble() == b.toDouble();
}

bool parseNumber(std::u16string_view text, double& out) {
  size_t b = 0, e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  if (b == e) return false;
  std::u16string_view t = text.substr(b, e - b);
  if (t.size() > 2 && t[0] == u'&' && (t[1] == u'H' || t[1] == u'h' || t[1] == u'O' || t[1] == u'o')) {
    int base = (t[1] == u'H' || t[1] == u'h') ? 16 : 8;
    unsigned long long v = 0;
    size_t digits = 0;
    for (size_t i = 2; i < t.size(); ++i) {
      char16_t c = t[i];
      int d = (c >= u'0' && c <= u'9')                 ? c - u'0'
              : (base == 16 && c >= u'a' && c <= u'f') ? c - u'a' + 10
              : (base == 16 && c >= u'A' && c <= u'F') ? c - u'A' + 10
                                                       : -1;
      if (d < 0 || d >= base) {
        if (i == t.size() - 1 && (c == u'&' || c == u'%')) break;  // type suffix
        return false;
      }
      v = v * base + static_cast<unsigned>(d);
      if (++digits > 16) return false;
    }
    if (digits == 0) return false;
    // Hexadecimal literals of 16 or 32 bits read as signed values of that width.
    if (v <= 0xFFFF && digits <= 4)
      out = static_cast<std::int16_t>(v);
    else if (v <= 0xFFFFFFFFull)
      out = static_cast<LONG>(static_cast<DWORD>(v));
    else
      out = static_cast<double>(v);
    return true;
  }
  std::string ascii;
  for (char16_t c : t) {
    if (c > 0x7F) return false;
    ascii.push_back(static_cast<char>(c));
  }
  // Only the invariant number form: sign, digits, one point, exponent.
  size_t i = 0;
  if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) ++i;
  size_t digits = 0;
  while (i < ascii.size() && std::isdigit(static_cast<unsigned char>(ascii[i]))) ++i, ++digits;
  if (i < ascii.size() && ascii[i] == '.') {
    ++i;
    while (i < ascii.size() && std::isdigit(static_cast<unsigned char>(ascii[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < ascii.size() && (ascii[i] == 'e' || ascii[i] == 'E')) {
    ++i;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < ascii.size() && std::isdigit(static_cast<unsigned char>(ascii[i]))) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != ascii.size()) return false;
  out = readInvariant(ascii);
  if (!std::isfinite(out)) raise(6);
  return true;
}

String formatDouble(double v) {
  if (std::isnan(v)) return u"NaN";
  if (std::isinf(v)) return v > 0 ? u"Infinity" : u"-Infinity";
  if (v == 0) return u"0";
  std::string s = writeInvariant(v, kDoubleDigits);
  auto epos = s.find('E');
  std::string mant = epos == std::string::npos ? s : s.substr(0, epos);
  std::string exp = epos == std::string::npos ? "" : s.substr(epos + 1);
  if (mant.find('.') != std::string::npos) {
    while (mant.back() == '0') mant.pop_back();
    if (mant.back() == '.') mant.pop_back();
  }
  if (!exp.empty()) {
    // E+020 -> E+20, E-005 -> E-05: two digits at least, as the runtime writes them.
    char sign = exp[0];
    std::string digits = exp.substr(1);
    while (digits.size() > 2 && digits[0] == '0') digits.erase(0, 1);
    mant += "E";
    mant += sign;
    mant += digits;
  }
  return asciiString(mant.c_str());
}

String typeName(const Variant& v) {
  static const char16_t* names[] = {u"Empty",    u"Null",    u"Integer", u"Long",    u"Single",  u"Double",
                                    u"Currency", u"Date",    u"String",  u"Object",  u"Error",   u"Boolean",
                                    u"Variant",  u"Unknown", u"Decimal", u"Unknown", u"Unknown", u"Byte"};
  VarType t = v.type();
  if (t & vbArray) {
    VarType e = static_cast<VarType>(t & ~vbArray);
    return String(e < 18 ? names[e] : u"Unknown") + u"()";
  }
  if (t == vbObject) {
    auto o = v.toObject();
    return o ? o->className() : u"Nothing";
  }
  return t < 18 ? names[t] : u"Unknown";
}

}  // namespace quendel::automation
