// The standard mouse-pointer values of a control's MousePointer and the toolkit cursor
// each one puts on the widget. Default gives the widget its own cursor back; Custom shows
// the cursor made from the control's MouseIcon (mouse_icon.h), or the widget's own cursor
// when no icon is set.
#pragma once

#include <QCursor>
#include <QWidget>

#include "automation/dispatch.h"

namespace quendel::toolvane::qt {

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
bool isMousePointer(LONG value);

// Puts the cursor of `pointer` on the widget; `custom` is the MouseIcon's cursor (null
// when none is set). A value that is no MousePointer leaves the cursor alone.
void applyMousePointer(QWidget& widget, LONG pointer, const QCursor* custom);

}  // namespace quendel::toolvane::qt
