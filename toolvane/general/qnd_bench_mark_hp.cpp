#include "toolvane/general/qnd_bench_mark_hp.h"

#include "platform/time/tick_count.h"
#include "platform/user/user.h"
#include "support/quendelsupport.h"
#include "toolvane/general/bench_mark_text.h"

namespace quendel::toolvane {

namespace {

std::int64_t readCounter() {
  LARGE_INTEGER value{};
  return QueryPerformanceCounter(&value) ? value.QuadPart : 0;
}

std::int64_t readFrequency() {
  LARGE_INTEGER value{};
  return QueryPerformanceFrequency(&value) ? value.QuadPart : 0;
}

double divide(double dividend, double divisor) {
  if (divisor == 0) throw RuntimeError(11);
  return dividend / divisor;
}

}  // namespace

qndBenchMarkHP::qndBenchMarkHP()
    : qndBenchMarkHP(readCounter, readFrequency, [] { (void)MessageBeep(MB_SIMPLE_BEEP); }) {}

qndBenchMarkHP::qndBenchMarkHP(CounterSource counter, CounterSource frequency, Beeper beep)
    : counter_(std::move(counter)), frequency_(std::move(frequency)), beep_(std::move(beep)) {}

void qndBenchMarkHP::FirstMark(bool DoBeep) {
  if (DoBeep) beep_();
  first_ = counter_();
}

void qndBenchMarkHP::LastMark() { last_ = counter_(); }

double qndBenchMarkHP::GetTickDifference() { return asLargeIntegerToDouble(last_) - asLargeIntegerToDouble(first_); }

double qndBenchMarkHP::GetTickFrequencyPerSec() { return asLargeIntegerToDouble(frequency_()); }

double qndBenchMarkHP::GetTickFrequencyPerMS() { return GetTickFrequencyPerSec() / kMsPerSecond; }

double qndBenchMarkHP::GetTickDifferenceMS() { return divide(GetTickDifference(), GetTickFrequencyPerMS()); }

double qndBenchMarkHP::GetTickDifferenceSec() { return divide(GetTickDifference(), GetTickFrequencyPerSec()); }

String qndBenchMarkHP::toString(LONG Iterations, bool IntegerValues, bool UseSeconds) {
  return benchMarkText([&] { return UseSeconds ? GetTickDifferenceSec() : GetTickDifferenceMS(); }, Iterations,
                       IntegerValues, UseSeconds);
}

}  // namespace quendel::toolvane
