// The KERNEL32 clocks that benchmark timers read, over Linux.
//
//   DWORD t0 = GetTickCount();                  // milliseconds since boot, wraps at 2^32
//   LARGE_INTEGER c, f;
//   QueryPerformanceCounter(&c); QueryPerformanceFrequency(&f);
//
// - GetTickCount: milliseconds since the system started, including time spent suspended
//   (CLOCK_BOOTTIME), cut to 32 bits, so it wraps to 0 after about 49.7 days as on Windows.
// - QueryPerformanceCounter: the monotonic clock (CLOCK_MONOTONIC) in nanoseconds;
//   QueryPerformanceFrequency: its ticks per second, always 1000000000. Both return FALSE
//   and leave nothing written for a null pointer; TRUE otherwise (BOOL: 1 TRUE, 0 FALSE).
#pragma once

#include <cstdint>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  std::int64_t QuadPart;
};

DWORD GetTickCount();
[[nodiscard]] BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
[[nodiscard]] BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

namespace quendel::platform {

// The tick count for a number of milliseconds since boot: its low 32 bits.
constexpr DWORD tickCountFromMilliseconds(std::uint64_t ms) { return static_cast<DWORD>(ms & 0xFFFFFFFFu); }

inline constexpr std::int64_t kPerformanceFrequency = 1000000000;

}  // namespace quendel::platform

QUENDEL_EXPORT_END
