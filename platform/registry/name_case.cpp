#include "platform/registry/name_case.h"

namespace quendel::registry {
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

}  // namespace

char16_t upcaseUnit(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
  if (c == 0xFF) return 0x178;
  for (const auto& r : kAlternating) {
    if (c < r.first || c > r.last) continue;
    bool isEven = (c % 2) == 0;
    return isEven == r.upperEven ? c : static_cast<char16_t>(c - 1);
  }
  // Greek.
  if (c >= 0x3B1 && c <= 0x3CB) return c == 0x3C2 ? char16_t{0x3A3} : static_cast<char16_t>(c - 32);
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return static_cast<char16_t>(c - 37);
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return static_cast<char16_t>(c - 63);
  // Cyrillic.
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  if (c == 0x4CF) return 0x4C0;
  // Armenian.
  if (c >= 0x561 && c <= 0x586) return static_cast<char16_t>(c - 48);
  // Full-width Latin.
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);
  return c;
}

std::u16string foldName(std::u16string_view name) {
  std::u16string out(name);
  for (auto& c : out) c = upcaseUnit(c);
  return out;
}

std::string foldKey(std::u16string_view name) {
  std::string out;
  out.reserve(name.size() * 2);
  for (char16_t c : name) {
    char16_t u = upcaseUnit(c);
    out.push_back(static_cast<char>(u >> 8));
    out.push_back(static_cast<char>(u & 0xFF));
  }
  return out;
}

}  // namespace quendel::registry
