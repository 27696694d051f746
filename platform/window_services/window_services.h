// The window services of the support library (QuendelWindowServices in
// support/quendelsupport.h) over X11: installed when the platform library is loaded,
// so asGetWindowIcon, asSetWindowIconAll, asCenterFormEx, asUnloadForm and the main
// window's title work in every program that links it.
//
//   HICON small = asGetWindowIconSmall(hwnd);        // answered from here
//
// - Icons: the window's _NET_WM_ICON (window_icons.h); both icons go into the one
//   property, large first. A property larger than one request is written in pieces.
// - Centring: the outer frame (GetWindowRect) is moved to the middle of the work area of
//   the monitor the window is on most (GetMonitorInfoA), or of SPI_GETWORKAREA on a
//   display without RandR monitors; the move is a ConfigureWindow of the window's
//   position, which a window manager applies to its frame (ICCCM north-west gravity).
//   Meant for top-level windows.
// - Closing: a WM_DELETE_WINDOW client message when the window's WM_PROTOCOLS holds it
//   (what a window manager sends when the user closes it); else WM_CLOSE through
//   SendMessageA when a message handler is installed for the window; else
//   HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED).
// - Title: _NET_WM_NAME (UTF-8), else WM_NAME (UTF-8 or Latin-1); "" when it has none.
// Without a display, or for a window that does not exist:
// HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE).
#pragma once

#include "support/export.h"
#include "support/quendelsupport.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

// The table the platform library installs.
const QuendelWindowServices& x11WindowServices();

}  // namespace quendel::platform

QUENDEL_EXPORT_END
