#include "toolvane/general/qnd_bench_mark.h"

#include "platform/time/tick_count.h"
#include "platform/user/user.h"
#include "support/quendelsupport.h"
#include "toolvane/general/bench_mark_text.h"

namespace quendel::toolvane {

namespace {

// The tick count wraps after 2^32 ms (49.7 days).
constexpr double kTickWrapMs = 4294967296.0;

}  // namespace

String benchMarkText(const std::function<double()>& readElapsed, LONG iterations, bool integerValues, bool useSeconds) {
  auto format = [&](double x) { return integerValues ? asFormatInt64(x) : asFormatDouble(x); };
  String unit = useSeconds ? u" sec." : u" ms.";
  if (iterations <= 0) return format(readElapsed()) + unit;
  String text = format(readElapsed() / iterations) + unit + u" / " + asFormatLong(iterations) + u" (";
  return text + format(readElapsed()) + unit + u")";
}

qndBenchMark::qndBenchMark() : qndBenchMark([] { return GetTickCount(); }, [] { (void)MessageBeep(MB_SIMPLE_BEEP); }) {}

qndBenchMark::qndBenchMark(TickSource ticks, Beeper beep) : ticks_(std::move(ticks)), beep_(std::move(beep)) {}

void qndBenchMark::FirstMark(bool DoBeep) {
  if (DoBeep) beep_();
  first_ = static_cast<LONG>(ticks_());
  lastFollowsFirst_ = false;
}

void qndBenchMark::LastMark() {
  last_ = static_cast<LONG>(ticks_());
  lastFollowsFirst_ = true;
}

double qndBenchMark::GetTickDifferenceMS() {
  double difference = asLongToUnsignedLong(last_) - asLongToUnsignedLong(first_);
  if (difference < 0 && lastFollowsFirst_) difference += kTickWrapMs;
  return difference;
}

double qndBenchMark::GetTickDifferenceSec() { return GetTickDifferenceMS() / kMsPerSecond; }

String qndBenchMark::toString(LONG Iterations, bool IntegerValues, bool UseSeconds) {
  return benchMarkText([&] { return UseSeconds ? GetTickDifferenceSec() : GetTickDifferenceMS(); }, Iterations,
                       IntegerValues, UseSeconds);
}

}  // namespace quendel::toolvane
