// The USER32 window functions the library calls, over X11 (xcb).
//
//   UINT msg = RegisterWindowMessageA("{C91232E8-...}");     // same number in every process
//   SetPropA(hwnd, "PrevInstance_App_Marker", reinterpret_cast<HANDLE>(69));
//   EnumWindows([](HWND w, LPARAM) -> BOOL { ... return TRUE; }, 0);
//
// A window handle is the X11 window id (hwndFromId / windowId convert); handles of
// windows of every process on the display are valid everywhere, as on Windows. Without
// a display (no DISPLAY, or it cannot be opened) every window is missing: the functions
// fail as Windows ones do for a missing window (FALSE, nullptr or 0, last error
// ERROR_INVALID_WINDOW_HANDLE) and RegisterWindowMessageA returns 0.
//
// - RegisterWindowMessageA: 0xC000 + the atom of the name (letter case ignored), so every
//   process of the display gets the same number; 0 for a null or empty name or one
//   longer than 255 bytes (ERROR_INVALID_PARAMETER).
// - SetPropA / GetPropA / RemovePropA: a property is an X11 property of the window
//   (names fold letter case; at most 255 bytes), so other processes see it. The data is
//   pointer-sized. GetPropA and RemovePropA return nullptr when the property is missing.
// - EnumWindows: the top-level windows, topmost first (the server's stacking order
//   reversed, as Windows lists its Z order). Under a reparenting window manager the
//   client window inside each frame is listed (the one with WM_STATE), not the frame.
//   Returns FALSE when the callback stopped the enumeration or there is no display.
// - IsWindowVisible: the window is mapped and viewable, or iconified by the window
//   manager (a minimized window counts as visible, as on Windows).
// - IsIconic: WM_STATE is IconicState, or _NET_WM_STATE holds _NET_WM_STATE_HIDDEN, or
//   the window is not mapped and asks to start iconic (WM_HINTS initial state).
// - OpenIcon: makes the window start in the normal state (WM_HINTS, _NET_WM_STATE) and
//   maps it, which de-iconifies it under a window manager (ICCCM) and shows a hidden one.
// - SetForegroundWindow: with an EWMH window manager, the _NET_ACTIVE_WINDOW request
//   (the manager decides; it normally raises, focuses and switches to the window's
//   desktop); without one, the window is raised and, when viewable, gets the input focus.
// - GetDesktopWindow: the root window; GetWindowRect: the window's outer rectangle in
//   root coordinates, with the window manager's frame (_NET_FRAME_EXTENTS) when known.
// - SystemParametersInfoA(SPI_GETWORKAREA): the screen intersected with the current
//   desktop's _NET_WORKAREA (the whole screen when no window manager publishes one).
//   Other actions: FALSE, ERROR_INVALID_PARAMETER.
// - SendMessageA: see window_messages.h.
#pragma once

#include <cstdint>

#include "platform/base/last_error.h"
#include "support/export.h"
#include "support/quendelsupportfbe.h"

QUENDEL_EXPORT_BEGIN

using HANDLE = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using WNDENUMPROC = BOOL (*)(HWND window, LPARAM lParam);

constexpr UINT SPI_GETWORKAREA = 48;

UINT RegisterWindowMessageA(const char* name);
[[nodiscard]] BOOL IsWindow(HWND window);
[[nodiscard]] BOOL SetPropA(HWND window, const char* name, HANDLE data);
HANDLE GetPropA(HWND window, const char* name);
HANDLE RemovePropA(HWND window, const char* name);
[[nodiscard]] BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);
[[nodiscard]] BOOL IsWindowVisible(HWND window);
[[nodiscard]] BOOL IsIconic(HWND window);
[[nodiscard]] BOOL OpenIcon(HWND window);
[[nodiscard]] BOOL SetForegroundWindow(HWND window);
HWND GetDesktopWindow();
[[nodiscard]] BOOL GetWindowRect(HWND window, RECT* rect);
[[nodiscard]] BOOL SystemParametersInfoA(UINT action, UINT param, void* data, UINT winIni);

namespace quendel::platform {

inline HWND hwndFromId(std::uint32_t id) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id)); }
// The X11 id of a handle; 0 for one that cannot be an X11 id.
inline std::uint32_t windowId(HWND window) {
  auto v = reinterpret_cast<std::uintptr_t>(window);
  return v > 0x1FFFFFFFu ? 0 : static_cast<std::uint32_t>(v);
}

// What the window's state properties say, and the Windows view of it.
struct WindowFacts {
  bool mapped = false;        // map state Viewable
  int wmState = -1;           // ICCCM WM_STATE: -1 none, 0 Withdrawn, 1 Normal, 3 Iconic
  bool netHidden = false;     // _NET_WM_STATE_HIDDEN
  bool startsIconic = false;  // WM_HINTS initial state IconicState
};
bool factsVisible(const WindowFacts& f);
bool factsIconic(const WindowFacts& f);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
