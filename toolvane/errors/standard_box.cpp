#include "toolvane/errors/standard_box.h"

#include "toolvane/errors/error500.h"
#include "toolvane/ui_api/console_box.h"
#include "toolvane/ui_api/ui_library.h"

namespace quendel::toolvane {

StandardBoxButtons standardBoxButtons(LONG style) {
  const StandardBoxButton ok{800, u"OK", 1}, cancel{801, u"Cancel", 2}, abort{802, u"&Abort", 3},
      retry{803, u"&Retry", 4}, ignore{804, u"&Ignore", 5}, yes{805, u"&Yes", 6}, no{806, u"&No", 7};
  StandardBoxButtons b;
  switch (style & 0x0F) {
    case 1:
      b.buttons = {ok, cancel};
      b.escapeIndex = 1;
      break;
    case 2: b.buttons = {abort, retry, ignore}; break;
    case 3:
      b.buttons = {yes, no, cancel};
      b.escapeIndex = 2;
      break;
    case 4: b.buttons = {yes, no}; break;
    case 5:
      b.buttons = {retry, cancel};
      b.escapeIndex = 1;
      break;
    default:
      b.buttons = {ok};
      b.escapeIndex = 0;
      break;
  }
  int wanted = (style & 0x300) >> 8;
  b.defaultIndex = wanted < static_cast<int>(b.buttons.size()) && wanted < 3 ? wanted : 0;
  return b;
}

LONG showStandardBoxOnConsole(const BStr& text, const BStr& caption, LONG style) {
  StandardBoxButtons set = standardBoxButtons(style);
  ui::ConsoleBox box{caption, text, {}, set.defaultIndex};
  for (const auto& b : set.buttons) box.buttons.push_back(loadUser32String(b.stringId, b.fallback));
  return set.buttons[static_cast<size_t>(ui::showOnConsole(box))].result;
}

LONG showStandardMessageBox(const BStr& text, const BStr& caption, LONG style, const BStr& helpFile, LONG helpContext) {
  if (ui::windowsAvailable()) return ui::api().showMessageBox({text, caption, style, helpFile, helpContext});
  return showStandardBoxOnConsole(text, caption, style);
}

}  // namespace quendel::toolvane
