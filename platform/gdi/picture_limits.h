// Size limits that every picture reader of the port applies before it allocates.
//
// A header that claims 100000 pixels or more in either direction is refused, and so is
// one whose pixel count passes kMaxPixels (1 GiB of 32-bit pixels), so that a hostile
// header can neither exhaust memory nor overflow a size computation.
#pragma once

#include <cstdint>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::gdi {

constexpr std::int64_t kMaxDimension = 99999;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

constexpr bool pictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension && width * height <= kMaxPixels;
}

}  // namespace quendel::gdi

QUENDEL_EXPORT_END
