// GetProcessTimes of this process: the start from /proc, the processor times from
// getrusage.
#include "platform/process/process_times.h"

#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/time/file_time.h"

namespace {

constexpr std::uint64_t kUnitsPerMicrosecond = 10;
constexpr std::uint64_t kUnitsPerSecond = 10000000ULL;
constexpr int kStartTimeField = 22;  // of /proc/<pid>/stat, counting from 1
constexpr size_t kMaxProcText = 1 << 20;

bool readText(const char* path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string text(kMaxProcText, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  *out = std::move(text);
  return true;
}

bool parseNumber(std::string_view text, std::uint64_t* out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

FILETIME fromTimeval(const timeval& tv) {
  return fileTimeFromQuad(static_cast<std::uint64_t>(tv.tv_sec) * kUnitsPerSecond +
                          static_cast<std::uint64_t>(tv.tv_usec) * kUnitsPerMicrosecond);
}

}  // namespace

namespace quendel::platform {

bool processCreationTime(std::string_view procStat, std::string_view selfStat, long ticksPerSecond, FILETIME* out) {
  if (ticksPerSecond <= 0 || !out) return false;
  // "btime <seconds since the epoch>" on a line of its own.
  std::uint64_t boot = 0;
  bool haveBoot = false;
  size_t pos = 0;
  while (pos < procStat.size()) {
    size_t end = procStat.find('\n', pos);
    if (end == std::string_view::npos) end = procStat.size();
    std::string_view line = procStat.substr(pos, end - pos);
    if (line.substr(0, 6) == "btime ") haveBoot = parseNumber(line.substr(6), &boot);
    pos = end + 1;
  }
  if (!haveBoot) return false;
  // The command name (field 2) is in parentheses and may hold blanks or ')': the fields
  // after it start behind the last ')'.
  size_t close = selfStat.rfind(')');
  if (close == std::string_view::npos) return false;
  std::string_view rest = selfStat.substr(close + 1);
  int field = 2;
  std::string_view value;
  while (field < kStartTimeField) {
    size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) return false;
    rest = rest.substr(start);
    size_t end = rest.find_first_of(" \n");
    value = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
    ++field;
  }
  std::uint64_t ticks = 0;
  if (!parseNumber(value, &ticks)) return false;
  std::uint64_t units =
      ticks / static_cast<std::uint64_t>(ticksPerSecond) * kUnitsPerSecond +
      ticks % static_cast<std::uint64_t>(ticksPerSecond) * kUnitsPerSecond / static_cast<std::uint64_t>(ticksPerSecond);
  *out = fileTimeFromQuad(kFileTimeUnixEpoch + boot * kUnitsPerSecond + units);
  return true;
}

}  // namespace quendel::platform

BOOL GetProcessTimes(HANDLE hProcess, FILETIME* lpCreationTime, FILETIME* lpExitTime, FILETIME* lpKernelTime,
                     FILETIME* lpUserTime) {
  if (hProcess != GetCurrentProcess()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!lpCreationTime || !lpExitTime || !lpKernelTime || !lpUserTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string procStat, selfStat;
  FILETIME creation{};
  if (!readText("/proc/stat", &procStat) || !readText("/proc/self/stat", &selfStat) ||
      !quendel::platform::processCreationTime(procStat, selfStat, sysconf(_SC_CLK_TCK), &creation)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *lpCreationTime = creation;
  *lpExitTime = FILETIME{0, 0};
  *lpKernelTime = fromTimeval(usage.ru_stime);
  *lpUserTime = fromTimeval(usage.ru_utime);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
