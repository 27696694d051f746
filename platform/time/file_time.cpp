// FILETIME calls over the real-time clock and the proleptic Gregorian calendar.
#include "platform/time/file_time.h"

#include <time.h>

namespace {

constexpr std::uint64_t kUnitsPerSecond = 10000000ULL;
constexpr std::uint64_t kUnitsPerMillisecond = 10000ULL;
constexpr std::uint64_t kSecondsPerDay = 86400ULL;
constexpr std::uint64_t kTopBit = 1ULL << 63;

// The civil date of a day count since 1601-01-01 (a Monday), by the 400-year cycle.
void civilFromDays(std::uint64_t days, SYSTEMTIME* st) {
  constexpr std::uint64_t kDaysPer400 = 146097, kDaysPer100 = 36524, kDaysPer4 = 1461, kDaysPer1 = 365;
  st->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday (1)
  std::uint64_t q400 = days / kDaysPer400, r = days % kDaysPer400;
  std::uint64_t q100 = r / kDaysPer100;
  if (q100 == 4) q100 = 3;  // the last day of a 400-year cycle
  r -= q100 * kDaysPer100;
  std::uint64_t q4 = r / kDaysPer4;
  r -= q4 * kDaysPer4;
  std::uint64_t q1 = r / kDaysPer1;
  if (q1 == 4) q1 = 3;  // the last day of a leap cycle
  r -= q1 * kDaysPer1;
  std::uint64_t year = 1601 + q400 * 400 + q100 * 100 + q4 * 4 + q1;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int month = 0;
  for (; month < 12; ++month) {
    std::uint64_t len = static_cast<std::uint64_t>(kMonthDays[month]) + ((month == 1 && leap) ? 1 : 0);
    if (r < len) break;
    r -= len;
  }
  st->wYear = static_cast<WORD>(year);
  st->wMonth = static_cast<WORD>(month + 1);
  st->wDay = static_cast<WORD>(r + 1);
}

}  // namespace

void GetSystemTimeAsFileTime(FILETIME* lpSystemTimeAsFileTime) {
  if (!lpSystemTimeAsFileTime) return;
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  *lpSystemTimeAsFileTime = fileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
  if (!lpFileTime || !lpSystemTime || (fileTimeToQuad(*lpFileTime) & kTopBit) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::uint64_t v = fileTimeToQuad(*lpFileTime);
  std::uint64_t seconds = v / kUnitsPerSecond;
  SYSTEMTIME st{};
  civilFromDays(seconds / kSecondsPerDay, &st);
  std::uint64_t inDay = seconds % kSecondsPerDay;
  st.wHour = static_cast<WORD>(inDay / 3600);
  st.wMinute = static_cast<WORD>(inDay / 60 % 60);
  st.wSecond = static_cast<WORD>(inDay % 60);
  st.wMilliseconds = static_cast<WORD>(v % kUnitsPerSecond / kUnitsPerMillisecond);
  *lpSystemTime = st;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
