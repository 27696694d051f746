#include "toolvane/clipboard/html_clip.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "support/rounding.h"
#include "support/runtime_error.h"

namespace quendel::toolvane {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

constexpr int kHexBase = 16;
constexpr int kOctalBase = 8;
constexpr int kNotADigit = kHexBase;  // above every base
// A literal of at most four digits that fits 16 bits is an Integer, so &HFFFF is -1.
constexpr std::size_t kIntegerLiteralDigits = 4;
constexpr std::uint64_t kIntegerLiteralMax = 0xFFFF;
constexpr std::uint64_t kLongLiteralMax = 0xFFFFFFFFu;

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return kNotADigit;
}

bool isRadixLiteral(std::string_view t) {
  return t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h' || t[1] == 'O' || t[1] == 'o');
}

// An &H or &O literal, blanks already trimmed.
LONG radixLiteral(std::string_view t) {
  const int base = (t[1] == 'H' || t[1] == 'h') ? kHexBase : kOctalBase;
  std::uint64_t v = 0;
  std::size_t digits = 0;
  for (std::size_t i = 2; i < t.size(); ++i) {
    char c = t[i];
    int d = digitValue(c);
    if (d >= base) {
      if (i == t.size() - 1 && (c == '&' || c == '%')) break;  // a type suffix
      throw RuntimeError(13);
    }
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d), ++digits;
  }
  if (digits == 0) throw RuntimeError(13);
  if (v <= kIntegerLiteralMax && digits <= kIntegerLiteralDigits) return static_cast<std::int16_t>(v);
  if (v <= kLongLiteralMax) return static_cast<LONG>(static_cast<DWORD>(v));
  throw RuntimeError(6);
}

// A decimal number with an optional sign, point and exponent, blanks already trimmed.
LONG decimalNumber(std::string_view t) {
  std::size_t i = 0, digits = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) throw RuntimeError(13);
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t exp = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++exp;
    if (exp == 0) throw RuntimeError(13);
  }
  if (i != t.size()) throw RuntimeError(13);
  double d = 0;
  std::from_chars(t.data() + (t[0] == '+' ? 1 : 0), t.data() + t.size(), d);  // never the locale's point
  d = roundHalfEven(d);
  if (!(d >= std::numeric_limits<LONG>::min() && d <= std::numeric_limits<LONG>::max())) throw RuntimeError(6);
  return static_cast<LONG>(d);
}

// Text to a 32-bit number as the runtime converts it (blanks around, a sign, digits with a
// point and an exponent, or an &H / &O literal; rounded half to even): 13 for text that is
// no number, 6 for a number outside the 32-bit range. Kept free of the runtime's types so
// that the parser can be fuzzed on its own.
LONG toLong(std::string_view t) {
  while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
  return isRadixLiteral(t) ? radixLiteral(t) : decimalNumber(t);
}

constexpr std::size_t kHeaderValueLength = 10;

// A header value: the ten characters after the key, as a 32-bit number; 0 when absent.
LONG headerValue(std::string_view s, std::string_view key) {
  auto at = s.find(key);
  if (at == std::string_view::npos) return 0;
  return toLong(s.substr(at + key.size(), kHeaderValueLength));
}

// The characters from 0-based offset `from` to `to`, as the header describes them.
std::string span(std::string_view s, LONG from, LONG to) {
  if (to < from) throw RuntimeError(5);
  auto begin = static_cast<std::size_t>(from);
  if (begin >= s.size()) return {};
  return std::string(s.substr(begin, static_cast<std::size_t>(to) - begin));
}

std::string between(std::string_view s, std::string_view startKey, std::string_view endKey) {
  LONG a = headerValue(s, startKey);
  LONG b = headerValue(s, endKey);
  if (a < 1 || b < 1) return {};
  return span(s, a, b);
}

}  // namespace

std::string cutHtmlPart(std::string_view s, LONG returnValue) {
  switch (returnValue) {
    case ghrvRaw: return std::string(s);
    case ghrvHTML: {
      LONG a = headerValue(s, "StartHTML:");
      LONG b = headerValue(s, "EndHTML:");
      if (a < 1 || b < 1) return std::string(s);
      return span(s, a, b);
    }
    case ghrvContextStart: return between(s, "StartHTML:", "StartFragment:");
    case ghrvContextEnd: return between(s, "EndFragment:", "EndHTML:");
    case ghrvFragment: return between(s, "StartFragment:", "EndFragment:");
    case ghrvSelection: return between(s, "StartSelection:", "EndSelection:");
    case ghrvSourceURL: {
      constexpr std::string_view kKey = "SourceURL:";
      auto at = s.find(kKey);
      if (at == std::string_view::npos) return {};
      LONG startHtml = headerValue(s, "StartHTML:");
      // The key must lie in the header: before the HTML part starts.
      if (startHtml >= 1 && static_cast<std::size_t>(startHtml) <= at) return {};
      std::size_t from = at + kKey.size();
      auto end = s.find("\r\n", from);
      if (end == std::string_view::npos) return {};
      return std::string(s.substr(from, end - from));
    }
    default: return {};
  }
}

}  // namespace quendel::toolvane
