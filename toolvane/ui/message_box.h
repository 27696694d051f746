// The standard message box of the error display members (qndErr.ErrorDisplay...), in
// the toolkit's own message-box look. Qt code of the UI part.
//
//   LONG r = runMessageBox({u"Disk full", u"Backup", 16 | 0x4000, u"/usr/share/doc/app.html", 0});
//
// Style: buttons by Style & 0x0F (0 OK; 1 OK, Cancel; 2 Abort, Retry, Ignore; 3 Yes, No,
// Cancel; 4 Yes, No; 5 Retry, Cancel; others OK), captions from the User32 strings; icon by
// Style & 0xF0 (16, 32, 48, 64); default button by Style & 0x300 (first, second, third;
// the first when that button does not exist); Help button by 0x4000.
// Esc and the close box give Cancel in the sets that have it and OK in the OK box; the
// other sets ignore them. The Help button opens the help file with the desktop's opener
// (the help context cannot be passed to it) and the box stays open.
// Returns the result of the pressed button (1 OK ... 7 No). The object is named
// "qndMessageBox" for finding it from outside.
#pragma once

#include "toolvane/ui_api/ui_api.h"

namespace quendel::toolvane::ui {

LONG runMessageBox(const MessageBoxRequest& request);

}  // namespace quendel::toolvane::ui
