// qndBenchMark: times a stretch of the client's code with the system tick count
// (milliseconds since boot, 32 bits).
//
//   auto b = std::make_shared<qndBenchMark>();
//   b->FirstMark(false);  work();  b->LastMark();
//   String s = b->toString(1000, false, false);   // "0.0123 ms. / 1000 (12.3 ms.)"
//
// FirstMark beeps first when DoBeep is True (so the beep is not timed), then takes the
// first mark; LastMark takes the last. Both marks start at 0. GetTickDifferenceMS is the
// last mark minus the first, both read as unsigned 32-bit numbers; when the tick count
// wrapped between a FirstMark and a later LastMark the 2^32 milliseconds it lost are added
// back, so a real interval is never negative. A LastMark that is missing or older than
// the FirstMark still gives the plain (negative) difference, which shows the misuse.
// toString: see bench_mark_text.h. Errors of the support functions are raised.
//
// The clock and the beep are injectable, so that tests control time.
#pragma once

#include <functional>

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class qndBenchMark : public LibraryObject {
 public:
  using TickSource = std::function<DWORD()>;
  using Beeper = std::function<void()>;

  qndBenchMark();  // GetTickCount and MessageBeep(0xFFFFFFFF)
  qndBenchMark(TickSource ticks, Beeper beep);

  void FirstMark(bool DoBeep = true);
  void LastMark();
  double GetTickDifferenceMS();
  double GetTickDifferenceSec();
  String toString(LONG Iterations = 0, bool IntegerValues = false, bool UseSeconds = true);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  TickSource ticks_;
  Beeper beep_;
  LONG first_ = 0;
  LONG last_ = 0;
  bool lastFollowsFirst_ = false;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
