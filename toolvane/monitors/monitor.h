// Monitor: a snapshot of one display's geometry, as qndMultiMonitor hands it out.
//
//   auto m = qndMultiMonitor().MonitorFromPoint(0, 0, mffDefaultToPrimary);
//   m->DeviceName();      // "LEFT", or "DISPLAY" for the single-screen fall-back
//   m->WorkAreaWidth();   // pixels
//
// It holds one MONITORINFOEXA record (72 bytes), taken whole by SetInfo and never
// refreshed, so it keeps its values when the display settings change. Clients cannot
// create it. Widths and heights subtract in 32-bit signed arithmetic and raise Overflow
// (6) when the difference does not fit.
#pragma once

#include "platform/monitor/monitor.h"
#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class Monitor : public LibraryObject {
 public:
  // Takes the record and puts both rectangles in order (left <= right, top <= bottom).
  void SetInfo(const MONITORINFOEXA& record);

  bool Primary() const { return (info_.dwFlags & 1) != 0; }
  LONG Flags() const { return static_cast<LONG>(info_.dwFlags); }
  String DeviceName();
  LONG MonitorLeft() const { return info_.rcMonitor.left; }
  LONG MonitorTop() const { return info_.rcMonitor.top; }
  LONG MonitorWidth() const;
  LONG MonitorHeight() const;
  LONG MonitorRight() const { return info_.rcMonitor.right; }
  LONG MonitorBottom() const { return info_.rcMonitor.bottom; }
  LONG WorkAreaLeft() const { return info_.rcWork.left; }
  LONG WorkAreaTop() const { return info_.rcWork.top; }
  LONG WorkAreaWidth() const;
  LONG WorkAreaHeight() const;
  LONG WorkAreaRight() const { return info_.rcWork.right; }
  LONG WorkAreaBottom() const { return info_.rcWork.bottom; }

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  MONITORINFOEXA info_{};
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
