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

QuendelScreenInfo screen() {
  QuendelScreenInfo info{kNominalDpi, kNominalDpi, 0, 0};
  (void)esGetScreenInfo(&info);  // a nominal screen when it cannot tell
  return info;
}

// A Type 3 picture that owns icon (destroyed with the picture's last reference).
std::shared_ptr<StdPicture> owningIconPicture(HICON icon) {
  int width = 0, height = 0;
  (void)gdi::iconSize(icon, &width, &height);
  const QuendelScreenInfo s = screen();
  PictureDesc desc;
  desc.type = Integer{PICTYPE_ICON};
  desc.handle = reinterpret_cast<std::uintptr_t>(icon);
  desc.width = pixelsToHimetric(width, s.logicalDpiX);
  desc.height = pixelsToHimetric(height, s.logicalDpiY);
  return StdPicture::create(desc, [](const PictureDesc& d) { (void)DestroyIcon(reinterpret_cast<HICON>(d.handle)); });
}

std::shared_ptr<StdPicture> windowIconPicture(HRESULT (*get)(HWND, HICON*), HWND window) {
  HICON icon = nullptr;
  raiseOnFailure(get(window, &icon));
  return icon ? owningIconPicture(icon) : nullptr;
}

}  // namespace

std::shared_ptr<StdPicture> pictureFromIconHandle(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) throw RuntimeError(5);
  HICON copy = CreateIconIndirect(&info);
  if (info.hbmColor) (void)DeleteObject(info.hbmColor);
  (void)DeleteObject(info.hbmMask);
  if (!copy) throw RuntimeError(7);  // out of memory: the copy could not be made
  return owningIconPicture(copy);
}

std::shared_ptr<StdPicture> asGetBitmapFromHandle(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || GetObjectA(bitmap, sizeof bm, &bm) != static_cast<int>(sizeof bm)) throw RuntimeError(5);
  const QuendelScreenInfo s = screen();
  PictureDesc desc;
  desc.type = Integer{PICTYPE_BITMAP};
  desc.handle = reinterpret_cast<std::uintptr_t>(bitmap);
  desc.width = pixelsToHimetric(bm.bmWidth, s.logicalDpiX);
  desc.height = pixelsToHimetric(bm.bmHeight, s.logicalDpiY);
  return StdPicture::create(desc,
                            [](const PictureDesc& d) { (void)DeleteObject(reinterpret_cast<HGDIOBJ>(d.handle)); });
}

std::shared_ptr<StdPicture> asGetWindowIcon(HWND window) { return windowIconPicture(::asGetWindowIcon, window); }

std::shared_ptr<StdPicture> asGetWindowIconSmall(HWND window) {
  return windowIconPicture(::asGetWindowIconSmall, window);
}

}  // namespace quendel::toolvane
