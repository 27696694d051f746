// printf-style formatting into a std::string, never truncated, checked by the compiler
// like printf itself:
//
//   formatted("%02X", 255) == "FF";   formatted("%d.%02d", 3, 5) == "3.05"
//
// A format the C library cannot apply (an encoding error) gives an empty string.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel {

__attribute__((format(printf, 1, 2))) inline std::string formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length) + 1);  // room for the terminator vsnprintf writes
    if (std::vsnprintf(text.data(), text.size(), format, again) == length)
      text.resize(static_cast<std::size_t>(length));
    else
      text.clear();
  }
  va_end(again);
  return text;
}

}  // namespace quendel

QUENDEL_EXPORT_END
