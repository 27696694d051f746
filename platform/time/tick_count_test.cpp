#include "platform/time/tick_count.h"

#include <gtest/gtest.h>
#include <time.h>

namespace {

using quendel::platform::tickCountFromMilliseconds;

TEST(TickCount, KeepsTheLow32BitsOfTheMilliseconds) {
  struct Case {
    std::uint64_t ms;
    DWORD ticks;
  } cases[] = {
      {0, 0},
      {1234, 1234},
      {0xFFFFFFFFull, 0xFFFFFFFFu},
      {0x100000000ull, 0},  // 49.7 days: wraps to zero
      {0x100000000ull + 17, 17},
      {3 * 0x100000000ull + 5, 5},
  };
  for (const auto& c : cases) EXPECT_EQ(tickCountFromMilliseconds(c.ms), c.ticks) << c.ms;
}

TEST(TickCount, FollowsTheBootClock) {
  timespec ts{};
  ASSERT_EQ(clock_gettime(CLOCK_BOOTTIME, &ts), 0);
  DWORD before = tickCountFromMilliseconds(static_cast<std::uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
  DWORD now = GetTickCount();
  // Unsigned difference: correct across a wrap; the two reads are moments apart.
  EXPECT_LT(static_cast<DWORD>(now - before), 60000u);
}

TEST(PerformanceCounter, IsMonotonicWithAFixedFrequency) {
  LARGE_INTEGER f{}, a{}, b{};
  ASSERT_EQ(QueryPerformanceFrequency(&f), 1);
  EXPECT_EQ(f.QuadPart, 1000000000);
  ASSERT_EQ(QueryPerformanceCounter(&a), 1);
  ASSERT_EQ(QueryPerformanceCounter(&b), 1);
  EXPECT_GT(a.QuadPart, 0);
  EXPECT_GE(b.QuadPart, a.QuadPart);
}

TEST(PerformanceCounter, RefusesNullPointers) {
  EXPECT_EQ(QueryPerformanceCounter(nullptr), 0);
  EXPECT_EQ(QueryPerformanceFrequency(nullptr), 0);
}

}  // namespace
