#include "platform/time/tick_count.h"

#include <time.h>

namespace {

std::int64_t nanoseconds(clockid_t clock) {
  timespec ts{};
  // Both clocks exist on every kernel the port supports; a failure leaves ts at zero.
  clock_gettime(clock, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace

DWORD GetTickCount() {
  return quendel::platform::tickCountFromMilliseconds(static_cast<std::uint64_t>(nanoseconds(CLOCK_BOOTTIME)) /
                                                      1000000u);
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return 0;
  count->QuadPart = nanoseconds(CLOCK_MONOTONIC);
  return 1;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return 0;
  frequency->QuadPart = quendel::platform::kPerformanceFrequency;
  return 1;
}
