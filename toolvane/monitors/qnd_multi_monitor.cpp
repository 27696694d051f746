#include "toolvane/monitors/qnd_multi_monitor.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/quendelsupportfbe.h"

namespace quendel::toolvane {

namespace {

// Per thread: whether the display offers monitors (0 not yet known, 1 yes, -1 no), for
// which display connection; and the collection an enumeration fills.
struct ThreadState {
  int hostMode = 0;
  unsigned long display = 0;
  std::shared_ptr<Collection> enumeration;
};
thread_local ThreadState state;

int hostMode() {
  unsigned long display = platform::displayGeneration();
  if (state.hostMode == 0 || state.display != display) {
    bool old = esIsHostWin95() || esIsHostWinNT40() || esIsHostWinNT351();
    state.hostMode = !old && platform::multiMonitorAvailable() ? 1 : -1;
    state.display = display;
  }
  return state.hostMode;
}

BOOL addMonitor(HMONITOR handle, HDC, RECT*, LPARAM) {
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(handle, &info)) {
    auto m = std::make_shared<Monitor>();
    m->SetInfo(info);
    state.enumeration->add(Variant(m));
  }
  return TRUE;
}

}  // namespace

std::shared_ptr<Monitor> qndMultiMonitor::GetFallbackMonitor() {
  if (hostMode() == 1) return nullptr;
  MONITORINFOEXA record{};
  record.cbSize = sizeof record;
  if (!GetWindowRect(GetDesktopWindow(), &record.rcMonitor))
    record.rcMonitor = RECT{0, 0, esScreenWidthPx(), esScreenHeightPx()};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &record.rcWork, 0)) record.rcWork = record.rcMonitor;
  record.dwFlags = 1;
  std::memcpy(record.szDevice, "DISPLAY", 8);
  auto m = std::make_shared<Monitor>();
  m->SetInfo(record);
  return m;
}

std::shared_ptr<Monitor> qndMultiMonitor::monitorOf(HMONITOR handle) {
  if (!handle) return nullptr;
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(handle, &info)) return nullptr;
  auto m = std::make_shared<Monitor>();
  m->SetInfo(info);
  return m;
}

std::shared_ptr<Collection> qndMultiMonitor::GetAllMonitors() {
  if (auto fallback = GetFallbackMonitor()) {
    auto one = Collection::create();
    one->add(Variant(fallback));
    return one;
  }
  state.enumeration = Collection::create();
  struct Clear {
    ~Clear() { state.enumeration.reset(); }
  } clear;
  auto result = state.enumeration;
  // A failed enumeration leaves the collection as far as it got, which is what the caller sees.
  (void)EnumDisplayMonitors(nullptr, nullptr, addMonitor, 0);
  return result;
}

std::shared_ptr<Monitor> qndMultiMonitor::MonitorFromWindow(LONG hWnd, LONG Flags) {
  if (auto fallback = GetFallbackMonitor()) return fallback;
  return monitorOf(
      ::MonitorFromWindow(platform::hwndFromId(static_cast<std::uint32_t>(hWnd)), static_cast<DWORD>(Flags)));
}

std::shared_ptr<Monitor> qndMultiMonitor::MonitorFromPoint(LONG X, LONG Y, LONG Flags) {
  if (auto fallback = GetFallbackMonitor()) return fallback;
  return monitorOf(::MonitorFromPoint(POINT{X, Y}, static_cast<DWORD>(Flags)));
}

std::shared_ptr<Monitor> qndMultiMonitor::MonitorFromRect(LONG Left, LONG Top, LONG Right, LONG Bottom, LONG Flags) {
  if (auto fallback = GetFallbackMonitor()) return fallback;
  RECT r{Left, Top, Right, Bottom};
  return monitorOf(::MonitorFromRect(&r, static_cast<DWORD>(Flags)));
}

std::shared_ptr<Monitor> qndMultiMonitor::MonitorFromNewRect(LONG Left, LONG Top, LONG Width, LONG Height, LONG Flags) {
  if (auto fallback = GetFallbackMonitor()) return fallback;
  RECT r{Left, Top, 0, 0};
  if (__builtin_add_overflow(Left, Width, &r.right) || __builtin_add_overflow(Top, Height, &r.bottom))
    throw RuntimeError(6);
  return monitorOf(::MonitorFromRect(&r, static_cast<DWORD>(Flags)));
}

}  // namespace quendel::toolvane
