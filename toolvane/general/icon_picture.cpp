#include "toolvane/general/icon_picture.h"

#include <cmath>

#include "platform/ole/load_picture.h"
#include "support/quendelsupportfbe.h"

namespace quendel::toolvane {

using namespace automation;

namespace {

constexpr double kHimetricPerInch = 2540;  // HIMETRIC units are 0.01 mm
constexpr LONG kNominalDpi = 96;           // when the screen cannot tell

LONG pixelsToHimetric(int pixels, LONG dpi) {
  return static_cast<LONG>(std::lround(pixels * kHimetricPerInch / (dpi > 0 ? dpi : kNominalDpi)));
}

}  // namespace

std::shared_ptr<StdPicture> pictureFromIconHandle(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) throw RuntimeError(5);
  HICON copy = CreateIconIndirect(&info);
  (void)DeleteObject(info.hbmColor);
  (void)DeleteObject(info.hbmMask);
  int width = 0, height = 0;
  if (!copy || !gdi::iconSize(copy, &width, &height)) {
    if (copy) (void)DestroyIcon(copy);
    throw RuntimeError(7);  // out of memory: the copy could not be made
  }
  QuendelScreenInfo screen{kNominalDpi, kNominalDpi, 0, 0};
  (void)esGetScreenInfo(&screen);  // a nominal screen when it cannot tell
  PictureDesc desc;
  desc.type = Integer{PICTYPE_ICON};
  desc.handle = reinterpret_cast<std::uintptr_t>(copy);
  desc.width = pixelsToHimetric(width, screen.logicalDpiX);
  desc.height = pixelsToHimetric(height, screen.logicalDpiY);
  return StdPicture::create(desc, [](const PictureDesc& d) { (void)DestroyIcon(reinterpret_cast<HICON>(d.handle)); });
}

}  // namespace quendel::toolvane
