// The multi-monitor functions of USER32 over XRandR monitors (RandR 1.5, through xcb).
//
//   HMONITOR m = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
//   MONITORINFOEXA info{};
//   info.cbSize = sizeof info;                       // 72, or sizeof(MONITORINFO) = 40
//   if (m && GetMonitorInfoA(m, &info)) ...
//
// A monitor is a RandR monitor of the display of DISPLAY, in the server's order; its
// handle stays the same while the monitor exists (it is the monitor's name atom). The
// monitor rectangle is the RandR geometry; the work area is that rectangle intersected
// with the current desktop's _NET_WORKAREA (the whole monitor when no window manager
// publishes one, or when they do not meet). The primary monitor is the one RandR marks
// primary, else the first. The device name is the monitor's name, cut to 31 bytes.
//
// The functions exist only where the display has RandR 1.5 monitors and libxcb-randr loads
// (multiMonitorAvailable()); elsewhere, and without a display, they fail as missing
// functions would: FALSE or nullptr with ERROR_CALL_NOT_IMPLEMENTED. Callers that must
// work everywhere check multiMonitorAvailable() first and fall back to the whole screen.
//
// - MonitorFromPoint / MonitorFromRect / MonitorFromWindow: the monitor that contains
//   the point (right and bottom edges excluded), that has the largest intersection with
//   the rectangle (an empty rectangle counts as its top-left point), or that the
//   window's rectangle (GetWindowRect) meets most. With none: nullptr for
//   MONITOR_DEFAULTTONULL, the primary for MONITOR_DEFAULTTOPRIMARY, the nearest for
//   MONITOR_DEFAULTTONEAREST (other flag values count as DEFAULTTONULL). A missing window
//   gives nullptr with ERROR_INVALID_WINDOW_HANDLE.
// - GetMonitorInfoA: FALSE with ERROR_INVALID_PARAMETER unless cbSize is 40 or 72, with
//   ERROR_INVALID_HANDLE (output untouched) for a monitor that no longer exists.
// - EnumDisplayMonitors: the device context must be null; with a clipping rectangle only
//   the monitors that meet it are listed, each with its part of the rectangle. Returns
//   FALSE when the callback stops the enumeration.
#pragma once

#include <string>
#include <vector>

#include "platform/window/window.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

struct HMONITORHandle;
using HMONITOR = HMONITORHandle*;
struct HDCHandle;  // the same tag as platform/gdi/gdi_types.h
using HDC = HDCHandle*;
using MONITORENUMPROC = BOOL (*)(HMONITOR monitor, HDC dc, RECT* rect, LPARAM lParam);

constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;
constexpr int CCHDEVICENAME = 32;
constexpr LONG ERROR_CALL_NOT_IMPLEMENTED = 120;

struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
};
// As in the Windows headers for C++: the extended record derives from the plain one.
struct MONITORINFOEXA : MONITORINFO {
  char szDevice[CCHDEVICENAME];
};
static_assert(sizeof(MONITORINFO) == 40 && sizeof(MONITORINFOEXA) == 72);

[[nodiscard]] BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC callback, LPARAM lParam);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
[[nodiscard]] BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);

namespace quendel::platform {

bool multiMonitorAvailable();
// Changes whenever the process connects to a display anew (another DISPLAY, or a server
// that was restarted), so that callers may keep an answer of multiMonitorAvailable()
// for as long as it stays the same.
unsigned long displayGeneration();

// The choice among monitor rectangles, apart from the display: an index into monitors,
// or -1. primary is the index of the primary monitor.
int monitorForPoint(const std::vector<RECT>& monitors, int primary, POINT p, DWORD flags);
int monitorForRect(const std::vector<RECT>& monitors, int primary, const RECT& r, DWORD flags);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
