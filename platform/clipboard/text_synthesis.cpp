#include "platform/clipboard/text_synthesis.h"

#include <cstring>

#include "support/codepage.h"

namespace quendel::clipboard {
namespace {

constexpr UINT kTextFormats[] = {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT};

const Entry* find(const std::vector<Entry>& entries, UINT format) {
  for (const auto& e : entries) {
    if (e.format == format) return &e;
  }
  return nullptr;
}

std::u16string wideText(const Bytes& b) { return cp::fromUtf16LeUntilNul(b.data, b.size); }

std::string_view narrowText(const Bytes& b) {
  const char* p = reinterpret_cast<const char*>(b.data);
  const void* nul = b.size ? std::memchr(p, 0, b.size) : nullptr;
  return std::string_view(p, nul ? static_cast<const char*>(nul) - p : b.size);
}

std::u16string sourceText(const std::vector<Entry>& entries) {
  if (auto* e = find(entries, CF_UNICODETEXT)) return wideText(e->bytes);
  if (auto* e = find(entries, CF_TEXT)) return cp::ansiToUnicode(narrowText(e->bytes));
  if (auto* e = find(entries, CF_OEMTEXT)) return cp::oemToUnicode(narrowText(e->bytes));
  return {};
}

}  // namespace

std::vector<UINT> visibleFormats(const std::vector<Entry>& entries) {
  std::vector<UINT> list;
  bool anyText = false;
  for (const auto& e : entries) {
    list.push_back(e.format);
    for (UINT t : kTextFormats) anyText |= e.format == t;
  }
  if (anyText) {
    for (UINT t : {CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT}) {
      if (!find(entries, t)) list.push_back(t);
    }
  }
  return list;
}

std::optional<Bytes> formatData(const std::vector<Entry>& entries, UINT format) {
  if (auto* e = find(entries, format)) return e->bytes;
  bool isText = format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
  if (!isText || (!find(entries, CF_UNICODETEXT) && !find(entries, CF_TEXT) && !find(entries, CF_OEMTEXT))) {
    return std::nullopt;
  }
  std::u16string text = sourceText(entries);
  std::vector<BYTE> out;
  if (format == CF_UNICODETEXT) {
    out = cp::toUtf16Le(text + u'\0');
  } else {
    std::string s = format == CF_TEXT ? cp::unicodeToAnsi(text) : cp::unicodeToOem(text);
    out.assign(s.begin(), s.end());
    out.push_back(0);
  }
  return Bytes::fromVector(std::move(out));
}

}  // namespace quendel::clipboard
