#include "toolvane/general/icon_picture.h"

#include <cmath>

#include "support/quendelsupportfbe.h"

namespace quendel::toolvane {

using namespace automation;

namespace {

LONG pixelsToHimetric(int pixels, LONG dpi) {
  return static_cast<LONG>(std::lround(pixels * 2540.0 / (dpi > 0 ? dpi : 96)));
}

}  // namespace

std::shared_ptr<StdPicture> pictureFromIconHandle(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) throw RuntimeError(5);
  HICON copy = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  int width = 0, height = 0;
  if (!copy || !gdi::iconSize(copy, &width, &height)) {
    if (copy) DestroyIcon(copy);
    throw RuntimeError(7);  // out of memory: the copy could not be made
  }
  QuendelScreenInfo screen{96, 96, 0, 0};
  (void)esGetScreenInfo(&screen);  // a nominal 96-DPI screen when it cannot tell
  PictureDesc desc;
  desc.type = Integer{3};
  desc.handle = reinterpret_cast<std::uintptr_t>(copy);
  desc.width = pixelsToHimetric(width, screen.logicalDpiX);
  desc.height = pixelsToHimetric(height, screen.logicalDpiY);
  return StdPicture::create(desc, [](const PictureDesc& d) { DestroyIcon(reinterpret_cast<HICON>(d.handle)); });
}

}  // namespace quendel::toolvane
