// qndBenchMarkHP: times a stretch of the client's code with the high-resolution
// performance counter.
//
//   auto b = std::make_shared<qndBenchMarkHP>();
//   b->FirstMark(false);  work();  b->LastMark();
//   double ticks = b->GetTickDifference();       // counter ticks
//   double ms = b->GetTickDifferenceMS();        // ticks / (frequency / 1000)
//
// Marks are 64-bit counter values, 0 until taken. The frequency is read anew on every
// call that needs it; a frequency of 0 (a counter that cannot be read) raises 11
// (Division by zero) from every member that divides by it. toString as qndBenchMark.
// The counter, the frequency and the beep are injectable, so that tests control time.
#pragma once

#include <cstdint>
#include <functional>

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class qndBenchMarkHP : public LibraryObject {
 public:
  using CounterSource = std::function<std::int64_t()>;
  using Beeper = std::function<void()>;

  qndBenchMarkHP();  // QueryPerformanceCounter/Frequency and MessageBeep(0xFFFFFFFF)
  qndBenchMarkHP(CounterSource counter, CounterSource frequency, Beeper beep);

  void FirstMark(bool DoBeep = true);
  void LastMark();
  double GetTickDifference();
  double GetTickDifferenceMS();
  double GetTickDifferenceSec();
  double GetTickFrequencyPerSec();
  double GetTickFrequencyPerMS();
  String toString(LONG Iterations = 0, bool IntegerValues = false, bool UseSeconds = true);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  CounterSource counter_;
  CounterSource frequency_;
  Beeper beep_;
  std::int64_t first_ = 0;
  std::int64_t last_ = 0;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
