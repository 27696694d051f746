// Makes the SVG that libwmf writes readable by librsvg and faithful to the platform's
// drawing, before it is drawn.
//
//   std::string svg = ...libwmf's SVG device output...;
//   svg = fixWmfSvg(std::move(svg));
//
// libwmf's SVG has four faults for our use, each fixed here:
//  - it uses the xlink prefix (inline images) without declaring it, so the XML parser
//    refuses the whole drawing: the SVG and xlink namespaces are declared on <svg>;
//  - it copies text bytes as the file holds them (the ANSI code page), which is not
//    UTF-8: a drawing that is not valid UTF-8 is decoded from the ANSI code page (from
//    Latin-1 when that page is UTF-8 or unknown), and control bytes XML forbids become
//    spaces;
//  - it gives a pen its width in device units however thin, and one below a pixel
//    paints no pixel without antialiasing, where the platform draws every pen at least
//    one pixel wide: stroke widths below 1 become 1.
// The function never fails; text without an <svg element is returned as it came.
#pragma once

#include <string>

#include <string_view>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

inline constexpr std::string_view kColourMark = "<!--colours ";

[[nodiscard]] std::string fixWmfSvg(std::string svg);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
