#include "toolvane/errors/standard_box.h"

#include "platform/user/user.h"
#include "toolvane/errors/error500.h"
#include "toolvane/ui_api/console_box.h"
#include "toolvane/ui_api/ui_library.h"

namespace quendel::toolvane {

namespace {

// Bits 8 and 9 of a style choose the default button: the first, second or third.
constexpr LONG kDefaultButtonBits = MB_DEFBUTTON2 | MB_DEFBUTTON3;
constexpr int kDefaultButtonShift = 8;
constexpr int kMostButtons = 3;

}  // namespace

StandardBoxButtons standardBoxButtons(LONG style) {
  const StandardBoxButton ok{800, u"OK", IDOK}, cancel{801, u"Cancel", IDCANCEL}, abort{802, u"&Abort", IDABORT},
      retry{803, u"&Retry", IDRETRY}, ignore{804, u"&Ignore", IDIGNORE}, yes{805, u"&Yes", IDYES},
      no{806, u"&No", IDNO};
  StandardBoxButtons b;
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      b.buttons = {ok, cancel};
      b.escapeIndex = 1;
      break;
    case MB_ABORTRETRYIGNORE: b.buttons = {abort, retry, ignore}; break;
    case MB_YESNOCANCEL:
      b.buttons = {yes, no, cancel};
      b.escapeIndex = 2;
      break;
    case MB_YESNO: b.buttons = {yes, no}; break;
    case MB_RETRYCANCEL:
      b.buttons = {retry, cancel};
      b.escapeIndex = 1;
      break;
    default:
      b.buttons = {ok};
      b.escapeIndex = 0;
      break;
  }
  int wanted = (style & kDefaultButtonBits) >> kDefaultButtonShift;
  b.defaultIndex = wanted < static_cast<int>(b.buttons.size()) && wanted < kMostButtons ? wanted : 0;
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
