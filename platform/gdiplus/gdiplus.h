// The port's GDI+ stand-in: the flat functions, types and Status values the system
// calls, with GDI+ meaning and argument order.
//
//   GdiplusStartupInput in;               // version 1
//   ULONG_PTR token;
//   if (GdiplusStartup(&token, &in, nullptr) == Ok) {
//     GpBitmap* image;
//     if (GdipCreateBitmapFromFile(u"/tmp/a.png", &image) == Ok) { ...; GdipDisposeImage(image); }
//     GdiplusShutdown(token);
//   }
//
// Sessions: GdiplusStartup accepts version 1 only (else UnsupportedGdiplusVersion);
// sessions are counted process-wide and every Gdip* call made while none is open
// returns GdiplusNotInitialized. Images that are still open when the last session
// ends stay valid objects but can no longer be used until a session opens again.
//
// Reading (GdipCreateBitmapFromFile): BMP, JPEG, GIF (first frame), PNG, TIFF (first
// page), ICO, and WMF (placeable or plain) and EMF drawn at their own size
// (metafile_header.h) over transparent pixels, raw format WMF or EMF, 32bppRGB, an EMF
// at its reference device's resolution, a WMF at 96 dpi. Raw formats, pixel formats and
// resolutions are reported as GDI+ reports them: resolution from the file, 96 dpi when
// the file has none; pixel formats per kind of file (see gdiplus.cpp, pixelFormatOf).
// Statuses chosen:
//   - null argument: InvalidParameter;
//   - missing file, directory, unreadable file: Win32Error (the open fails);
//   - empty file or unknown data, a cursor file: UnknownImageFormat;
//   - damaged or cut-off data of a known format (metafile records out of place, or
//     records the drawing library refuses): InvalidParameter;
//   - 100000 pixels or more in either direction (refused before allocating), a
//     metafile past its drawing limits (records, memory, time), or no memory:
//     OutOfMemory.
// GdipCreateHBITMAPFromBitmap blends every pixel over the ARGB background's colour
// (a transparent pixel takes that colour, so background 0 gives black) into a 32-bit
// GDI bitmap; an opaque picture shares its pixels instead of copying them.
// GdipCreateBitmapFromHBITMAP views the bitmap's rows without copying: 32-bit
// bitmaps become PixelFormat32bppRGB, 24-bit ones 24bppRGB, raw format MemoryBMP,
// 96 dpi; an invalid bitmap handle is InvalidParameter; the palette is not used.
//
// Saving (GdipSaveImageToFile) through the built-in encoders chosen by class
// identifier: PNG {557CF406-...} and BMP {557CF400-...}; another identifier is
// FileNotFound (no such encoder is installed). Encoder parameters are ignored (none
// is known; an entry of zeros is harmless). Formats with alpha are written as RGBA
// PNG / 32-bit BMP, others as RGB PNG, and as 24-bit BMP except the 32-bit ones.
// Rows are streamed from the image, so a virtual picture is never held whole.
// The file is written to a temporary file in the target's folder and renamed over
// the target only when the encoder succeeded, so a failed save leaves an existing
// file untouched; a missing or unwritable folder gives Win32Error.
#pragma once

#include <memory>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/row_source.h"
#include "support/export.h"
#include "support/guid.h"

QUENDEL_EXPORT_BEGIN

using WCHAR = char16_t;
using REAL = float;
using ARGB = DWORD;
using PixelFormat = std::int32_t;
using UINT32 = std::uint32_t;

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
  ProfileNotFound = 21,
};
using GpStatus = Status;

constexpr PixelFormat PixelFormat1bppIndexed = 0x00030101;
constexpr PixelFormat PixelFormat4bppIndexed = 0x00030402;
constexpr PixelFormat PixelFormat8bppIndexed = 0x00030803;
constexpr PixelFormat PixelFormat16bppGrayScale = 0x00101004;
constexpr PixelFormat PixelFormat16bppRGB555 = 0x00021005;
constexpr PixelFormat PixelFormat16bppRGB565 = 0x00021006;
constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;
constexpr PixelFormat PixelFormat32bppCMYK = 0x0000200F;
constexpr PixelFormat PixelFormat48bppRGB = 0x0010300C;
constexpr PixelFormat PixelFormat64bppARGB = 0x0034400D;

// Opaque image objects; only pointers handed out by the functions below are valid.
class GpImage {
 public:
  virtual ~GpImage() = default;
  GpImage(const GpImage&) = delete;
  GpImage& operator=(const GpImage&) = delete;

 protected:
  GpImage() = default;
};
class GpBitmap : public GpImage {
 protected:
  GpBitmap() = default;
};

struct GdiplusStartupInput {
  UINT32 GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = 0;
  BOOL SuppressExternalCodecs = 0;
};

using NotificationHookProc = Status (*)(ULONG_PTR* token);
using NotificationUnhookProc = void (*)(ULONG_PTR token);
struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook;
  NotificationUnhookProc NotificationUnhook;
};

struct EncoderParameter {
  GUID Guid;
  ULONG NumberOfValues;
  ULONG Type;
  void* Value;
};
struct EncoderParameters {
  UINT Count;
  EncoderParameter Parameter[1];
};

[[nodiscard]] Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

[[nodiscard]] GpStatus GdipCreateBitmapFromFile(const WCHAR* filename, GpBitmap** bitmap);
[[nodiscard]] GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbmReturn, ARGB background);
[[nodiscard]] GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE hpal, GpBitmap** bitmap);
[[nodiscard]] GpStatus GdipDisposeImage(GpImage* image);
[[nodiscard]] GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
[[nodiscard]] GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
[[nodiscard]] GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution);
[[nodiscard]] GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* resolution);
[[nodiscard]] GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format);
[[nodiscard]] GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
[[nodiscard]] GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* filename, const CLSID* clsidEncoder,
                                           const EncoderParameters* encoderParams);

namespace quendel::gdiplus {
// The rows of an open image (for tests and fast paths); null for an invalid pointer.
std::shared_ptr<const gdi::RowSource> imageRows(GpImage* image);
}  // namespace quendel::gdiplus

QUENDEL_EXPORT_END
