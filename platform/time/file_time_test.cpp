#include "platform/time/file_time.h"

#include <gtest/gtest.h>
#include <time.h>

namespace {

TEST(FileTime, CalendarOfKnownTimes) {
  struct Case {
    std::uint64_t value;
    SYSTEMTIME expected;  // year, month, day of week, day, hour, minute, second, ms
  } cases[] = {
      {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
      {kFileTimeUnixEpoch, {1970, 1, 4, 1, 0, 0, 0, 0}},
      {kFileTimeUnixEpoch + 951782400ULL * 10000000ULL + 12345678, {2000, 2, 2, 29, 0, 0, 1, 234}},
      {kFileTimeUnixEpoch + 4107542399ULL * 10000000ULL, {2100, 2, 0, 28, 23, 59, 59, 0}},
      {kFileTimeUnixEpoch + 4107542400ULL * 10000000ULL, {2100, 3, 1, 1, 0, 0, 0, 0}},
      {kFileTimeUnixEpoch + 1609459199ULL * 10000000ULL + 9999999, {2020, 12, 4, 31, 23, 59, 59, 999}},
      {0x7FFFFFFFFFFFFFFFULL, {30828, 9, 4, 14, 2, 48, 5, 477}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    FILETIME ft = fileTimeFromQuad(c.value);
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(st.wYear, c.expected.wYear);
    EXPECT_EQ(st.wMonth, c.expected.wMonth);
    EXPECT_EQ(st.wDayOfWeek, c.expected.wDayOfWeek);
    EXPECT_EQ(st.wDay, c.expected.wDay);
    EXPECT_EQ(st.wHour, c.expected.wHour);
    EXPECT_EQ(st.wMinute, c.expected.wMinute);
    EXPECT_EQ(st.wSecond, c.expected.wSecond);
    EXPECT_EQ(st.wMilliseconds, c.expected.wMilliseconds);
  }
}

TEST(FileTime, AgreesWithTheCLibraryOverManyDays) {
  // Every 7 days and 13 hours from 1970 to about 2100: the same calendar as gmtime.
  for (std::int64_t s = 0; s < 4102444800LL; s += 7 * 86400 + 13 * 3600 + 17) {
    FILETIME ft = fileTimeFromUnix(s, 0);
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    time_t t = static_cast<time_t>(s);
    tm g{};
    gmtime_r(&t, &g);
    ASSERT_EQ(st.wYear, g.tm_year + 1900) << s;
    ASSERT_EQ(st.wMonth, g.tm_mon + 1) << s;
    ASSERT_EQ(st.wDay, g.tm_mday) << s;
    ASSERT_EQ(st.wDayOfWeek, g.tm_wday) << s;
    ASSERT_EQ(st.wHour, g.tm_hour) << s;
  }
}

TEST(FileTime, RefusesValuesBeyondTheRangeAndNullPointers) {
  SYSTEMTIME st{1, 2, 3, 4, 5, 6, 7, 8};
  FILETIME ft = fileTimeFromQuad(0x8000000000000000ULL);
  EXPECT_FALSE(FileTimeToSystemTime(&ft, &st));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(st.wYear, 1);  // untouched
  EXPECT_FALSE(FileTimeToSystemTime(nullptr, &st));
  EXPECT_FALSE(FileTimeToSystemTime(&ft, nullptr));
}

TEST(FileTime, SystemTimeIsNow) {
  FILETIME ft{};
  GetSystemTimeAsFileTime(&ft);
  std::int64_t unixSeconds = static_cast<std::int64_t>((fileTimeToQuad(ft) - kFileTimeUnixEpoch) / 10000000ULL);
  EXPECT_LE(std::llabs(unixSeconds - static_cast<std::int64_t>(time(nullptr))), 2);
  GetSystemTimeAsFileTime(nullptr);  // nothing to write, no crash
}

}  // namespace
