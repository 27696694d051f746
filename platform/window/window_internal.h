// What the window functions share inside this folder: finding a window, reading its
// state properties, telling whether an EWMH window manager runs.
#pragma once

#include <memory>

#include "platform/window/window.h"
#include "platform/x11/x11_session.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform::detail {

// ICCCM WM_STATE values.
constexpr std::uint32_t kWmStateNormal = 1;
constexpr std::uint32_t kWmStateIconic = 3;

// The connection and the window id, when the window exists.
struct Target {
  std::shared_ptr<x11::Connection> s;
  xcb_window_t id = 0;
  explicit operator bool() const { return s && id; }
};

// The window behind a handle; an empty target (last error ERROR_INVALID_WINDOW_HANDLE)
// for a missing window or without a display.
Target target(HWND window);
// The state properties of w; *exists tells whether the window exists.
WindowFacts readFacts(x11::Connection& s, xcb_window_t w, bool* exists);
// Whether an EWMH window manager runs (its check window names itself).
bool ewmhManagerRuns(x11::Connection& s);

}  // namespace quendel::platform::detail

QUENDEL_EXPORT_END
