// Icons and cursors of the port's GDI.
//
// An icon holds a colour image (32-bit, possibly with per-pixel alpha) and a mask
// (a set bit, stored as white, marks a transparent pixel), as Windows icons do.
//  - CreateIconIndirect copies the two bitmaps of an ICONINFO; the caller keeps them.
//    hbmColor may not be NULL (monochrome icons are not made by this port).
//  - GetIconInfo makes two fresh bitmaps that the caller deletes: a 32-bit colour
//    bitmap and a monochrome mask of the icon's size. FALSE for an invalid handle,
//    the record untouched.
//  - DestroyIcon frees the icon; FALSE for an invalid handle.
//  - DrawIconEx draws with DI_NORMAL as Windows does: a colour image with alpha is
//    blended over the destination; otherwise the destination is ANDed with the mask
//    and XORed with the colour. cx, cy of 0 draw at the icon's size; another size
//    scales by nearest pixel.
#pragma once

#include <memory>

#include "platform/gdi/gdi.h"

QUENDEL_GDI_API HICON CreateIconIndirect(const ICONINFO* info);
[[nodiscard]] QUENDEL_GDI_API BOOL GetIconInfo(HICON icon, ICONINFO* info);
[[nodiscard]] QUENDEL_GDI_API BOOL DestroyIcon(HICON icon);
[[nodiscard]] QUENDEL_GDI_API BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, void* brush,
                                              UINT flags);

namespace quendel::gdi {

struct IconImage {
  bool isIcon = true;  // false for a cursor
  DWORD xHotspot = 0;
  DWORD yHotspot = 0;
  int colorBits = 32;                       // what GetObjectA reports for the colour bitmap of GetIconInfo
  bool hasAlpha = false;                    // the colour pixels' alpha bytes are meaningful
  std::shared_ptr<const PixelStore> color;  // 0xAARRGGBB
  std::shared_ptr<const PixelStore> mask;   // same size; 0x00FFFFFF where transparent
};

// An icon over the given images (shared, not copied); NULL when they are missing or
// their sizes differ.
QUENDEL_GDI_API HICON createIcon(IconImage image);
// Width and height of an icon; false for an invalid handle.
[[nodiscard]] QUENDEL_GDI_API bool iconSize(HICON icon, int* width, int* height);

}  // namespace quendel::gdi
