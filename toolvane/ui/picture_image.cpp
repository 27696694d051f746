#include "toolvane/ui/picture_image.h"

#include <vector>

#include "platform/cursor/cursor.h"
#include "platform/gdi/gdi.h"
#include "platform/resources/load_image.h"
#include "toolvane/general/icon_picture.h"
#include "toolvane/qt/icon_cursor.h"

namespace quendel::toolvane::ui {

namespace {

constexpr LONG kBitmapType = 1, kIconType = 3;
constexpr char kLibraryModule[] = "toolvane0305";

QImage bitmapImage(HBITMAP bitmap) {
  auto rows = gdi::bitmapRowSource(bitmap);
  if (!rows || rows->width() <= 0 || rows->height() <= 0) return {};
  QImage image(rows->width(), rows->height(), QImage::Format_RGB32);
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(rows->width()));
  for (int y = 0; y < rows->height(); ++y) {
    const std::uint32_t* row = rows->row(y, scratch.data());
    auto* out = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    for (int x = 0; x < rows->width(); ++x) out[x] = row[x] | 0xFF000000u;  // bitmaps are opaque
  }
  return image;
}

}  // namespace

QImage pictureImage(automation::Object& picture) {
  LONG type = picture.get(u"Type").toLong();
  auto handle = static_cast<std::uintptr_t>(picture.get(u"Handle").toDouble());
  if (handle == 0) return {};
  if (type == kBitmapType) return bitmapImage(reinterpret_cast<HBITMAP>(handle));
  if (type == kIconType) return qt::imageFromPicture(picture);
  return {};
}

QImage resourceBitmap(const char* name) {
  HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(kLibraryModule), name);
  if (!bitmap) return {};
  QImage image = bitmapImage(bitmap);
  (void)DeleteObject(bitmap);
  return image;
}

QCursor resourceCursor(const char* name) {
  HCURSOR cursor = LoadCursorA(GetModuleHandleA(kLibraryModule), name);
  if (!cursor) return QCursor(Qt::ArrowCursor);
  QCursor result(Qt::ArrowCursor);
  try {
    auto picture = pictureFromIconHandle(cursor);
    result = qt::cursorFromPicture(*picture);
  } catch (const RuntimeError&) {
    // A cursor that cannot be shown leaves the arrow.
  }
  (void)DestroyCursor(cursor);
  return result;
}

}  // namespace quendel::toolvane::ui
