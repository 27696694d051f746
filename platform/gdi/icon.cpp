#include "platform/gdi/icon.h"

#include <cstring>

#include "platform/gdi/gdi_handles.h"

using namespace quendel::gdi;
using detail::BitmapObject;
using detail::IconObject;
using detail::Kind;

namespace quendel::gdi {

HICON createIcon(IconImage image) {
  if (!image.color || !image.mask || image.color->width() != image.mask->width() ||
      image.color->height() != image.mask->height())
    return nullptr;
  auto icon = std::make_shared<IconObject>();
  icon->isIcon = image.isIcon;
  icon->xHotspot = image.xHotspot;
  icon->yHotspot = image.yHotspot;
  icon->width = image.color->width();
  icon->height = image.color->height();
  icon->colorBits = image.colorBits;
  icon->hasAlpha = image.hasAlpha;
  icon->color = std::move(image.color);
  icon->mask = std::move(image.mask);
  return reinterpret_cast<HICON>(detail::addObject(Kind::Icon, std::move(icon)));
}

bool iconSize(HICON icon, int* width, int* height) {
  auto i = detail::find<IconObject>(icon, Kind::Icon);
  if (!i) return false;
  if (width) *width = i->width;
  if (height) *height = i->height;
  return true;
}

}  // namespace quendel::gdi

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) return nullptr;
  std::lock_guard lock(detail::tableMutex());
  auto color = detail::find<BitmapObject>(info->hbmColor, Kind::Bitmap);
  auto mask = detail::find<BitmapObject>(info->hbmMask, Kind::Bitmap);
  if (!color || !mask || color->width != mask->width || color->height != mask->height) return nullptr;
  auto colorRows = bitmapRowSource(info->hbmColor);
  auto maskRows = bitmapRowSource(info->hbmMask);
  auto colorCopy = PixelStore::create(color->width, color->height, false);
  auto maskCopy = PixelStore::create(mask->width, mask->height, false);
  if (!colorRows || !maskRows || !colorCopy || !maskCopy) return nullptr;
  std::unique_ptr<std::uint32_t[]> scratch(new std::uint32_t[color->width ? color->width : 1]);
  bool alpha = false;
  for (int y = 0; y < color->height; ++y) {
    std::memcpy(colorCopy->row(y), colorRows->row(y, scratch.get()), static_cast<std::size_t>(color->width) * 4);
    const std::uint32_t* m = maskRows->row(y, scratch.get());
    for (int x = 0; x < color->width; ++x) {
      maskCopy->row(y)[x] = (m[x] & 0x00FFFFFFu) ? 0x00FFFFFFu : 0;
      if (color->bitsPixel == 32 && (colorCopy->row(y)[x] >> 24) != 0xFF) alpha = true;
    }
  }
  IconImage image;
  image.isIcon = info->fIcon != 0;
  image.xHotspot = info->xHotspot;
  image.yHotspot = info->yHotspot;
  image.colorBits = color->bitsPixel;
  image.hasAlpha = alpha;
  image.color = std::move(colorCopy);
  image.mask = std::move(maskCopy);
  return createIcon(std::move(image));
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  if (!info) return 0;
  auto i = detail::find<IconObject>(icon, Kind::Icon);
  if (!i) return 0;
  auto color = i->color->clone();
  auto mask = PixelStore::create(i->width, i->height, false);
  if (!color || !mask) return 0;
  for (int y = 0; y < i->height; ++y)
    for (int x = 0; x < i->width; ++x) mask->row(y)[x] = (i->mask->row(y)[x] & 0x00FFFFFFu) ? 0xFFFFFFFFu : 0xFF000000u;
  HBITMAP colorBitmap = createBitmapFromStore(std::move(color), 32);
  HBITMAP maskBitmap = createBitmapFromStore(std::move(mask), 1);
  if (!colorBitmap || !maskBitmap) {
    (void)DeleteObject(colorBitmap);
    (void)DeleteObject(maskBitmap);
    return 0;
  }
  info->fIcon = i->isIcon ? 1 : 0;
  info->xHotspot = i->xHotspot;
  info->yHotspot = i->yHotspot;
  info->hbmColor = colorBitmap;
  info->hbmMask = maskBitmap;
  return 1;
}

BOOL DestroyIcon(HICON icon) {
  return detail::removeObject(reinterpret_cast<std::uintptr_t>(icon), Kind::Icon) ? 1 : 0;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT /*step*/, void* /*brush*/, UINT flags) {
  std::lock_guard lock(detail::tableMutex());
  auto i = detail::find<IconObject>(icon, Kind::Icon);
  auto d = detail::find<detail::DcObject>(dc, Kind::Dc);
  if (!i || !d || (flags & DI_NORMAL) == 0) return 0;
  auto b = std::static_pointer_cast<BitmapObject>(detail::findObject(d->bitmap, Kind::Bitmap));
  if (!b || !b->makeWritable()) return 0;
  if (cx <= 0) cx = i->width;
  if (cy <= 0) cy = i->height;
  for (int oy = 0; oy < cy; ++oy) {
    const std::int64_t ty = static_cast<std::int64_t>(y) + oy;
    if (ty < 0 || ty >= b->height) continue;
    const int sy = static_cast<int>(static_cast<std::int64_t>(oy) * i->height / cy);
    std::uint32_t* out = b->store->row(static_cast<int>(ty));
    for (int ox = 0; ox < cx; ++ox) {
      const std::int64_t tx = static_cast<std::int64_t>(x) + ox;
      if (tx < 0 || tx >= b->width) continue;
      const int sx = static_cast<int>(static_cast<std::int64_t>(ox) * i->width / cx);
      const std::uint32_t c = i->color->row(sy)[sx];
      const std::uint32_t m = i->mask->row(sy)[sx] ? 0x00FFFFFFu : 0;
      std::uint32_t& p = out[tx];
      if ((flags & DI_NORMAL) == DI_MASK) {
        p = (p & (0xFF000000u | m));
      } else if ((flags & DI_NORMAL) == DI_IMAGE) {
        p = 0xFF000000u | (c & 0x00FFFFFFu);
      } else if (i->hasAlpha) {
        const unsigned a = c >> 24;
        std::uint32_t r = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
          const unsigned s = (c >> shift) & 0xFF, t = (p >> shift) & 0xFF;
          r |= ((s * a + t * (255 - a) + 127) / 255) << shift;
        }
        p = r;
      } else {
        p = 0xFF000000u | (((p & m) ^ c) & 0x00FFFFFFu);
      }
    }
  }
  return 1;
}
