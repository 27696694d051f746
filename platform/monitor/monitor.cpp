#include "platform/monitor/monitor.h"

#include <xcb/randr.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/x11/work_area.h"
#include "platform/x11/x11_session.h"
#include "platform/x11/xcb_library.h"

namespace x11 = quendel::platform::x11;

namespace {

struct MonitorData {
  std::uintptr_t handle = 0;
  RECT monitor{}, work{};
  bool primary = false;
  std::string name;
};

RECT intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}
bool isEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
long long area(const RECT& r) { return isEmpty(r) ? 0 : static_cast<long long>(r.right - r.left) * (r.bottom - r.top); }

// Distance (squared) from a point to a rectangle; 0 inside.
long long distance2(const RECT& r, POINT p) {
  long long dx = p.x < r.left ? r.left - p.x : (p.x >= r.right ? p.x - (r.right - 1) : 0);
  long long dy = p.y < r.top ? r.top - p.y : (p.y >= r.bottom ? p.y - (r.bottom - 1) : 0);
  return dx * dx + dy * dy;
}
long long distance2(const RECT& a, const RECT& b) {
  long long dx = b.right <= a.left ? a.left - b.right + 1 : (b.left >= a.right ? b.left - a.right + 1 : 0);
  long long dy = b.bottom <= a.top ? a.top - b.bottom + 1 : (b.top >= a.bottom ? b.top - a.bottom + 1 : 0);
  return dx * dx + dy * dy;
}

// The monitors of the display, or false when it has none to offer (no display, no RandR
// 1.5, no monitor).
bool readMonitors(std::vector<MonitorData>* out) {
  auto s = x11::session();
  if (!s) return false;
  xcb_extension_t* randr = x11::randrExtension();
  if (!randr) return false;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(s->c, randr);
  if (!ext || !ext->present) return false;
  auto version = x11::reply(s->c, xcb_randr_query_version_reply, xcb_randr_query_version(s->c, 1, 5));
  if (!version || (version->major_version == 1 && version->minor_version < 5)) return false;
  auto list = x11::reply(s->c, xcb_randr_get_monitors_reply, xcb_randr_get_monitors(s->c, s->screen->root, 1));
  if (!list) return false;

  std::optional<RECT> published = x11::currentWorkArea(*s);

  std::vector<MonitorData> monitors;
  std::size_t index = 0;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(list.get()); it.rem;
       xcb_randr_monitor_info_next(&it), ++index) {
    const xcb_randr_monitor_info_t* m = it.data;
    MonitorData d;
    d.handle = m->name ? m->name : 0x7FFF0000u + index;
    d.monitor = RECT{m->x, m->y, m->x + m->width, m->y + m->height};
    d.work = d.monitor;
    if (published) {
      RECT cut = intersect(d.monitor, *published);
      if (!isEmpty(cut)) d.work = cut;
    }
    d.primary = m->primary;
    d.name = m->name ? s->atomName(m->name) : std::string("MONITOR") + std::to_string(index + 1);
    if (d.name.size() > CCHDEVICENAME - 1) d.name.resize(CCHDEVICENAME - 1);
    monitors.push_back(std::move(d));
  }
  if (monitors.empty()) return false;
  if (std::none_of(monitors.begin(), monitors.end(), [](const MonitorData& d) { return d.primary; }))
    monitors.front().primary = true;
  *out = std::move(monitors);
  return true;
}

bool readOrFail(std::vector<MonitorData>* out) {
  if (readMonitors(out)) return true;
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return false;
}

std::vector<RECT> rects(const std::vector<MonitorData>& monitors, int* primary) {
  std::vector<RECT> out;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    out.push_back(monitors[i].monitor);
    if (monitors[i].primary) *primary = static_cast<int>(i);
  }
  return out;
}

HMONITOR handleAt(const std::vector<MonitorData>& monitors, int index) {
  return index < 0 ? nullptr : reinterpret_cast<HMONITOR>(monitors[static_cast<std::size_t>(index)].handle);
}

