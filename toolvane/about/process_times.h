// The process-times page of the About box: the texts of its five values.
//
//   std::array<String, 5> values;
//   if (FillProcessTimes(&values)) ...   // creation, since start, kernel, user, processor
//   DurationToText(37230450000.0);       // "1:02:03.45" (100-ns units)
//   FileTimeToText(ft);                  // "09.12.2026, 01:49:02" in local time
//
// DurationToText takes 100-nanosecond units: hours as a plain number, minutes and seconds
// with two digits, then the remaining milliseconds as a plain number after the point
// ("0:00:00.5" is 5 ms, not half a second). Every rounding is to the nearest whole
// number, halves to the even neighbour. A value that is not finite, negative or beyond
// what the text can hold gives "*Error*".
// FileTimeToText: "N/A" for a zero time, the local date and time otherwise, "*Error*"
// when the time cannot be converted.
// FillProcessTimes: false (the page is dropped, the values untouched) when the host is no
// NT-family system or GetProcessTimes fails.
#pragma once

#include <array>

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

String FileTimeToText(const FILETIME& ft);
String DurationToText(double t);

// The values of rows (5) to (9): creation time, time since start, kernel, user and
// processor time (kernel + user). now is the current time as a FILETIME.
std::array<String, 5> processTimesTexts(const FILETIME& creation, const FILETIME& exit, const FILETIME& kernel,
                                        const FILETIME& user, const FILETIME& now);

[[nodiscard]] bool FillProcessTimes(std::array<String, 5>* values);

// The tag that marks a filled process-times page (lblProcessTimesInfo).
inline constexpr char16_t kProcessTimesFilledTag[] = u"Okeyo! ^^'";

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
