// The platform's OLE picture loader (LoadPicture with only a file name), without the
// automation picture object: it returns the picture's description, which the
// automation layer wraps into a StdPicture.
//
//   PictureDescription pic;
//   HRESULT hr = LoadPicture(u"/home/me/pixel art.bmp", &pic);
//   if (SUCCEEDED(hr)) ... pic.Type == PICTYPE_BITMAP, (HBITMAP)pic.Handle ...
//
// Reads Windows bitmaps, JPEG, GIF (first frame), icons and cursors. An icon or cursor
// file gives the image the platform picks for the standard icon size (32 x 32) at the
// display's depth (32 bits), as a PICTYPE_ICON picture whose GetIconInfo tells an icon
// from a cursor. Bitmaps report the file's depth in bmBitsPixel (24 for colour JPEG,
// 8 for greyscale JPEG and GIF); transparent GIF pixels are black. Placeable WMF and
// EMF files become PICTYPE_METAFILE and PICTYPE_ENHMETAFILE pictures (an HMETAFILE or
// HENHMETAFILE, drawn by RenderPicture) once their records have been checked; a plain
// WMF (no size of its own), PNG, TIFF and unknown data are CTL_E_INVALIDPICTURE, like
// anything the platform's loader cannot read.
// Width and Height are HIMETRIC: for bitmaps and icons at 96 pixels per inch,
// MulDiv(pixels, 2540, 96); for a WMF its placeable box at its units per inch; for an
// EMF its frame.
// The caller owns Handle (DeleteObject, DestroyIcon, DeleteMetaFile or
// DeleteEnhMetaFile). hPal is always 0: pictures are true-colour.
// Failures (the description untouched): E_POINTER for a null argument;
// CTL_E_FILENOTFOUND for a missing file or empty name; CTL_E_PATHFILEACCESSERROR for a
// directory or a file that cannot be read; CTL_E_INVALIDPICTURE for unknown, empty
// or damaged data (metafile records out of place included); E_OUTOFMEMORY for a picture
// beyond picture_limits.h (a metafile's frame in pixels, or more records than
// kMaxMetafileRecords) or without memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/gdi_types.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

constexpr short PICTYPE_UNINITIALIZED = -1;
constexpr short PICTYPE_NONE = 0;
constexpr short PICTYPE_BITMAP = 1;
constexpr short PICTYPE_METAFILE = 2;
constexpr short PICTYPE_ICON = 3;
constexpr short PICTYPE_ENHMETAFILE = 4;

constexpr HRESULT CTL_E_FILENOTFOUND = static_cast<HRESULT>(0x800A0035u);
constexpr HRESULT CTL_E_PATHFILEACCESSERROR = static_cast<HRESULT>(0x800A004Bu);
constexpr HRESULT CTL_E_INVALIDPICTURE = static_cast<HRESULT>(0x800A01E1u);

struct PictureDescription {
  short Type = PICTYPE_NONE;
  UINT_PTR Handle = 0;
  HPALETTE hPal = nullptr;
  LONG Width = 0;   // HIMETRIC
  LONG Height = 0;  // HIMETRIC
};

[[nodiscard]] HRESULT LoadPicture(const char16_t* fileName, PictureDescription* picture);
// The same from the bytes of a file held in memory (a picture saved in a property bag).
[[nodiscard]] HRESULT LoadPictureFromBytes(const std::uint8_t* data, std::size_t size, PictureDescription* picture);

// MulDiv(pixels, 2540, 96), rounded half away from zero as MulDiv does.
LONG PixelsToHimetric(LONG pixels);

QUENDEL_EXPORT_END
