// A message box for a process without a display: written to standard error, answered at
// once with the default button, as if its count-down had run out.
//
//   ui::ConsoleBox box{u"Backup", u"Disk full", {u"&Yes", u"&No"}, 0};
//   int pressed = ui::showOnConsole(box);   // 0
//
// Standard error gets, in UTF-8:
//   Backup
//   Disk full
//   Buttons: [Yes] No
//   No display: answered Yes.
// CR LF and lone CR in the text become line feeds; "&" accelerators are dropped from the
// button captions ("&&" stands for one "&"); the default button is put in brackets.
// Returns defaultIndex (−1 when there is none; the caller decides what that means).
#pragma once

#include <string>
#include <vector>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::ui {

struct ConsoleBox {
  BStr caption;
  BStr text;
  std::vector<BStr> buttons;
  int defaultIndex = -1;
};

int showOnConsole(const ConsoleBox& box);

// The console form of the box, as showOnConsole writes it.
std::string consoleBoxText(const ConsoleBox& box);

// A button caption without its accelerator marks: "&Yes" -> "Yes", "R&&D" -> "R&D".
BStr withoutAccelerators(const BStr& caption);

}  // namespace quendel::toolvane::ui

QUENDEL_EXPORT_END
