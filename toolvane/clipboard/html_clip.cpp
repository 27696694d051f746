#include "toolvane/clipboard/html_clip.h"

#include "automation/variant.h"
#include "support/runtime_error.h"

namespace quendel::toolvane {
namespace {

using automation::Variant;

// A header value: the ten characters after the key, as a 32-bit number; 0 when absent.
LONG headerValue(std::string_view s, std::string_view key) {
  auto at = s.find(key);
  if (at == std::string_view::npos) return 0;
  std::string_view digits = s.substr(at + key.size(), 10);
  std::u16string text(digits.begin(), digits.end());
  for (auto& c : text) c = static_cast<unsigned char>(c);
  return Variant(text).toLong();  // 13 for text that is no number, 6 for one too large
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
