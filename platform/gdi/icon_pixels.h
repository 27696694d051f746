// The pixels an icon or cursor shows, as one straight-alpha image: what drawing it over
// a surface blends in, for code that paints or encodes icons itself.
//
//   gdi::IconPixels px;
//   if (gdi::iconPixels(icon, &px)) ... px.argb[y * px.width + x] ...
//
// An icon whose colour image carries alpha gives that alpha; otherwise each pixel is
// opaque where the mask is clear and fully transparent where it is set (the colour XOR
// that a set mask bit applies on the display is not kept). False for a handle that is
// no icon, the output untouched.
#pragma once

#include <vector>

#include "platform/gdi/gdi.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::gdi {

struct IconPixels {
  int width = 0;
  int height = 0;
  bool isIcon = true;  // false for a cursor
  DWORD xHotspot = 0;
  DWORD yHotspot = 0;
  bool hasAlpha = false;            // the colour image carried alpha of its own
  std::vector<std::uint32_t> argb;  // 0xAARRGGBB, straight alpha, rows top-down
};

[[nodiscard]] bool iconPixels(HICON icon, IconPixels* out);

}  // namespace quendel::gdi

QUENDEL_EXPORT_END
