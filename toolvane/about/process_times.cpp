// The process-times page: FileTimeToText, DurationToText and the five values.
#include "toolvane/about/process_times.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/process/process_times.h"
#include "platform/time/file_time.h"
#include "support/quendelsupport.h"
#include "support/quendelsupportfbe.h"
#include "support/rounding.h"

namespace quendel::toolvane {
namespace {

constexpr std::int64_t kUnitsPerMs = 10000;
constexpr std::int64_t kMsPerHour = 3600000;
constexpr std::int64_t kMsPerMinute = 60000;
constexpr std::int64_t kMsPerSecond = 1000;
constexpr double kMaxUnits = 9.0e18;  // below 2^63, so the whole number fits

// n / d rounded to the nearest whole number, halves to the even one (n >= 0, d > 0).
std::int64_t divideHalfEven(std::int64_t n, std::int64_t d) {
  std::int64_t q = n / d, r = n % d;
  if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
  return q;
}

String twoDigits(std::int64_t v) {
  String s;
  s += static_cast<char16_t>(u'0' + v / 10);
  s += static_cast<char16_t>(u'0' + v % 10);
  return s;
}

String number(std::int64_t v) {
  std::string s = std::to_string(v);
  return String(s.begin(), s.end());
}

double toDouble(const FILETIME& ft) { return asLargeIntegerToDouble(static_cast<LONGLONG>(fileTimeToQuad(ft))); }

}  // namespace

String FileTimeToText(const FILETIME& ft) {
  if (ft.dwLowDateTime == 0 && ft.dwHighDateTime == 0) return u"N/A";
  try {
    SYSTEMTIME utc{};
    if (!FileTimeToSystemTime(&ft, &utc)) return u"*Error*";
    SYSTEMTIME local = asSystemTimeToLocalSystemTime(utc);
    return asSystemTimeToStringDate(local) + u", " + asSystemTimeToStringTime(local);
  } catch (const RuntimeError&) {
    return u"*Error*";
  }
}

String DurationToText(double t) {
  if (!std::isfinite(t) || t < 0 || t > kMaxUnits) return u"*Error*";
  // FILETIMEs are whole 100-ns units (and so is their Double below 2^53); from here on
  // the arithmetic is exact.
  auto units = static_cast<std::int64_t>(roundHalfEven(t));
  // The milliseconds are rounded once, before they are split, so a value just under a
  // whole minute or hour carries into it ("1:00:00.0", never "0:60:00.0").
  std::int64_t ms = divideHalfEven(units, kUnitsPerMs);
  std::int64_t hours = ms / kMsPerHour;
  if (hours > std::numeric_limits<LONG>::max()) return u"*Error*";
  ms -= hours * kMsPerHour;
  std::int64_t minutes = ms / kMsPerMinute;
  ms -= minutes * kMsPerMinute;
  std::int64_t seconds = ms / kMsPerSecond;
  ms -= seconds * kMsPerSecond;
  return number(hours) + u":" + twoDigits(minutes) + u":" + twoDigits(seconds) + u"." + number(ms);
}

std::array<String, 5> processTimesTexts(const FILETIME& creation, const FILETIME& exit, const FILETIME& kernel,
                                        const FILETIME& user, const FILETIME& now) {
  // A process that still runs has no exit time: the time since start runs to now.
  const FILETIME& end = exit.dwLowDateTime == 0 && exit.dwHighDateTime == 0 ? now : exit;
  return {FileTimeToText(creation), DurationToText(toDouble(end) - toDouble(creation)),
          DurationToText(toDouble(kernel)), DurationToText(toDouble(user)),
          DurationToText(toDouble(kernel) + toDouble(user))};
}

bool FillProcessTimes(std::array<String, 5>* values) {
  if (!values || !esIsHostWinNT()) return false;
  FILETIME creation{}, exit{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) return false;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  *values = processTimesTexts(creation, exit, kernel, user, now);
  return true;
}

}  // namespace quendel::toolvane
