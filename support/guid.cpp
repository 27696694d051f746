#include "support/guid.h"

#include <cstdlib>

namespace quendel {

namespace {
int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}
}  // namespace

std::optional<GUID> parseGuid(std::u16string_view t) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (t.size() != 38 || t[0] != u'{' || t[37] != u'}' || t[9] != u'-' || t[14] != u'-' || t[19] != u'-' ||
      t[24] != u'-')
    return std::nullopt;
  auto hex = [&](size_t pos, size_t n, std::uint64_t& v) {
    v = 0;
    for (size_t i = 0; i < n; ++i) {
      int h = hexValue(t[pos + i]);
      if (h < 0) return false;
      v = (v << 4) | static_cast<unsigned>(h);
    }
    return true;
  };
  GUID g;
  std::uint64_t v = 0;
  if (!hex(1, 8, v)) return std::nullopt;
  g.Data1 = static_cast<std::uint32_t>(v);
  if (!hex(10, 4, v)) return std::nullopt;
  g.Data2 = static_cast<std::uint16_t>(v);
  if (!hex(15, 4, v)) return std::nullopt;
  g.Data3 = static_cast<std::uint16_t>(v);
  const size_t pos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!hex(pos[i], 2, v)) return std::nullopt;
    g.Data4[i] = static_cast<std::uint8_t>(v);
  }
  return g;
}

std::u16string guidToString(const GUID& g) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  std::u16string s;
  s.reserve(38);
  auto put = [&](std::uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) s.push_back(digits[(v >> (4 * i)) & 0xF]);
  };
  s.push_back(u'{');
  put(g.Data1, 8);
  s.push_back(u'-');
  put(g.Data2, 4);
  s.push_back(u'-');
  put(g.Data3, 4);
  s.push_back(u'-');
  put(g.Data4[0], 2);
  put(g.Data4[1], 2);
  s.push_back(u'-');
  for (int i = 2; i < 8; ++i) put(g.Data4[i], 2);
  s.push_back(u'}');
  return s;
}

GUID guidFromLiteral(std::string_view text) {
  std::u16string w(text.begin(), text.end());
  auto g = parseGuid(w);
  if (!g) std::abort();  // a mistyped identifier in the code itself
  return *g;
}

}  // namespace quendel

HRESULT CLSIDFromString(const char16_t* text, GUID* out) {
  if (!out) return E_POINTER;
  if (!text) return CO_E_CLASSSTRING;
  auto g = quendel::parseGuid(text);
  if (!g) return CO_E_CLASSSTRING;
  *out = *g;
  return S_OK;
}

int StringFromGUID2(const GUID& guid, char16_t* buffer, int size) {
  if (!buffer || size < 39) return 0;
  std::u16string s = quendel::guidToString(guid);
  for (size_t i = 0; i < s.size(); ++i) buffer[i] = s[i];
  buffer[s.size()] = 0;
  return 39;
}
