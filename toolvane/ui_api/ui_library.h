// Loading the library's UI part on demand, and knowing when not to.
//
//   if (ui::windowsAvailable()) return ui::api().showTimedMessageBox(request);
//   return ui::showOnConsole(box);          // console_box.h
//
// windowsAvailable() tells, without loading Qt, whether a window can be shown now:
//   - the process already runs a Qt application object of its own (Qt is loaded and the
//     UI part, asked, says so): yes;
//   - QT_QPA_PLATFORM names a toolkit platform other than xcb (offscreen, wayland ...):
//     yes, the toolkit is trusted with it;
//   - otherwise: yes when the X11 display that DISPLAY names can be opened.
// api() loads libtoolvane0305ui.so from the folder of libtoolvane0305.so (once per
// process; the object stays loaded) and returns its entry table. It raises 0x80040000
// "Can't load the user-interface library. " + the loader's text when the object is
// missing, cannot be loaded or is older than this library.
// isLoaded() tells whether api() has loaded it (tests check that console paths do not).
#pragma once

#include "support/export.h"
#include "toolvane/ui_api/ui_api.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::ui {

bool windowsAvailable();
const UiApi& api();
bool isLoaded();

}  // namespace quendel::toolvane::ui

QUENDEL_EXPORT_END
