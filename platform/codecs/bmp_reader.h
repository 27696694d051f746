// Reader of Windows bitmaps (.bmp files and the device-independent bitmaps inside
// icons and cursors).
//
// Knows every kind Windows draws: 1, 4, 8, 16, 24 and 32 bits per pixel; BI_RGB, RLE8,
// RLE4, BI_BITFIELDS and BI_ALPHABITFIELDS; bottom-up and top-down rows; core (12
// bytes), info (40), V2, V3, V4 and V5 headers and the 64-byte OS/2 header; palettes of
// any length up to the depth's. Everything is bounds-checked:
//  - width or height of 100000 or more, or more pixels than picture_limits.h allows:
//    TooLarge, found before any allocation;
//  - a header claiming more pixel rows than the data holds (uncompressed), or more
//    pixels than RLE data of that length can describe: Damaged, before allocation;
//  - an unknown depth or compression (BI_JPEG, BI_PNG), a top-down RLE bitmap, RLE
//    data running out early: Damaged.
// Pixels that RLE data skips stay black. 32-bit BI_RGB pixels are opaque (their fourth
// byte is ignored, as GDI does); an alpha mask of a V3+ header or BI_ALPHABITFIELDS
// gives hasAlpha.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/codecs/decoded_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

// True when the data starts like a .bmp file.
bool looksLikeBmp(const std::uint8_t* data, std::size_t size);

// A whole .bmp file.
[[nodiscard]] DecodeStatus decodeBmp(const std::uint8_t* data, std::size_t size, DecodedPicture* out);

// Pixels of an icon's AND mask as the readers give it.
constexpr std::uint32_t kMaskOpaque = 0, kMaskTransparent = 0x00FFFFFF;

// A DIB as stored in an icon or cursor: header, palette, colour rows of half the
// header's height, then the 1-bit AND mask, its rows in the colour rows' order (written
// into *mask as kMaskOpaque and kMaskTransparent; an absent mask of a 32-bit image counts
// as opaque).
[[nodiscard]] DecodeStatus decodeIconDib(const std::uint8_t* data, std::size_t size, DecodedPicture* out,
                                         std::shared_ptr<gdi::PixelStore>* mask);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
