// The family's second support library, libquendelsupportfbe0100.so: the "es" functions.
//
// Same calling form as quendelsupport.h: a status and a final out-parameter, plus an
// inline wrapper of the same name that returns the result and raises on failure.
//
//   esHex1(0x0F) == u"0F";  esHex2(0x0409) == u"0409";  esHexEx4(255) == u"0x000000FF"
//   esHexEx8(0x7F0012345000) == u"0x00007F0012345000"   (the 64-bit address form)
//
// The port counts as the NT family: esIsHostWinNT is true, the 9x and old NT checks are
// false. esIsInIDE is false: the port never runs inside a development environment.
#pragma once

#include "support/export.h"
#include "support/quendelsupport.h"

QUENDEL_EXPORT_BEGIN

[[nodiscard]] HRESULT esHex1(BYTE value, quendel::BStr* out);
[[nodiscard]] HRESULT esHex2(WORD value, quendel::BStr* out);
[[nodiscard]] HRESULT esHexEx4(LONG value, quendel::BStr* out);
// "0x" and 16 upper-case digits: an address of this 64-bit port, always 18 characters.
[[nodiscard]] HRESULT esHexEx8(ULONGLONG value, quendel::BStr* out);
// A random integer from low to high inclusive, from the system's random source.
[[nodiscard]] HRESULT esGetRnd(LONG low, LONG high, LONG reserved, LONG* out);
[[nodiscard]] HRESULT esIsHostWin95(bool* out);
[[nodiscard]] HRESULT esIsHostWin9x(bool* out);
[[nodiscard]] HRESULT esIsHostWinNT(bool* out);
[[nodiscard]] HRESULT esIsHostWinNT351(bool* out);
[[nodiscard]] HRESULT esIsHostWinNT40(bool* out);
[[nodiscard]] HRESULT esIsInIDE(bool* out);
[[nodiscard]] HRESULT esRegisterAppPath(bool* out);
// The program's hidden main window (asSetThunderMainHandle); nullptr when it has none.
[[nodiscard]] HRESULT esGetThunderMainHandle(HWND* out);
// True when a file (not a folder) of that path exists.
[[nodiscard]] HRESULT esIsFileExist(const quendel::BStr& path, bool* out);

// --- Screen ---
// The screen functions answer from a source that a display-aware layer installs: the
// platform layer's X11 code when the process has a display, the UI toolkit once the
// library has shown a window (so a console program never loads the toolkit for them).
// Without a source, or when it fails, they describe a nominal 96-DPI screen of
// 1024 x 768 pixels. Twips per pixel is 1440 / logical DPI (15 at 96 DPI).
struct QuendelScreenInfo {
  LONG logicalDpiX, logicalDpiY;  // dots per logical inch
  LONG widthPx, heightPx;         // the primary screen
};
// Fills info and returns true, or returns false when it cannot tell.
using QuendelScreenSource = bool (*)(QuendelScreenInfo* info);
// Installs the source and returns the one it replaces (nullptr: none).
QuendelScreenSource esSetScreenSource(QuendelScreenSource source);
[[nodiscard]] HRESULT esGetScreenInfo(QuendelScreenInfo* out);
[[nodiscard]] HRESULT esScreenTwipsPerPixelX(float* out);
[[nodiscard]] HRESULT esScreenTwipsPerPixelY(float* out);
[[nodiscard]] HRESULT esScreenWidthPx(LONG* out);
[[nodiscard]] HRESULT esScreenHeightPx(LONG* out);
[[nodiscard]] HRESULT esScreenHimetricToPixelsX(LONG himetric, LONG* out);
[[nodiscard]] HRESULT esScreenHimetricToPixelsY(LONG himetric, LONG* out);
// Rectangles and points of the screen, in the Win32 layout.
struct RECT {
  LONG left, top, right, bottom;
};
struct POINT {
  LONG x, y;
};
// Puts the rectangle in order in place: left <= right and top <= bottom (E_POINTER for null).
[[nodiscard]] HRESULT esNormalizeRect(RECT* rect);

QUENDEL_WRAP1(quendel::BStr, esHex1, BYTE)
QUENDEL_WRAP1(quendel::BStr, esHex2, WORD)
QUENDEL_WRAP1(quendel::BStr, esHexEx4, LONG)
QUENDEL_WRAP1(quendel::BStr, esHexEx8, ULONGLONG)
QUENDEL_WRAP3(LONG, esGetRnd, LONG, LONG, LONG)
QUENDEL_WRAP0(bool, esIsHostWin95)
QUENDEL_WRAP0(bool, esIsHostWin9x)
QUENDEL_WRAP0(bool, esIsHostWinNT)
QUENDEL_WRAP0(bool, esIsHostWinNT351)
QUENDEL_WRAP0(bool, esIsHostWinNT40)
QUENDEL_WRAP0(bool, esIsInIDE)
QUENDEL_WRAP0(bool, esRegisterAppPath)
QUENDEL_WRAP0(HWND, esGetThunderMainHandle)
QUENDEL_WRAP1(bool, esIsFileExist, const quendel::BStr&)
QUENDEL_WRAP0(QuendelScreenInfo, esGetScreenInfo)
QUENDEL_WRAP0(float, esScreenTwipsPerPixelX)
QUENDEL_WRAP0(float, esScreenTwipsPerPixelY)
QUENDEL_WRAP0(LONG, esScreenWidthPx)
QUENDEL_WRAP0(LONG, esScreenHeightPx)
QUENDEL_WRAP1(LONG, esScreenHimetricToPixelsX, LONG)
QUENDEL_WRAP1(LONG, esScreenHimetricToPixelsY, LONG)
inline void esNormalizeRect(RECT& rect) { quendel::raiseOnFailure(esNormalizeRect(&rect)); }

QUENDEL_EXPORT_END