int fallbackChoice(DWORD flags, int primary, int nearest) {
  if (flags == MONITOR_DEFAULTTOPRIMARY) return primary;
  if (flags == MONITOR_DEFAULTTONEAREST) return nearest;
  return -1;
}

}  // namespace

namespace quendel::platform {

bool multiMonitorAvailable() {
  std::vector<MonitorData> monitors;
  return readMonitors(&monitors);
}

unsigned long displayGeneration() { return x11::sessionGeneration(); }

int monitorForPoint(const std::vector<RECT>& monitors, int primary, POINT p, DWORD flags) {
  int nearest = -1;
  long long best = std::numeric_limits<long long>::max();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    long long d = distance2(monitors[i], p);
    if (d == 0) return static_cast<int>(i);
    if (d < best) {
      best = d;
      nearest = static_cast<int>(i);
    }
  }
  return fallbackChoice(flags, primary, nearest);
}

int monitorForRect(const std::vector<RECT>& monitors, int primary, const RECT& r, DWORD flags) {
  if (isEmpty(r)) return monitorForPoint(monitors, primary, POINT{r.left, r.top}, flags);
  int most = -1, nearest = -1;
  long long bestArea = 0, bestDistance = std::numeric_limits<long long>::max();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    long long a = area(intersect(monitors[i], r));
    if (a > bestArea) {
      bestArea = a;
      most = static_cast<int>(i);
    }
    long long d = distance2(monitors[i], r);
    if (d < bestDistance) {
      bestDistance = d;
      nearest = static_cast<int>(i);
    }
  }
  return most >= 0 ? most : fallbackChoice(flags, primary, nearest);
}

}  // namespace quendel::platform

BOOL EnumDisplayMonitors(HDC dc, const RECT* clip, MONITORENUMPROC callback, LPARAM lParam) {
  if (dc || !callback) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<MonitorData> monitors;
  if (!readOrFail(&monitors)) return FALSE;
  for (const MonitorData& m : monitors) {
    RECT part = clip ? intersect(m.monitor, *clip) : m.monitor;
    if (clip && isEmpty(part)) continue;
    if (!callback(reinterpret_cast<HMONITOR>(m.handle), nullptr, &part, lParam)) return FALSE;
  }
  return TRUE;
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  std::vector<MonitorData> monitors;
  if (!readOrFail(&monitors)) return nullptr;
  int primary = 0;
  std::vector<RECT> r = rects(monitors, &primary);
  return handleAt(monitors, quendel::platform::monitorForPoint(r, primary, point, flags));
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<MonitorData> monitors;
  if (!readOrFail(&monitors)) return nullptr;
  int primary = 0;
  std::vector<RECT> r = rects(monitors, &primary);
  return handleAt(monitors, quendel::platform::monitorForRect(r, primary, *rect, flags));
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags) {
  std::vector<MonitorData> monitors;
  if (!readOrFail(&monitors)) return nullptr;
  RECT where{};
  if (!GetWindowRect(window, &where)) return nullptr;
  int primary = 0;
  std::vector<RECT> r = rects(monitors, &primary);
  return handleAt(monitors, quendel::platform::monitorForRect(r, primary, where, flags));
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
  if (!info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXA))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<MonitorData> monitors;
  if (!readOrFail(&monitors)) return FALSE;
  auto it = std::find_if(monitors.begin(), monitors.end(),
                         [&](const MonitorData& m) { return m.handle == reinterpret_cast<std::uintptr_t>(monitor); });
  if (!monitor || it == monitors.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  info->rcMonitor = it->monitor;
  info->rcWork = it->work;
  info->dwFlags = it->primary ? MONITORINFOF_PRIMARY : 0;
  if (info->cbSize == sizeof(MONITORINFOEXA)) {
    auto* ex = static_cast<MONITORINFOEXA*>(info);
    std::memset(ex->szDevice, 0, sizeof ex->szDevice);
    std::memcpy(ex->szDevice, it->name.data(), std::min<std::size_t>(it->name.size(), CCHDEVICENAME - 1));
  }
  return TRUE;
}
