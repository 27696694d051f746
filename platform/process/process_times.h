// GetProcessTimes for this process, over /proc and getrusage.
//
//   FILETIME created, exited, kernel, user;
//   if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) ...
//
// - creation: when the process started, as a FILETIME of the real-time clock: the boot
//   time (`btime` of /proc/stat) plus the start tick of /proc/self/stat (field 22, in
//   clock ticks), so it agrees with the start time `ps` shows.
// - exit: 0 (the process asks about itself, so it still runs).
// - kernel and user: the processor time of every thread of the process (getrusage
//   RUSAGE_SELF), in 100-ns units.
//
// Only this process (GetCurrentProcess(), (HANDLE)-1); another handle gives FALSE with
// ERROR_INVALID_HANDLE, a null output ERROR_INVALID_PARAMETER, an unreadable /proc
// ERROR_ACCESS_DENIED. Outputs are untouched on failure.
#pragma once

#include <string_view>

#include "platform/process/process_modules.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

[[nodiscard]] BOOL GetProcessTimes(HANDLE hProcess, FILETIME* lpCreationTime, FILETIME* lpExitTime,
                                   FILETIME* lpKernelTime, FILETIME* lpUserTime);

namespace quendel::platform {

// The creation time from the texts of /proc/stat and /proc/self/stat and the clock's
// ticks per second; false when either text is damaged.
bool processCreationTime(std::string_view procStat, std::string_view selfStat, long ticksPerSecond, FILETIME* out);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
