#include "platform/codecs/wmf_svg_fixup.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

#include "support/codepage.h"

namespace quendel::codecs {

namespace {

constexpr std::string_view kSvgOpen = "<svg ";
constexpr std::string_view kNamespaces =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" ";
constexpr std::string_view kStrokeWidth = "stroke-width:";
constexpr unsigned kUtf8CodePage = 65001;

void declareNamespaces(std::string& svg) {
  const std::size_t at = svg.find(kSvgOpen);
  if (at == std::string::npos) return;
  const std::size_t close = svg.find('>', at);
  const std::string_view tag = std::string_view(svg).substr(at, close == std::string::npos ? close : close - at);
  if (tag.find("xmlns:xlink") != std::string_view::npos) return;
  svg.replace(at, kSvgOpen.size(), kNamespaces);
}

bool isUtf8(std::string_view s) { return cp::toUtf8(cp::fromUtf8(s)) == s; }

void makeUtf8(std::string& svg) {
  const bool ascii = std::all_of(svg.begin(), svg.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii && !isUtf8(svg)) {
    const unsigned page = cp::ansiCodePage();
    svg = cp::toUtf8(page == 0 || page == kUtf8CodePage ? cp::fromLatin1(svg) : cp::ansiToUnicode(svg));
  }
  // XML 1.0 allows tab, line feed and carriage return only among the control characters.
  for (char& c : svg) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') c = ' ';
  }
}

void widenHairlines(std::string& svg) {
  for (std::size_t at = svg.find(kStrokeWidth); at != std::string::npos; at = svg.find(kStrokeWidth, at + 1)) {
    const std::size_t start = at + kStrokeWidth.size();
    std::size_t end = start;
    while (end < svg.size() && (std::isdigit(static_cast<unsigned char>(svg[end])) || svg[end] == '.')) ++end;
    double width = 0;
    const auto [ptr, ec] = std::from_chars(svg.data() + start, svg.data() + end, width);
    if (ec == std::errc() && ptr == svg.data() + end && width < 1) svg.replace(start, end - start, "1");
  }
}

}  // namespace

std::string fixWmfSvg(std::string svg) {
  if (svg.find(kSvgOpen) == std::string::npos) return svg;
  makeUtf8(svg);
  declareNamespaces(svg);
  widenHairlines(svg);
  return svg;
}

}  // namespace quendel::codecs
