// Win32 GDI value types, handle types and records of the port.
//
// Handles are opaque, pointer-sized and never dereferenced: a handle names an entry of
// the GDI handle table (gdi.h), so a deleted or made-up handle is refused, never followed.
// Colours are COLORREF 0x00BBGGRR as on Windows.
//
// BITMAP keeps the Win32 field order. On Win32 it is 24 bytes; here bmBits is a 64-bit
// pointer, so the record is 32 bytes. GetObjectA reports the size of the record it fills,
// so callers compare with sizeof(BITMAP), never with a literal 24.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

struct HBITMAPHandle;
struct HDCHandle;
struct HPALETTEHandle;
struct HENHMETAFILEHandle;
struct HMETAFILEHandle;
using HBITMAP = HBITMAPHandle*;
using HDC = HDCHandle*;
using HCURSOR = HICON;
using HPALETTE = HPALETTEHandle*;
using HENHMETAFILE = HENHMETAFILEHandle*;
using HMETAFILE = HMETAFILEHandle*;
using HGDIOBJ = void*;
using HANDLE = void*;
using COLORREF = DWORD;
using UINT_PTR = std::uintptr_t;
using ULONG_PTR = std::uintptr_t;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
constexpr DWORD SRCCOPY = 0x00CC0020u;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// GetObjectType results.
constexpr DWORD OBJ_PAL = 5;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_METAFILE = 9;
constexpr DWORD OBJ_MEMDC = 10;
constexpr DWORD OBJ_ENHMETAFILE = 13;

// DrawIconEx flags.
constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
};

struct RECTL {
  LONG left, top, right, bottom;
};
struct SIZEL {
  LONG cx, cy;
};

// The enhanced-metafile header; its first 100 bytes are what readers of old files use.
struct ENHMETAHEADER {
  DWORD iType;
  DWORD nSize;
  RECTL rclBounds;
  RECTL rclFrame;
  DWORD dSignature;
  DWORD nVersion;
  DWORD nBytes;
  DWORD nRecords;
  WORD nHandles;
  WORD sReserved;
  DWORD nDescription;
  DWORD offDescription;
  DWORD nPalEntries;
  SIZEL szlDevice;
  SIZEL szlMillimeters;
  DWORD cbPixelFormat;
  DWORD offPixelFormat;
  DWORD bOpenGL;
  SIZEL szlMicrometers;
};
static_assert(offsetof(ENHMETAHEADER, szlMicrometers) == 100);

QUENDEL_EXPORT_END
