// The port's small GDI: bitmaps, memory device contexts, pixels and object handles.
//
// Bitmaps keep 32-bit pixels in memory (see row_source.h) whatever depth they report:
// bmBitsPixel is the depth of what the bitmap was made from (1 for a monochrome
// bitmap, whose pixels are only ever black or white; 32 for a compatible bitmap; the
// file's depth for a loaded picture). GetPixel and SetPixel therefore return exact
// colours for every bitmap but a monochrome one.
//
// Rules, as on Windows:
//  - CreateCompatibleDC gives a memory DC holding a 1 x 1 monochrome stock bitmap;
//    SelectObject returns the bitmap that was selected. A bitmap is selected into at
//    most one DC; selecting it into a second one fails (NULL). A selected bitmap
//    cannot be deleted (DeleteObject FALSE); deleting the DC releases it.
//  - CreateCompatibleBitmap(NULL, ...) makes a 32-bit bitmap (the screen's depth); with
//    a memory DC it takes the depth of the DC's bitmap, so a fresh memory DC gives a
//    monochrome bitmap. New compatible bitmaps are black.
//  - GetPixel outside the bitmap, or with a DC without a bitmap: CLR_INVALID. SetPixel
//    returns the colour set, or (COLORREF)-1 outside.
//  - Every call checks its handles: a deleted, foreign or made-up handle fails cleanly
//    (NULL, 0, FALSE or CLR_INVALID) and touches nothing.
//  - BitBlt knows SRCCOPY only; another raster operation fails (FALSE). The copy is
//    clipped to both bitmaps.
//  - GetObjectA on a bitmap fills a BITMAP and returns sizeof(BITMAP); a null buffer
//    asks for the size; a smaller buffer fails (0). bmBits is NULL (device-dependent
//    bitmap: its bits are reached through BitmapRows only).
//  - Metafile objects and their calls are in metafile.h; GetObjectType tells them.
//
// Beyond Win32, namespace quendel::gdi gives whole-row access for code that moves
// pixels at memory speed, and bitmaps made from a PixelStore (no copy) or from a
// RowSource (a "virtual" bitmap whose rows are computed when asked for; it is turned
// into stored pixels the first time something writes to it).
#pragma once

#include <memory>
#include <optional>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/metafile.h"
#include "platform/gdi/row_source.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HDC CreateCompatibleDC(HDC dc);
[[nodiscard]] BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
[[nodiscard]] BOOL DeleteObject(HGDIOBJ object);
DWORD GetObjectType(HGDIOBJ object);
int GetObjectA(HANDLE object, int size, void* buffer);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
[[nodiscard]] BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);

namespace quendel::gdi {

// Pixel value of a COLORREF in a PixelStore and back (alpha byte 0xFF / ignored).
constexpr std::uint32_t pixelFromColor(COLORREF c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF colorFromPixel(std::uint32_t p) { return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16); }

// A bitmap over `store`, shared, not copied. `bitsPixel` is what GetObjectA reports.
HBITMAP createBitmapFromStore(std::shared_ptr<PixelStore> store, int bitsPixel);
// A virtual bitmap: GetPixel, BitBlt from it and encoders read its rows from `source`.
HBITMAP createVirtualBitmap(std::shared_ptr<const RowSource> source, int bitsPixel);
// The rows of a bitmap for reading: its store, or its virtual source, without a copy.
// Null for an invalid handle. The source stays valid after the bitmap is deleted; a
// later write to the bitmap does not show in it (the bitmap copies before writing).
std::shared_ptr<const RowSource> bitmapRowSource(HBITMAP bitmap);
// The bitmap's own store for writing whole rows (materialised and unshared first).
// Null for an invalid handle. Do not keep it across other GDI calls on the bitmap.
std::shared_ptr<PixelStore> bitmapStoreForWriting(HBITMAP bitmap);
// The bitmap selected into a memory DC, null for an invalid handle.
HBITMAP selectedBitmap(HDC dc);
// The reported depth of a bitmap, 0 for an invalid handle.
int bitmapBitsPixel(HBITMAP bitmap);

}  // namespace quendel::gdi

QUENDEL_EXPORT_END
