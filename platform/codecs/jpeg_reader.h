// JPEG reader over libjpeg: baseline and progressive, greyscale, RGB/YCbCr and
// CMYK/YCCK (Adobe files store CMYK inverted; both kinds are turned into RGB).
// A file that ends before its last scan is Damaged (the library would fill the rest
// with grey), as is any data the library rejects; 100000 pixels or more in either
// direction: TooLarge, before the pixels are allocated.
// libjpeg is linked by the JPEG module (jpeg_module.h), loaded on the first decode; a
// module that cannot be loaded makes decoding Damaged, as data libjpeg rejects, with a
// debug line that tells why. looksLikeJpeg, and decodeJpeg on data that is no JPEG
// (UnknownFormat), need no module.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/codecs/decoded_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

bool looksLikeJpeg(const std::uint8_t* data, std::size_t size);
// On success `cmyk` (if given) tells a CMYK or YCCK file.
[[nodiscard]] DecodeStatus decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture* out,
                                      bool* cmyk = nullptr);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
