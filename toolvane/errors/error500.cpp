#include "toolvane/errors/error500.h"

#include <cmath>
#include <string>

#include "platform/user/user.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "toolvane/ui_api/console_box.h"
#include "toolvane/ui_api/ui_library.h"

namespace quendel::toolvane {

namespace e5 = error500design;

const Error500ButtonSet& error500ButtonSet(LONG style) {
  // By style: MB_OK, MB_OKCANCEL, MB_ABORTRETRYIGNORE, MB_YESNOCANCEL, MB_YESNO, MB_RETRYCANCEL.
  static const Error500ButtonSet sets[] = {
      {1, {800, 0, 0}, {u"Ok", u"&Retry", u"&Ignore"}, 0, 0, {IDOK, 0, 0}},
      {2, {800, 801, 0}, {u"&Ok", u"&Cancel", u"&Ignore"}, 0, 1, {IDOK, IDCANCEL, 0}},
      {3, {802, 803, 804}, {u"&Abort", u"&Retry", u"&Ignore"}, 1, 0, {IDABORT, IDRETRY, IDIGNORE}},
      {3, {805, 806, 801}, {u"&Yes", u"&No", u"&Cancel"}, 0, 2, {IDYES, IDNO, IDCANCEL}},
      {2, {805, 806, 0}, {u"&Yes", u"&No", u"&Ignore"}, 0, 1, {IDYES, IDNO, 0}},
      {2, {803, 801, 0}, {u"&Retry", u"&Cancel", u"&Ignore"}, 0, 1, {IDRETRY, IDCANCEL, 0}},
  };
  // Styles 6 to 15 keep the design buttons, with no default, no cancel and result 0.
  static const Error500ButtonSet undefined{};
  auto set = static_cast<std::size_t>(style & MB_TYPEMASK);
  return set < std::size(sets) ? sets[set] : undefined;
}

int chooseButtonIndex(int standard, LONG requested, int count) {
  if (requested < -1)
    throw RuntimeError(340, u"Control array element '" + cp::fromUtf8(std::to_string(requested)) + u"' doesn't exist");
  if (requested != -1 && requested <= count - 1) return static_cast<int>(requested);
  return standard;
}

LONG buttonIndexToResult(LONG style, int index) {
  const Error500ButtonSet& set = error500ButtonSet(style);
  return index >= 0 && index < static_cast<int>(set.results.size()) ? set.results[index] : 0;
}

String loadUser32String(UINT id, const char16_t* fallback) {
  if (HMODULE user32 = GetModuleHandleA("User32")) {
    char buffer[1024];
    if (LoadStringA(user32, id, buffer, sizeof buffer) > 0) return asGetStringFromPointerA(buffer);
  }
  return fallback;
}

String error500Caption(const automation::Variant& title) {
  if (title.isMissing()) return asGetThunderMainTitle();
  String s = title.toString();
  return s.empty() ? String(u" ") : s;
}

Error500Countdown::Action Error500Countdown::step() {
  ++tick_;
  if (tick_ > timeoutValue_ + 1) return Action::Close;
  return tick_ == timeoutValue_ + 1 ? Action::ShowLastCount : Action::ShowCount;
}

Error500Layout layoutError500(const Error500LayoutInput& in) {
  Error500Layout l;
  l.message = {e5::kMessageLeft, e5::kMessageTop, std::lround(in.tppX * in.textWidthPx),
               std::lround(in.tppY * in.textHeightPx)};
  l.icon = {e5::kIconLeft, e5::kIconTop, e5::kIconSize, e5::kIconSize};
  for (int i = 0; i < 3; ++i) l.buttons[i] = {e5::kButtonLefts[i], e5::kButtonTop, e5::kButtonWidth, e5::kButtonHeight};
  l.clientWidth = e5::kClientWidth;

  // Right-aligned buttons: the used ones take the places of the rightmost.
  int count = in.buttonCount < 1 ? 1 : in.buttonCount > 3 ? 3 : in.buttonCount;
  for (int i = 0; i < 3; ++i) l.visible[i] = i < count;
  for (int i = 0; i < count; ++i) l.buttons[i].left = e5::kButtonLefts[3 - count + i];

  if (!in.icon) {
    l.iconShift = std::lround(double(l.message.left) - 1.5 * double(l.message.top));
    l.message.left -= l.iconShift;
    for (auto& b : l.buttons) b.left -= l.iconShift;
    l.clientWidth -= l.iconShift;
  }

  long buttonTop = l.message.top + l.message.height + 2 * l.message.top;
  for (auto& b : l.buttons) b.top = buttonTop;
  l.clientHeight = buttonTop + e5::kButtonHeight + l.message.top;

  // The dialog grows with a text wider than the design rectangle. The threshold belongs
  // to the dialog with its icon column; without the column it moves left with it, or a
  // text up to 840 twips wider than the design would run past the right edge.
  l.delta = std::lround(double(l.message.width) - double(e5::kMessageWidth));
  if (l.clientWidth + e5::kFrameWidth + l.delta > e5::kWidthThreshold - l.iconShift) {
    l.clientWidth += l.delta;
    for (auto& b : l.buttons) b.left += l.delta;
    l.widened = true;
  }

  long tx = std::lround(in.tppX), ty = std::lround(in.tppY);
  if (tx < 1) tx = 1;
  if (ty < 1) ty = 1;
  l.textLeftPx = l.message.left / tx;
  l.textTopPx = l.message.top / ty;
  l.textRightPx = (l.message.left + l.message.width) / tx;
  l.textBottomPx = (l.message.top + l.message.height) / ty;
  l.iconLeftPx = l.icon.left / tx;
  l.iconTopPx = l.icon.top / ty;
  return l;
}

Error500Request makeError500Request(const String& text, LONG style, const automation::Variant& title,
                                    LONG defaultButtonIndex, LONG cancelButtonIndex, LONG timeoutValue) {
  const Error500ButtonSet& set = error500ButtonSet(style);
  Error500Request r;
  r.text = text;
  r.style = style;
  // The box's caption is resolved first, so a missing title reads the application's.
  r.caption = error500Caption(title);
  // Styles 6 to 15 choose no buttons, so the indices are not looked at either.
  if (set.standardDefault >= 0) {
    r.defaultIndex = chooseButtonIndex(set.standardDefault, defaultButtonIndex, set.count);
    r.cancelIndex = chooseButtonIndex(set.standardCancel, cancelButtonIndex, set.count);
  }
  r.timeoutValue = timeoutValue < 1 ? 1 : timeoutValue;
  return r;
}

LONG ShowTimedMessageBox(const String& text, LONG style, const automation::Variant& title, LONG defaultButtonIndex,
                         LONG cancelButtonIndex, LONG timeoutValue) {
  Error500Request r = makeError500Request(text, style, title, defaultButtonIndex, cancelButtonIndex, timeoutValue);
  if (ui::windowsAvailable()) {
    ui::TimedBoxRequest request{r.text, r.style, r.caption, r.defaultIndex, r.cancelIndex, r.timeoutValue};
    return ui::api().showTimedMessageBox(request);
  }
  const Error500ButtonSet& set = error500ButtonSet(style);
  ui::ConsoleBox box;
  box.caption = r.caption;
  box.text = r.text;
  for (int i = 0; i < set.count; ++i) box.buttons.push_back(loadUser32String(set.stringIds[i], set.fallbacks[i]));
  box.defaultIndex = r.defaultIndex;
  int pressed = ui::showOnConsole(box);
  // With no button chosen (styles 6 to 15) the count-down presses button 0.
  return buttonIndexToResult(style, pressed < 0 ? 0 : pressed);
}

}  // namespace quendel::toolvane
