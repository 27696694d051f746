// SHA-256 of a byte string, as 64 lower-case hexadecimal digits. Used to give names of
// any length a fixed-size file name; not a security boundary on its own.
#pragma once

#include <string>
#include <string_view>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

std::string sha256Hex(std::string_view data);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
