#include "platform/gdi/icon_pixels.h"

#include "platform/gdi/gdi_handles.h"

namespace quendel::gdi {

namespace {
constexpr std::uint32_t kRgb = 0x00FFFFFFu;
constexpr std::uint32_t kOpaque = 0xFF000000u;
}  // namespace

bool iconPixels(HICON icon, IconPixels* out) {
  if (!out) return false;
  auto i = detail::find<detail::IconObject>(icon, detail::Kind::Icon);
  if (!i) return false;
  IconPixels r;
  r.width = i->width;
  r.height = i->height;
  r.isIcon = i->isIcon;
  r.xHotspot = i->xHotspot;
  r.yHotspot = i->yHotspot;
  r.hasAlpha = i->hasAlpha;
  r.argb.resize(static_cast<std::size_t>(i->width) * static_cast<std::size_t>(i->height));
  std::size_t n = 0;
  for (int y = 0; y < i->height; ++y) {
    const std::uint32_t* c = i->color->row(y);
    const std::uint32_t* m = i->mask->row(y);
    for (int x = 0; x < i->width; ++x, ++n) {
      // Drawing blends by alpha alone when the image has it, by the mask otherwise.
      if (i->hasAlpha)
        r.argb[n] = c[x];
      else
        r.argb[n] = (m[x] & kRgb) ? 0 : (kOpaque | (c[x] & kRgb));
    }
  }
  *out = std::move(r);
  return true;
}

}  // namespace quendel::gdi
