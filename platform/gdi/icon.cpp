#include "platform/gdi/icon.h"

#include <cstring>

#include "platform/base/last_error.h"
#include "platform/gdi/gdi_handles.h"

using namespace quendel::gdi;
using detail::BitmapObject;
using detail::IconObject;
using detail::Kind;

namespace {

constexpr std::uint32_t kTransparent = 0x00FFFFFFu;  // a set mask bit, as the icon keeps it
constexpr std::uint32_t kOpaqueAlpha = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr int kAlphaBits = 32;

std::shared_ptr<IconObject> findIcon(HICON icon) {
  auto i = detail::find<IconObject>(icon, Kind::Icon);
  if (!i) SetLastError(ERROR_INVALID_CURSOR_HANDLE);
  return i;
}

BOOL invalidParameter() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

// Rows [top, top + height) of a bitmap as a fresh store; null when memory runs out.
std::shared_ptr<PixelStore> copyRows(HBITMAP bitmap, int width, int top, int height) {
  auto rows = bitmapRowSource(bitmap);
  auto copy = PixelStore::create(width, height, false);
  if (!rows || !copy) return nullptr;
  std::unique_ptr<std::uint32_t[]> scratch(new (std::nothrow) std::uint32_t[width ? width : 1]);
  if (!scratch) return nullptr;
  for (int y = 0; y < height; ++y)
    std::memcpy(copy->row(y), rows->row(top + y, scratch.get()), static_cast<std::size_t>(width) * 4);
  return copy;
}

// A mask store from monochrome (or any) pixels: white means transparent.
void toIconMask(PixelStore& m) {
  for (std::size_t k = 0; k < m.pixelCount(); ++k) m.data()[k] = (m.data()[k] & 0x00FFFFFFu) ? kTransparent : 0;
}

// Whether the alpha bytes of a 32-bit image say anything: not all 0, not all 0xFF.
bool alphaIsMeaningful(const PixelStore& c) {
  bool anyZero = false, anyFull = false;
  for (std::size_t k = 0; k < c.pixelCount(); ++k) {
    const unsigned a = c.data()[k] >> 24;
    if (a != 0 && a != 0xFF) return true;
    (a == 0 ? anyZero : anyFull) = true;
    if (anyZero && anyFull) return true;
  }
  return false;
}

void forceOpaque(PixelStore& s) {
  for (std::size_t k = 0; k < s.pixelCount(); ++k) s.data()[k] |= kOpaqueAlpha;
}

// One destination pixel under DI_NORMAL, DI_MASK or DI_IMAGE.
std::uint32_t drawPixel(std::uint32_t dst, std::uint32_t color, bool transparent, bool alpha, UINT part) {
  const std::uint32_t m = transparent ? 0x00FFFFFFu : 0;
  if (part == DI_MASK) return dst & (kOpaqueAlpha | m);
  if (part == DI_IMAGE) return kOpaqueAlpha | (color & 0x00FFFFFFu);
  if (!alpha) return (dst & kOpaqueAlpha) | (((dst & m) ^ color) & 0x00FFFFFFu);
  const unsigned a = color >> 24;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const unsigned s = (color >> shift) & 0xFF, t = (dst >> shift) & 0xFF;
    out |= ((s * a + t * (255 - a) + 127) / 255) << shift;
  }
  const unsigned dstAlpha = dst >> 24;
  return out | (a + (dstAlpha * (255 - a) + 127) / 255) << 24;
}

}  // namespace

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

