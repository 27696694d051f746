// Reading picture files named by UTF-16 file names (the names reach the system as
// UTF-8).
//
// openPictureFile refuses what is no regular file (a directory, a device) so that a
// reader never blocks on a pipe or reads a folder; it reports the errno of the failing
// call. readPictureFile reads a whole regular file of at most kMaxFileBytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

struct FileResult {
  int error = 0;  // 0, or an errno value (EISDIR for a directory, EFBIG beyond the limit)
};

// The UTF-8 path for a zero-terminated UTF-16 name.
std::string utf8Path(const char16_t* name);

// An open FILE* for a regular file, or null with *error set.
std::FILE* openPictureFile(const char16_t* name, int* error);

[[nodiscard]] FileResult readPictureFile(const char16_t* name, std::vector<std::uint8_t>* out);

// Reads up to `count` leading bytes of an open file and rewinds it.
std::size_t peekBytes(std::FILE* file, std::uint8_t* buffer, std::size_t count);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
