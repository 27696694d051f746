// OLE colours (controls/ole_color.h) as toolkit colours: a colour of its own is
// 0x00BBGGRR; a system colour (0x800000nn) is the palette's colour for the role that
// system colour plays (COLOR_BTNFACE the button face, COLOR_WINDOW the base, COLOR_HIGHLIGHT
// the highlight ...), so controls follow the desktop's theme as they follow Windows'.
//
//   painter.fillRect(rect, colorFromOle(0x8000000F, widget.palette()));   // button face
//
// A value that is no OLE colour gives black (writes refuse such values before this).
#pragma once

#include <QColor>
#include <QPalette>

#include "support/win_types.h"

namespace quendel::toolvane::ui {

QColor colorFromOle(LONG oleColor, const QPalette& palette);

}  // namespace quendel::toolvane::ui
