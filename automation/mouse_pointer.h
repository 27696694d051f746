// The standard mouse-pointer values of a control's MousePointer property, shared by the
// library's own controls and the adapter layer for Qt clients, which put the cursor of
// each on their widgets. Default is the control's own cursor; Custom the cursor made
// from the control's MouseIcon.
//
//   if (!isMousePointer(v)) throw RuntimeError(380);   // as a MousePointer write does
#pragma once

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

enum class MousePointer : LONG {
  Default = 0,
  Arrow = 1,
  Cross = 2,
  IBeam = 3,
  Icon = 4,  // an arrow here
  Size = 5,  // the four-way arrows, as SizeAll
  SizeNESW = 6,
  SizeNS = 7,
  SizeNWSE = 8,
  SizeWE = 9,
  UpArrow = 10,
  Hourglass = 11,
  NoDrop = 12,
  ArrowHourglass = 13,
  ArrowQuestion = 14,
  SizeAll = 15,
  Custom = 99,
};

// True for the values above: MousePointer raises 380 for any other.
constexpr bool isMousePointer(LONG value) {
  return (value >= static_cast<LONG>(MousePointer::Default) && value <= static_cast<LONG>(MousePointer::SizeAll)) ||
         value == static_cast<LONG>(MousePointer::Custom);
}

}  // namespace quendel::automation

QUENDEL_EXPORT_END
