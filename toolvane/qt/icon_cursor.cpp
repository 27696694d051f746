#include "toolvane/qt/icon_cursor.h"

#include <QImage>
#include <QPixmap>
#include <vector>

#include "automation/std_picture.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/ole/load_picture.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

// Pixels are 0xAARRGGBB; a mask pixel that is not black is transparent.
constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;
constexpr int kAlphaShift = 24;
constexpr std::uint32_t kOpaque = 0xFF;

// Deletes the two bitmaps GetIconInfo makes.
struct IconBitmaps {
  ICONINFO info{};
  ~IconBitmaps() {
    if (info.hbmColor) (void)DeleteObject(info.hbmColor);
    if (info.hbmMask) (void)DeleteObject(info.hbmMask);
  }
};

}  // namespace

QCursor cursorFromPicture(Object& picture) {
  if (picture.get(u"Type").toLong() != PICTYPE_ICON) throw RuntimeError(380);
  auto icon = reinterpret_cast<HICON>(handleFromVariant(picture.get(u"Handle")));
  IconBitmaps bitmaps;
  if (!icon || !GetIconInfo(icon, &bitmaps.info)) throw RuntimeError(380);
  auto color = gdi::bitmapRowSource(bitmaps.info.hbmColor);
  auto mask = gdi::bitmapRowSource(bitmaps.info.hbmMask);
  if (!color || !mask || color->width() != mask->width() || color->height() != mask->height()) throw RuntimeError(380);
  int w = color->width(), h = color->height();
  QImage image(w, h, QImage::Format_ARGB32);
  std::vector<std::uint32_t> colorRow(static_cast<std::size_t>(w)), maskRow(static_cast<std::size_t>(w));
  bool anyAlpha = false;
  for (int y = 0; y < h && !anyAlpha; ++y) {
    const std::uint32_t* c = color->row(y, colorRow.data());
    for (int x = 0; x < w; ++x)
      if (c[x] >> kAlphaShift) anyAlpha = true;
  }
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* c = color->row(y, colorRow.data());
    const std::uint32_t* m = mask->row(y, maskRow.data());
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      bool transparent = (m[x] & kRgbMask) != 0;
      std::uint32_t alpha = transparent ? 0 : anyAlpha ? (c[x] >> kAlphaShift) : kOpaque;
      out[x] = (alpha << kAlphaShift) | (c[x] & kRgbMask);
    }
  }
  int hx = bitmaps.info.fIcon ? w / 2 : static_cast<int>(bitmaps.info.xHotspot);
  int hy = bitmaps.info.fIcon ? h / 2 : static_cast<int>(bitmaps.info.yHotspot);
  return QCursor(QPixmap::fromImage(image), hx, hy);
}

}  // namespace quendel::toolvane::qt
