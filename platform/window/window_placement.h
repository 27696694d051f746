// GetWindowPlacement and SetWindowPlacement over X11: a top-level window's show state and
// the rectangle it has in the normal state.
//
//   WINDOWPLACEMENT wp{};
//   wp.length = sizeof wp;                              // 44
//   if (GetWindowPlacement(hwnd, &wp)) saveBytes(&wp, sizeof wp);
//   ...
//   wp.showCmd = SW_SHOWMAXIMIZED;
//   SetWindowPlacement(hwnd, &wp);
//
// The structure is the platform's 44-byte WINDOWPLACEMENT. Coordinates are pixels in
// workspace coordinates: relative to the top-left corner of the work area (the screen
// less the panels, SPI_GETWORKAREA). The restored rectangle is the window's outer
// rectangle, the window manager's frame (_NET_FRAME_EXTENTS) included.
//
// GetWindowPlacement:
// - showCmd: SW_SHOWMINIMIZED for an iconic window (WM_STATE Iconic, _NET_WM_STATE_HIDDEN,
//   or an unmapped window that asks to start iconic), else SW_SHOWMAXIMIZED when
//   _NET_WM_STATE holds both _NET_WM_STATE_MAXIMIZED_VERT and _HORZ, else SW_SHOWNORMAL
//   (hidden windows too, as on the platform).
// - flags: WPF_RESTORETOMAXIMIZED for a minimized window that is still marked maximized.
// - ptMinPosition and ptMaxPosition: (-1, -1); X11 has no icon or maximized positions
//   that a program could set.
// - rcNormalPosition: the current outer rectangle for a window in the normal state. The
//   X server does not keep the geometry a maximized or minimized window had before, so
//   the last normal rectangle seen (by these functions or rememberNormalPlacement) is
//   kept in a property of the window and reported instead; every process sees it.
// SetWindowPlacement puts the window in the normal state when it is maximized, moves and
// sizes it so that its outer rectangle is rcNormalPosition (the client rectangle is the
// outer one less the frame; the position follows the window's ICCCM gravity), and then
// applies showCmd: SW_HIDE unmaps; the minimizing commands (2, 6, 7, 11) iconify through
// the ICCCM request; SW_SHOWMAXIMIZED maximizes through the _NET_WM_STATE request (before
// mapping: through the property); the others show the window normally. Without a window
// manager the function does it directly: maximizing sets _NET_WM_STATE and the work
// area as geometry, minimizing unmaps the window marked as starting iconic (IsIconic
// then answers TRUE), restoring maps it. The window manager acts in its own time: the
// function returns when the requests are sent.
//
// Failures: FALSE, the structure untouched, last error ERROR_INVALID_WINDOW_HANDLE for a
// missing window or no display, ERROR_INVALID_PARAMETER for a null structure or a length
// field other than 44.
#pragma once

#include "platform/window/window.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

struct WINDOWPLACEMENT {
  UINT length;
  UINT flags;
  UINT showCmd;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;
};
static_assert(sizeof(WINDOWPLACEMENT) == 44, "the platform's layout");

constexpr UINT WPF_SETMINPOSITION = 1;
constexpr UINT WPF_RESTORETOMAXIMIZED = 2;

constexpr UINT SW_HIDE = 0;
constexpr UINT SW_SHOWNORMAL = 1;
constexpr UINT SW_SHOWMINIMIZED = 2;
constexpr UINT SW_SHOWMAXIMIZED = 3;
constexpr UINT SW_SHOWNOACTIVATE = 4;
constexpr UINT SW_SHOW = 5;
constexpr UINT SW_MINIMIZE = 6;
constexpr UINT SW_SHOWMINNOACTIVE = 7;
constexpr UINT SW_SHOWNA = 8;
constexpr UINT SW_RESTORE = 9;
constexpr UINT SW_SHOWDEFAULT = 10;
constexpr UINT SW_FORCEMINIMIZE = 11;

[[nodiscard]] BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
[[nodiscard]] BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);

namespace quendel::platform {

// What a show command asks for.
enum class ShowTarget { Hidden, Normal, Minimized, Maximized };
ShowTarget showTargetOf(UINT showCmd);

// The client position a configure request asks for so that the outer rectangle starts at
// (outerLeft, outerTop), for an ICCCM win_gravity and the frame extents (left, right, top,
// bottom) the window manager adds.
struct ClientOrigin {
  LONG x, y;
};
ClientOrigin requestOrigin(LONG outerLeft, LONG outerTop, std::uint32_t gravity, const LONG extents[4]);

// Records the window's outer rectangle as its normal one when the window is in the normal
// state (a program whose toolkit tells it about moves calls this); false otherwise.
bool rememberNormalPlacement(HWND window);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
