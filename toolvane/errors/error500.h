// modError500: the library's timed message box, without the window.
//
//   LONG r = ShowTimedMessageBox(u"Disk full", 4 | 48, Variant(u"Backup"), -1, -1, 15);
//
// A box shows a text with an optional standard icon (Style & 0xF0: 16 stop, 32 question,
// 48 exclamation, 64 information) and one of six button sets (Style & 0x0F, see
// error500ButtonSet); the default button (Enter) carries a count-down "(n)" and is pressed
// when it runs out; Esc presses the cancel button; the window's close box ends the box as
// button 0. The result is the Windows message-box result of the button (1 OK ... 7 No);
// styles 6 to 15 have no defined buttons and give 0.
//
// The pieces the window needs are portable and tested here: the button sets, the
// default and cancel rules, the count-down steps and the layout arithmetic in twips. The
// window itself (frmError500) lives in the UI library (toolvane/ui); without a display the
// box is written to standard error and the default button's result returned at once.
//
// Failures: a DefaultButtonIndex or CancelButtonIndex below −1 raises 340 (no such button);
// a UI library that cannot be loaded raises 0x80040000 with the loader's text. Nothing is
// shown in either case.
#pragma once

#include <array>

#include "support/export.h"
#include "toolvane/frame/library_object.h"
#include "toolvane/ui_api/ui_api.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

struct Error500ButtonSet {
  int count = 3;                    // buttons used, left to right
  std::array<UINT, 3> stringIds{};  // User32 string ids (0: none, design caption)
  std::array<const char16_t*, 3> fallbacks{u"&Abort", u"&Retry", u"&Ignore"};
  int standardDefault = -1;  // -1: none (styles 6 to 15)
  int standardCancel = -1;
  std::array<LONG, 3> results{};  // message-box result of each button
};

// The button set of Style & 0x0F.
const Error500ButtonSet& error500ButtonSet(LONG style);

// The default or cancel button: requested when it is not −1 and names a used button,
// else the standard one. Raises 340 for requested < −1.
int chooseButtonIndex(int standard, LONG requested, int count);

// The result of the button at index (ButtonIndexToResult); 0 for styles 6 to 15.
LONG buttonIndexToResult(LONG style, int index);

// The caption of a button: User32 string id through GetModuleHandleA/LoadStringA, else
// the fallback text.
String loadUser32String(UINT id, const char16_t* fallback);

// The box's caption: the application's title when Title is missing, " " for an empty one.
String error500Caption(const automation::Variant& title);

// The count-down of one box. step() runs at the box's start and on every timer tick.
class Error500Countdown {
 public:
  enum class Action { ShowCount, ShowLastCount, Close };
  explicit Error500Countdown(LONG timeoutValue) : timeoutValue_(timeoutValue < 1 ? 1 : timeoutValue) {}
  // ShowCount/ShowLastCount: put remaining() on the button (ShowLastCount: the next tick
  // comes after 250 ms instead of 1000 ms); Close: press the count-down button.
  Action step();
  LONG remaining() const { return timeoutValue_ - tick_ + 1; }
  LONG timeoutValue() const { return timeoutValue_; }

 private:
  LONG timeoutValue_;
  LONG tick_ = 0;
};

// The layout in twips; pixel values are derived by the window.
struct TwipsRect {
  long left = 0, top = 0, width = 0, height = 0;
};

struct Error500LayoutInput {
  long textWidthPx = 0;  // measured text, already cut to the screen
  long textHeightPx = 0;
  double tppX = 15, tppY = 15;  // twips per pixel
  bool icon = true;             // Style & 0xF0 is 16, 32, 48 or 64
  int buttonCount = 3;
};

struct Error500Layout {
  TwipsRect message;                 // lblMessage: where the text is drawn
  TwipsRect icon;                    // imgIcon
  std::array<TwipsRect, 3> buttons;  // cmdButton(0..2); unused ones keep their design place
  std::array<bool, 3> visible{};
  long clientWidth = 0, clientHeight = 0;
  long iconShift = 0;  // 810 with the design values when there is no icon
  long delta = 0;      // message width - design width
  bool widened = false;
  // The pixel rectangles the window draws at (integer division of rounded twips).
  long textLeftPx = 0, textTopPx = 0, textRightPx = 0, textBottomPx = 0;
  long iconLeftPx = 0, iconTopPx = 0;
};

Error500Layout layoutError500(const Error500LayoutInput& in);

// Design values of frmError500, in twips.
namespace error500design {
inline constexpr long kClientWidth = 6195, kClientHeight = 3915;
inline constexpr long kMessageLeft = 1080, kMessageTop = 180, kMessageWidth = 4935, kMessageHeight = 2970;
inline constexpr long kIconLeft = 300, kIconTop = 360, kIconSize = 480;
inline constexpr long kButtonLefts[3] = {1440, 3000, 4560};
inline constexpr long kButtonTop = 3300, kButtonWidth = 1455, kButtonHeight = 435;
// The outer width of the design dialog is compared with this threshold; the frame of a
// fixed dialog adds 90 twips (3 pixels a side) to the client width.
inline constexpr long kWidthThreshold = 6315, kFrameWidth = 90;
}  // namespace error500design

struct Error500Request {
  String text;
  LONG style = ui::kDefaultBoxStyle;
  String caption;         // already resolved (error500Caption)
  int defaultIndex = -1;  // chosen button, -1: none
  int cancelIndex = -1;
  LONG timeoutValue = ui::kDefaultTimeoutSeconds;
};

// Builds the request of one box: validates the indices and resolves the caption.
Error500Request makeError500Request(const String& text, LONG style, const automation::Variant& title,
                                    LONG defaultButtonIndex, LONG cancelButtonIndex, LONG timeoutValue);

// Runs one box from start to end: in a window when the process can show one, else on
// standard error. Returns the message-box result.
LONG ShowTimedMessageBox(const String& text, LONG style, const automation::Variant& title, LONG defaultButtonIndex,
                         LONG cancelButtonIndex, LONG timeoutValue);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
