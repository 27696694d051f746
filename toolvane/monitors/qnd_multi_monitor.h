// qndMultiMonitor: the monitors of the display, and the monitor of a window, point or
// rectangle, each as a new Monitor snapshot.
//
//   qndMultiMonitor mm;
//   auto all = mm.GetAllMonitors();                       // Collection of Monitor
//   auto m = mm.MonitorFromPoint(x, y, mffDefaultToNull); // nullptr: no monitor there
//
// Where the display offers no monitors (no display at all, or no RandR 1.5) every query
// answers one fall-back monitor for the whole screen: device "DISPLAY", primary, flags
// 1, the root window's rectangle (the support library's nominal screen without a
// display) and the work area of SystemParametersInfoA(SPI_GETWORKAREA) (the screen when
// that fails) - whatever the arguments. Whether the display offers monitors is found
// once per thread and display. Flags are MonitorFromFlags values. MonitorFromNewRect
// raises Overflow (6) when Left + Width or Top + Height does not fit 32 bits.
#pragma once

#include <memory>

#include "automation/collection.h"
#include "support/export.h"

#include "toolvane/frame/library_object.h"
#include "toolvane/monitors/monitor.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

// MonitorFromFlags.
enum : LONG { mffDefaultToNull = 0, mffDefaultToPrimary = 1, mffDefaultToNearest = 2 };

class qndMultiMonitor : public LibraryObject {
 public:
  std::shared_ptr<Collection> GetAllMonitors();
  std::shared_ptr<Monitor> MonitorFromWindow(LONG hWnd, LONG Flags);
  std::shared_ptr<Monitor> MonitorFromPoint(LONG X, LONG Y, LONG Flags);
  std::shared_ptr<Monitor> MonitorFromRect(LONG Left, LONG Top, LONG Right, LONG Bottom, LONG Flags);
  std::shared_ptr<Monitor> MonitorFromNewRect(LONG Left, LONG Top, LONG Width, LONG Height, LONG Flags);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  static std::shared_ptr<Monitor> GetFallbackMonitor();
  static std::shared_ptr<Monitor> monitorOf(HMONITOR handle);
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
