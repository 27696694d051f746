// The KERNEL32 calls on FILETIMEs: 100-nanosecond units since 1 January 1601 UTC.
//
//   FILETIME now;
//   GetSystemTimeAsFileTime(&now);
//   SYSTEMTIME st;
//   if (FileTimeToSystemTime(&now, &st)) ...           // UTC, Gregorian calendar
//
// - GetSystemTimeAsFileTime: the real-time clock (CLOCK_REALTIME); nothing is written for
//   a null pointer.
// - FileTimeToSystemTime: the calendar date and time of a FILETIME, day of week 0 =
//   Sunday; FALSE with ERROR_INVALID_PARAMETER for a null pointer or a value with the top
//   bit set (beyond the year 30827), as the platform refuses it; the output is untouched
//   then.
// - fileTimeFromUnix / fileTimeToQuad: the conversions between the two epochs and the
//   64-bit value of the two halves.
#pragma once

#include <cstdint>

#include "platform/base/last_error.h"
#include "support/export.h"
#include "support/quendelsupport.h"

QUENDEL_EXPORT_BEGIN

// 100-ns units between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;

void GetSystemTimeAsFileTime(FILETIME* lpSystemTimeAsFileTime);
[[nodiscard]] BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);

constexpr std::uint64_t fileTimeToQuad(const FILETIME& ft) {
  return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}
constexpr FILETIME fileTimeFromQuad(std::uint64_t v) {
  return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)};
}
// A time since the Unix epoch (seconds and nanoseconds) as a FILETIME.
constexpr FILETIME fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
  return fileTimeFromQuad(kFileTimeUnixEpoch + static_cast<std::uint64_t>(seconds) * 10000000ULL +
                          static_cast<std::uint64_t>(nanoseconds / 100));
}

QUENDEL_EXPORT_END
