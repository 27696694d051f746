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
constexpr std::size_t kMarkBodySize = 28;  // "fill=#rrggbb stroke=#rrggbb "

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

// Each drawing call is preceded by kColourMark "fill=#rrggbb stroke=#rrggbb -->": the
// colours libwmf wrote by name after it, up to the next mark, become those exact ones.
void restoreColours(std::string& svg) {
  std::string out;
  out.reserve(svg.size());
  std::string fill, stroke;
  std::size_t at = 0;
  while (at < svg.size()) {
    const std::size_t mark = svg.find(kColourMark, at);
    std::string_view part = std::string_view(svg).substr(at, mark == std::string::npos ? mark : mark - at);
    for (std::size_t i = 0; i < part.size(); ++i) {
      const bool isFill = part.substr(i, 5) == "fill:", isStroke = part.substr(i, 7) == "stroke:";
      const std::string& exact = isFill ? fill : stroke;
      if (!(isFill || isStroke) || exact.empty() || (i > 0 && part[i - 1] == '-')) {
        out += part[i];
        continue;
      }
      const std::size_t start = i + (isFill ? 5 : 7);
      std::size_t end = start;
      while (end < part.size() && std::isalpha(static_cast<unsigned char>(part[end]))) ++end;
      const std::string_view name = part.substr(start, end - start);
      out.append(part.substr(i, start - i));
      out.append(name.empty() || name == "none" ? std::string(name) : exact);
      i = end - 1;
    }
    if (mark == std::string::npos) break;
    const std::size_t close = svg.find("-->", mark);
    if (close == std::string::npos) break;
    const std::string_view body =
        std::string_view(svg).substr(mark + kColourMark.size(), close - mark - kColourMark.size());
    fill = stroke = "";
    if (body.size() == kMarkBodySize && body.substr(0, 5) == "fill=" && body.substr(12, 8) == " stroke=") {
      fill = std::string(body.substr(5, 7));
      stroke = std::string(body.substr(20, 7));
    }
    at = close + 3;
  }
  svg = std::move(out);
}

}  // namespace

std::string fixWmfSvg(std::string svg) {
  if (svg.find(kSvgOpen) == std::string::npos) return svg;
  restoreColours(svg);
  makeUtf8(svg);
  declareNamespaces(svg);
  widenHairlines(svg);
  return svg;
}

}  // namespace quendel::codecs