std::optional<IconImage> iconImage(HICON icon) {
  auto i = detail::find<IconObject>(icon, Kind::Icon);
  if (!i) return std::nullopt;
  return IconImage{i->isIcon, i->xHotspot, i->yHotspot, i->colorBits, i->hasAlpha, i->color, i->mask};
}

}  // namespace quendel::gdi

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) {
    invalidParameter();
    return nullptr;
  }
  std::lock_guard lock(detail::tableMutex());
  auto mask = detail::find<BitmapObject>(info->hbmMask, Kind::Bitmap);
  auto color = info->hbmColor ? detail::find<BitmapObject>(info->hbmColor, Kind::Bitmap) : nullptr;
  if (!mask || (info->hbmColor && !color)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  IconImage image;
  image.isIcon = info->fIcon != 0;
  image.xHotspot = info->xHotspot;
  image.yHotspot = info->yHotspot;
  std::shared_ptr<PixelStore> colorCopy, maskCopy;
  if (color) {
    if (color->width != mask->width || color->height != mask->height) {
      invalidParameter();
      return nullptr;
    }
    colorCopy = copyRows(info->hbmColor, color->width, 0, color->height);
    maskCopy = copyRows(info->hbmMask, mask->width, 0, mask->height);
    image.colorBits = color->bitsPixel;
  } else {
    // Monochrome: the AND mask above the XOR mask.
    if (mask->height % 2) {
      invalidParameter();
      return nullptr;
    }
    const int h = mask->height / 2;
    maskCopy = copyRows(info->hbmMask, mask->width, 0, h);
    colorCopy = copyRows(info->hbmMask, mask->width, h, h);
    if (colorCopy)
      for (std::size_t k = 0; k < colorCopy->pixelCount(); ++k)
        colorCopy->data()[k] = (colorCopy->data()[k] & 0x00FFFFFFu) ? kWhite : kBlack;
    image.colorBits = 1;
  }
  if (!colorCopy || !maskCopy) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  toIconMask(*maskCopy);
  image.hasAlpha = image.colorBits == kAlphaBits && alphaIsMeaningful(*colorCopy);
  if (!image.hasAlpha) forceOpaque(*colorCopy);
  image.color = std::move(colorCopy);
  image.mask = std::move(maskCopy);
  return createIcon(std::move(image));
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  auto i = findIcon(icon);
  if (!i) return FALSE;
  if (!info) return invalidParameter();
  const bool mono = i->colorBits == 1;
  auto color = mono ? nullptr : i->color->clone();
  auto mask = PixelStore::create(i->width, mono ? i->height * 2 : i->height, false);
  if ((!mono && !color) || !mask) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  for (int y = 0; y < i->height; ++y)
    for (int x = 0; x < i->width; ++x) {
      mask->row(y)[x] = i->mask->row(y)[x] ? kWhite : kBlack;
      if (mono) mask->row(i->height + y)[x] = (i->color->row(y)[x] & 0x00FFFFFFu) ? kWhite : kBlack;
    }
  if (color && !i->hasAlpha) forceOpaque(*color);
  HBITMAP colorBitmap = mono ? nullptr : createBitmapFromStore(std::move(color), i->colorBits);
  HBITMAP maskBitmap = createBitmapFromStore(std::move(mask), 1);
  if ((!mono && !colorBitmap) || !maskBitmap) {
    if (colorBitmap) (void)DeleteObject(colorBitmap);
    if (maskBitmap) (void)DeleteObject(maskBitmap);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  info->fIcon = i->isIcon ? 1 : 0;
  info->xHotspot = i->xHotspot;
  info->yHotspot = i->yHotspot;
  info->hbmColor = colorBitmap;
  info->hbmMask = maskBitmap;
  return TRUE;
}

BOOL DestroyIcon(HICON icon) {
  if (detail::removeObject(reinterpret_cast<std::uintptr_t>(icon), Kind::Icon)) return TRUE;
  SetLastError(ERROR_INVALID_CURSOR_HANDLE);
  return FALSE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  return DrawIconEx(dc, x, y, icon, kSystemIconSize, kSystemIconSize, 0, nullptr, DI_NORMAL);
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT /*step*/, void* /*brush*/, UINT flags) {
  std::lock_guard lock(detail::tableMutex());
  auto i = findIcon(icon);
  if (!i) return FALSE;
  auto d = detail::find<detail::DcObject>(dc, Kind::Dc);
  auto b = d ? std::static_pointer_cast<BitmapObject>(detail::findObject(d->bitmap, Kind::Bitmap)) : nullptr;
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const UINT part = flags & DI_NORMAL;
  if (part == 0) return invalidParameter();
  if (!b->makeWritable()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
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
      out[tx] = drawPixel(out[tx], i->color->row(sy)[sx], i->mask->row(sy)[sx] != 0, i->hasAlpha, part);
    }
  }
  return TRUE;
}
