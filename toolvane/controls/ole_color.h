// OLE colours as a control's BackColor holds them: 0x00BBGGRR for a colour of its own,
// 0x800000nn for system colour nn (COLOR_BTNFACE is 15: 0x8000000F, the button face).
// The UI part resolves system colours from the desktop's palette (ui/ole_colors.h).
//
//   if (!isOleColor(v)) throw RuntimeError(380);   // as a BackColor write does
#pragma once

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

inline constexpr DWORD kSystemColorFlag = 0x80000000u;
inline constexpr DWORD kSystemColorIndexMask = 0xFFu;
inline constexpr DWORD kColorRgbMask = 0x00FFFFFFu;
// The last system colour index (COLOR_MENUBAR).
inline constexpr DWORD kLastSystemColor = 30;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr LONG kButtonFaceColor = static_cast<LONG>(kSystemColorFlag | COLOR_BTNFACE);

// True for a colour of its own or a system colour with a known index.
constexpr bool isOleColor(LONG value) {
  const auto v = static_cast<DWORD>(value);
  if ((v & ~kColorRgbMask) == 0) return true;
  return (v & ~kSystemColorIndexMask) == kSystemColorFlag && (v & kSystemColorIndexMask) <= kLastSystemColor;
}

// True for a system colour, whose index is the low byte.
constexpr bool isSystemColor(LONG value) { return (static_cast<DWORD>(value) & kSystemColorFlag) != 0; }

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
