// The buttons of the standard message box that the error display members show, from a
// Windows message-box style: the set (Style & 0x0F), the default button (Style & 0x300)
// and the button Esc presses. Shared by the window (toolvane/ui/message_box.h) and the
// console fall-back.
//
//   StandardBoxButtons b = standardBoxButtons(4 | 0x100);   // Yes, No; default No; no Esc
//
// Sets: 0 OK; 1 OK, Cancel; 2 Abort, Retry, Ignore; 3 Yes, No, Cancel; 4 Yes, No;
// 5 Retry, Cancel; any other value OK. Default: the first, second or third button by
// 0x000, 0x100, 0x200 (0x300 and a button the set lacks give the first). Esc: Cancel where
// the set has it, OK in the OK box, none otherwise (escapeIndex −1).
#pragma once

#include <vector>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

struct StandardBoxButton {
  UINT stringId;
  const char16_t* fallback;
  LONG result;
};

struct StandardBoxButtons {
  std::vector<StandardBoxButton> buttons;
  int defaultIndex = 0;
  int escapeIndex = -1;
};

StandardBoxButtons standardBoxButtons(LONG style);

// The box of a display member without a display: written to standard error, answered with
// the default button. Returns that button's result.
LONG showStandardBoxOnConsole(const BStr& text, const BStr& caption, LONG style);

// Shows the standard box: in a window when the process can show one, else on the console.
LONG showStandardMessageBox(const BStr& text, const BStr& caption, LONG style, const BStr& helpFile, LONG helpContext);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
