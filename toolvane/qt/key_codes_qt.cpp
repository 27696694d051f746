#include "toolvane/qt/key_codes_qt.h"

namespace quendel::toolvane::qt {

namespace {

// The first code of each run of keys that the runtime numbers in a row.
constexpr LONG kKeyA = 65;
constexpr LONG kKey0 = 48;
constexpr LONG kKeyF1 = 112;

// Bits of the shift state.
constexpr LONG kShiftMask = 1;
constexpr LONG kCtrlMask = 2;
constexpr LONG kAltMask = 4;

}  // namespace

LONG keyCodeFromQt(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return kKeyA + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return kKey0 + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kKeyF1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Help: return 47;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default: return 0;
  }
}

LONG shiftStateFromQt(Qt::KeyboardModifiers modifiers) {
  LONG state = 0;
  if (modifiers & Qt::ShiftModifier) state |= kShiftMask;
  if (modifiers & Qt::ControlModifier) state |= kCtrlMask;
  if (modifiers & Qt::AltModifier) state |= kAltMask;
  return state;
}

}  // namespace quendel::toolvane::qt
