// Icons and cursors of the port's GDI.
//
//   HDC dc = CreateCompatibleDC(nullptr);  SelectObject(dc, bitmap);
//   if (!DrawIcon(dc, 10, 10, icon)) report(GetLastError());   // 1402: no such icon
//
// An icon holds a colour image (32-bit pixels, possibly with per-pixel alpha), a mask
// (a set bit, stored as white, marks a transparent pixel) and the depth it was made
// with (1, 4, 8, 24 or 32 bits), as Windows icons do.
//  - CreateIconIndirect copies the bitmaps of an ICONINFO; the caller keeps them. With
//    hbmColor it makes a colour icon of that bitmap's depth; with hbmColor NULL, a
//    monochrome icon from a mask twice the icon's height (AND mask on top, XOR mask
//    below). A 32-bit colour bitmap carries alpha unless its alpha bytes are all 0 (an
//    image older than alpha) or all 0xFF (this port's opaque bitmaps); then the mask
//    decides.
//  - GetIconInfo makes fresh bitmaps that the caller deletes, faithful to the icon's
//    depth: a colour bitmap reporting that depth (alpha kept for an alpha icon, 0xFF
//    otherwise) and a monochrome mask of the icon's size; for a monochrome icon,
//    hbmColor NULL and the double-height AND/XOR mask.
//  - DestroyIcon frees the icon.
//  - DrawIconEx with DI_NORMAL: an icon with alpha is blended over the destination,
//    each channel out = (src * a + dst * (255 - a) + 127) / 255 in integers (straight
//    alpha, premultiplied and blended in one step, rounded once to nearest), the
//    destination's alpha becoming a + (dstA * (255 - a) + 127) / 255; any other icon
//    follows the masks: out = (dst AND mask) XOR colour, so AND 0 gives the colour,
//    AND 1 with XOR black leaves the screen, AND 1 with XOR colour inverts the screen by
//    it. DI_MASK and DI_IMAGE draw one part alone. cx, cy of 0 draw at the icon's size;
//    another size scales by nearest pixel. Parts outside the bitmap are clipped.
//  - DrawIcon(dc, x, y, icon) is DrawIconEx with DI_NORMAL at the system icon size
//    (kSystemIconSize square, as SM_CXICON x SM_CYICON), upper-left corner at x, y, for
//    icons and cursors alike.
// Failures: FALSE (NULL for CreateIconIndirect) and the last error: ERROR_INVALID_CURSOR_HANDLE
// for a null, deleted or made-up icon, ERROR_INVALID_HANDLE for a DC without a bitmap,
// ERROR_INVALID_PARAMETER for a missing record or bitmaps that do not fit together.
#pragma once

#include <memory>

#include "platform/gdi/gdi.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

HICON CreateIconIndirect(const ICONINFO* info);
[[nodiscard]] BOOL GetIconInfo(HICON icon, ICONINFO* info);
[[nodiscard]] BOOL DestroyIcon(HICON icon);
[[nodiscard]] BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
[[nodiscard]] BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, void* brush, UINT flags);

namespace quendel::gdi {

// The system's icon size (SM_CXICON, SM_CYICON at 96 DPI).
constexpr int kSystemIconSize = 32;

struct IconImage {
  bool isIcon = true;  // false for a cursor
  DWORD xHotspot = 0;
  DWORD yHotspot = 0;
  int colorBits = 32;                       // the icon's depth: 1 (monochrome), 4, 8, 24 or 32
  bool hasAlpha = false;                    // the colour pixels' alpha bytes are meaningful
  std::shared_ptr<const PixelStore> color;  // 0xAARRGGBB (the XOR image without alpha)
  std::shared_ptr<const PixelStore> mask;   // same size; 0x00FFFFFF where transparent
};

// An icon over the given images (shared, not copied); NULL when they are missing or
// their sizes differ.
HICON createIcon(IconImage image);
// Width and height of an icon; false for an invalid handle.
[[nodiscard]] bool iconSize(HICON icon, int* width, int* height);
// The icon's images (shared, read-only); nullopt for an invalid handle.
std::optional<IconImage> iconImage(HICON icon);

}  // namespace quendel::gdi

QUENDEL_EXPORT_END
