// PNG reader over libpng: every colour type and depth, interlaced files, palettes with
// transparency. 16-bit samples are rounded to 8 bits; grey, palette and tRNS are
// expanded to 0xAARRGGBB. Gamma and colour-profile chunks are not applied.
// A width or height of 100000 or more is TooLarge (checked from the header before the
// pixels are allocated); a bad CRC, a cut-off stream or bad compressed data: Damaged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/codecs/decoded_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

bool looksLikePng(const std::uint8_t* data, std::size_t size);
[[nodiscard]] DecodeStatus decodePng(const std::uint8_t* data, std::size_t size, DecodedPicture* out);
[[nodiscard]] DecodeStatus decodePngFile(std::FILE* file, DecodedPicture* out);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
