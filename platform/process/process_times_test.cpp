#include "platform/process/process_times.h"

#include <gtest/gtest.h>
#include <time.h>

#include <string>

#include "platform/time/file_time.h"

namespace {

using quendel::platform::processCreationTime;

std::uint64_t quad(const FILETIME& ft) { return fileTimeToQuad(ft); }

TEST(ProcessTimes, CreationFromTheProcTexts) {
  const std::string stat = "cpu  1 2 3\nbtime 1700000000\nprocesses 5\n";
  // Field 22 is the start tick; a command name with blanks and ')' must not shift it.
  const std::string self = "42 (my (odd) prog) S 1 42 42 0 -1 4194560 100 0 0 0 5 6 0 0 20 0 1 0 250 1000 10\n";
  struct Case {
    std::string stat, self;
    long ticks;
    bool ok;
    std::uint64_t expected;
  } cases[] = {
      {stat, self, 100, true, kFileTimeUnixEpoch + 1700000002ULL * 10000000ULL + 5000000ULL},
      {stat, self, 1000, true, kFileTimeUnixEpoch + 1700000000ULL * 10000000ULL + 2500000ULL},
      {"cpu 1\n", self, 100, false, 0},              // no btime
      {"btime x\n", self, 100, false, 0},            // damaged btime
      {stat, "42 (prog) S 1 2 3\n", 100, false, 0},  // too few fields
      {stat, "42 prog S 1 2 3", 100, false, 0},      // no parentheses
      {stat, self, 0, false, 0},                     // no clock rate
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.self + " / " + std::to_string(c.ticks));
    FILETIME ft{7, 7};
    EXPECT_EQ(processCreationTime(c.stat, c.self, c.ticks, &ft), c.ok);
    EXPECT_EQ(quad(ft), c.ok ? c.expected : quad(FILETIME{7, 7}));
  }
}

TEST(ProcessTimes, ThisProcess) {
  FILETIME created{}, exited{1, 1}, kernel{}, user{};
  // Some processor time to measure.
  volatile double x = 0;
  for (int i = 0; i < 20000000; ++i) x = x + i * 0.5;
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  EXPECT_EQ(quad(exited), 0u);
  EXPECT_LE(quad(created), quad(now));
  EXPECT_GT(quad(created), quad(now) - 3600ULL * 10000000ULL);  // started within the hour
  EXPECT_GT(quad(user), 0u);
  EXPECT_LT(quad(user) + quad(kernel), quad(now) - quad(created) + 2 * 10000000ULL);
}

TEST(ProcessTimes, OnlyThisProcessAndOutputsRequired) {
  FILETIME a{3, 3}, b{3, 3}, c{3, 3}, d{3, 3};
  EXPECT_FALSE(GetProcessTimes(reinterpret_cast<HANDLE>(1234), &a, &b, &c, &d));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(GetProcessTimes(GetCurrentProcess(), &a, nullptr, &c, &d));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(quad(a), quad(FILETIME{3, 3}));
}

}  // namespace
