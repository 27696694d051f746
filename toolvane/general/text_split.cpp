#include "toolvane/general/text_split.h"

namespace quendel::toolvane {

using automation::String;

namespace {

std::size_t findDelimiter(const String& text, const String& delimiter, std::size_t from, bool textCompare) {
  if (!textCompare) return text.find(delimiter, from);
  if (delimiter.size() > text.size()) return String::npos;
  for (std::size_t i = from; i + delimiter.size() <= text.size(); ++i)
    if (automation::equalsText(std::u16string_view(text).substr(i, delimiter.size()), delimiter)) return i;
  return String::npos;
}

}  // namespace

std::vector<String> splitText(const String& text, const String& delimiter, LONG limit, bool textCompare) {
  std::vector<String> parts;
  if (text.empty() || limit == 0) return parts;
  if (delimiter.empty()) {
    parts.push_back(text);
    return parts;
  }
  std::size_t start = 0;
  while (limit < 0 || static_cast<LONG>(parts.size()) < limit - 1) {
    std::size_t at = findDelimiter(text, delimiter, start, textCompare);
    if (at == String::npos) break;
    parts.push_back(text.substr(start, at - start));
    start = at + delimiter.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace quendel::toolvane
