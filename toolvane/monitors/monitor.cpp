#include "toolvane/monitors/monitor.h"

#include <cstring>

#include "support/quendelsupport.h"

namespace quendel::toolvane {

namespace {

LONG checkedDifference(LONG high, LONG low) {
  LONG out = 0;
  if (__builtin_sub_overflow(high, low, &out)) throw RuntimeError(6);
  return out;
}

}  // namespace

void Monitor::SetInfo(const MONITORINFOEXA& record) {
  std::memcpy(static_cast<void*>(&info_), &record, sizeof info_);
  esNormalizeRect(info_.rcMonitor);
  esNormalizeRect(info_.rcWork);
}

String Monitor::DeviceName() {
  info_.szDevice[sizeof info_.szDevice - 1] = '\0';
  return asGetStringFromPointerA(info_.szDevice);
}

LONG Monitor::MonitorWidth() const { return checkedDifference(info_.rcMonitor.right, info_.rcMonitor.left); }
LONG Monitor::MonitorHeight() const { return checkedDifference(info_.rcMonitor.bottom, info_.rcMonitor.top); }
LONG Monitor::WorkAreaWidth() const { return checkedDifference(info_.rcWork.right, info_.rcWork.left); }
LONG Monitor::WorkAreaHeight() const { return checkedDifference(info_.rcWork.bottom, info_.rcWork.top); }

}  // namespace quendel::toolvane
