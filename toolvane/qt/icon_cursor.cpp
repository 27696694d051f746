#include "toolvane/qt/icon_cursor.h"

#include <QPixmap>
#include <cstring>

#include "automation/std_picture.h"
#include "platform/gdi/icon_pixels.h"
#include "platform/ole/load_picture.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

gdi::IconPixels pixelsOf(Object& picture) {
  if (picture.get(u"Type").toLong() != PICTYPE_ICON) throw RuntimeError(380);
  auto icon = reinterpret_cast<HICON>(handleFromVariant(picture.get(u"Handle")));
  gdi::IconPixels px;
  if (!gdi::iconPixels(icon, &px) || px.width <= 0 || px.height <= 0) throw RuntimeError(380);
  return px;
}

QImage imageOf(const gdi::IconPixels& px) {
  QImage image(px.width, px.height, QImage::Format_ARGB32);
  if (image.isNull()) throw RuntimeError(7);
  const auto rowBytes = static_cast<std::size_t>(px.width) * sizeof(std::uint32_t);
  for (int y = 0; y < px.height; ++y)
    std::memcpy(image.scanLine(y), px.argb.data() + static_cast<std::size_t>(y) * px.width, rowBytes);
  return image;
}

}  // namespace

QImage imageFromPicture(Object& picture) { return imageOf(pixelsOf(picture)); }

QCursor cursorFromPicture(Object& picture) {
  const gdi::IconPixels px = pixelsOf(picture);
  const int hx = px.isIcon ? px.width / 2 : static_cast<int>(px.xHotspot);
  const int hy = px.isIcon ? px.height / 2 : static_cast<int>(px.yHotspot);
  return QCursor(QPixmap::fromImage(imageOf(px)), hx, hy);
}

}  // namespace quendel::toolvane::qt
