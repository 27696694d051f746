#include "platform/clipboard/clipboard_formats.h"

#include <cstdio>
#include <cstring>

#include "support/codepage.h"

namespace quendel::clipboard {
namespace {

constexpr std::string_view kStartMarker = "<!--StartFragment-->";
constexpr std::string_view kEndMarker = "<!--EndFragment-->";

void putU32(std::vector<BYTE>& out, std::size_t at, DWORD v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<BYTE>(v >> (8 * i));
}

DWORD getU32(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24; }

// The value of a "Key:" line: at most ten digits after the key's first occurrence.
std::optional<std::size_t> headerValue(std::string_view data, std::string_view key) {
  auto at = data.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t i = at + key.size();
  std::size_t v = 0, digits = 0;
  while (i < data.size() && digits < 10 && data[i] >= '0' && data[i] <= '9') {
    v = v * 10 + static_cast<std::size_t>(data[i] - '0');
    ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  return v;
}

}  // namespace

bool isPredefinedFormat(UINT format) {
  return (format >= 1 && format <= 17) || (format >= 0x0080 && format <= 0x0083) || format == 0x008E ||
         (format >= 0x0200 && format <= 0x02FF) || (format >= 0x0300 && format <= 0x03FF);
}

std::string buildHtmlBlock(std::string_view fragment, std::string_view contextStart, std::string_view contextEnd) {
  std::string start = std::string(contextStart) + std::string(kStartMarker);
  std::string end = std::string(kEndMarker) + std::string(contextEnd);
  const std::size_t startHtml = kHtmlHeaderLength;
  const std::size_t startFragment = startHtml + start.size();
  const std::size_t endFragment = startFragment + fragment.size();
  const std::size_t endHtml = endFragment + end.size() + 1;  // the terminating NUL counts
  char header[kHtmlHeaderLength + 1];
  // Every field has ten digits, so the header has exactly kHtmlHeaderLength characters.
  (void)std::snprintf(
      header, sizeof header,
      "Version:1.0\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\nEndFragment:%010zu\r\n", startHtml,
      endHtml, startFragment, endFragment);
  std::string block;
  block.reserve(endHtml);
  block.append(header, kHtmlHeaderLength);
  block += start;
  block += fragment;
  block += end;
  block.push_back('\0');
  return block;
}

std::optional<std::string> htmlFragmentOf(std::string_view block) {
  std::string_view data = block.substr(0, block.find('\0'));
  auto sf = headerValue(data, "StartFragment:");
  auto ef = headerValue(data, "EndFragment:");
  if (sf && ef && *sf <= *ef && *sf <= data.size()) {
    return std::string(data.substr(*sf, std::min(*ef, data.size()) - *sf));
  }
  auto m1 = data.find(kStartMarker);
  auto m2 = data.rfind(kEndMarker);
  if (m1 != std::string_view::npos && m2 != std::string_view::npos && m1 + kStartMarker.size() <= m2) {
    return std::string(data.substr(m1 + kStartMarker.size(), m2 - m1 - kStartMarker.size()));
  }
  auto sh = headerValue(data, "StartHTML:");
  auto eh = headerValue(data, "EndHTML:");
  if (sh && eh && *sh <= *eh && *sh <= data.size()) {
    return std::string(data.substr(*sh, std::min(*eh, data.size()) - *sh));
  }
  return std::nullopt;
}

std::vector<BYTE> buildDropFiles(const std::vector<std::u16string>& names, bool wide) {
  std::u16string joined;
  for (const auto& n : names) {
    joined += n;
    joined.push_back(u'\0');
  }
  joined.push_back(u'\0');
  std::vector<BYTE> out(kDropFilesHeaderSize, 0);
  putU32(out, 0, kDropFilesHeaderSize);
  putU32(out, 16, wide ? 1 : 0);
  if (wide) {
    cp::appendUtf16Le(joined, out);
  } else {
    std::string ansi = cp::unicodeToAnsi(joined);
    out.insert(out.end(), ansi.begin(), ansi.end());
  }
  return out;
}

std::optional<DropFiles> readDropFiles(const BYTE* data, std::size_t size) {
  if (data == nullptr || size < kDropFilesHeaderSize) return std::nullopt;
  const DWORD offset = getU32(data);
  if (offset > size) return std::nullopt;
  DropFiles r;
  r.wide = getU32(data + 16) != 0;
  const BYTE* p = data + offset;
  const std::size_t n = size - offset;
  std::u16string text;
  if (r.wide) {
    text = cp::fromUtf16Le(p, n);
  } else {
    text = cp::ansiToUnicode(std::string_view(reinterpret_cast<const char*>(p), n));
  }
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find(u'\0', begin);
    if (end == std::u16string::npos) end = text.size();
    if (end > begin) r.names.emplace_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return r;
}

}  // namespace quendel::clipboard
