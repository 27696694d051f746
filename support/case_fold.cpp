#include "support/case_fold.h"

namespace quendel::text {
namespace {

// Ranges where upper and lower case letters alternate: upper at even code points when
// upperEven, else at odd ones.
struct AlternatingRange {
  char16_t first, last;
  bool upperEven;
};

constexpr AlternatingRange kAlternating[] = {
    {0x0100, 0x0137, true},  {0x0139, 0x0148, false}, {0x014A, 0x0177, true}, {0x0179, 0x017E, false},
    {0x0182, 0x0185, true},  {0x01A0, 0x01A5, true},  {0x01DE, 0x01EF, true}, {0x01F8, 0x021F, true},
    {0x0222, 0x0233, true},  {0x03D8, 0x03EF, true},  {0x0460, 0x0481, true}, {0x048A, 0x04BF, true},
    {0x04C1, 0x04CE, false}, {0x04D0, 0x052F, true},  {0x1E00, 0x1E95, true}, {0x1EA0, 0x1EFF, true},
};

// Blocks where the lower-case letter is the upper-case one plus a fixed distance.
struct ShiftedRange {
  char16_t upperFirst, upperLast;
  char16_t distance;  // lower = upper + distance
};

constexpr ShiftedRange kShifted[] = {
    {0x0041, 0x005A, 32},                        // Latin
    {0x00C0, 0x00DE, 32},                        // Latin-1 (without the multiplication sign 0xD7)
    {0x0391, 0x03AB, 32},                        // Greek (without the unassigned 0x3A2)
    {0x0388, 0x038A, 37},                        // Greek with tonos
    {0x038E, 0x038F, 63}, {0x0410, 0x042F, 32},  // Cyrillic
    {0x0400, 0x040F, 80}, {0x0531, 0x0556, 48},  // Armenian
    {0xFF21, 0xFF3A, 32},                        // full-width Latin
};

// Pairs that follow no block rule.
struct SinglePair {
  char16_t upper, lower;
};

constexpr SinglePair kSingles[] = {{0x0178, 0x00FF}, {0x0386, 0x03AC}, {0x038C, 0x03CC}, {0x04C0, 0x04CF}};

constexpr char16_t kMultiplicationSign = 0x00D7;
constexpr char16_t kDivisionSign = 0x00F7;
constexpr char16_t kGreekGap = 0x03A2;
constexpr char16_t kFinalSigma = 0x03C2;
constexpr char16_t kCapitalSigma = 0x03A3;

bool isCaseless(char16_t c) { return c == kMultiplicationSign || c == kDivisionSign || c == kGreekGap; }

}  // namespace

char16_t upcaseUnit(char16_t c) {
  if (isCaseless(c)) return c;
  if (c == kFinalSigma) return kCapitalSigma;
  for (const auto& p : kSingles) {
    if (c == p.lower) return p.upper;
  }
  for (const auto& r : kAlternating) {
    if (c < r.first || c > r.last) continue;
    bool isEven = (c % 2) == 0;
    return isEven == r.upperEven ? c : static_cast<char16_t>(c - 1);
  }
  for (const auto& r : kShifted) {
    if (c >= r.upperFirst + r.distance && c <= r.upperLast + r.distance) return static_cast<char16_t>(c - r.distance);
  }
  return c;
}

char16_t downcaseUnit(char16_t c) {
  if (isCaseless(c)) return c;
  for (const auto& p : kSingles) {
    if (c == p.upper) return p.lower;
  }
  for (const auto& r : kAlternating) {
    if (c < r.first || c > r.last) continue;
    bool isUpper = ((c % 2) == 0) == r.upperEven;
    return isUpper && c < r.last ? static_cast<char16_t>(c + 1) : c;
  }
  for (const auto& r : kShifted) {
    if (c >= r.upperFirst && c <= r.upperLast) return static_cast<char16_t>(c + r.distance);
  }
  return c;
}

std::u16string foldCase(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) c = upcaseUnit(c);
  return out;
}

std::u16string lowerCase(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) c = downcaseUnit(c);
  return out;
}

std::string foldKey(std::u16string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char16_t c : s) {
    char16_t u = upcaseUnit(c);
    out.push_back(static_cast<char>(u >> 8));
    out.push_back(static_cast<char>(u & 0xFF));
  }
  return out;
}

int compareFolded(std::u16string_view a, std::u16string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = upcaseUnit(a[i]), y = upcaseUnit(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace quendel::text
