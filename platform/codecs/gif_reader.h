// GIF reader over giflib: the first frame, drawn on the logical screen. Pixels of the
// transparent colour, and screen pixels the frame leaves uncovered, are transparent
// black (alpha 0). Interlaced frames are put in order. A file cut off inside the first
// frame, or without any colour table, is Damaged; a logical screen beyond
// picture_limits.h is TooLarge, before the pixels are allocated.
// giflib is linked by the GIF module (gif_module.h), loaded on the first decode; a
// module that cannot be loaded makes decoding Damaged, as data giflib rejects, with a
// debug line that tells why. looksLikeGif, and decodeGif on data that is no GIF
// (UnknownFormat), need no module.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/codecs/decoded_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

bool looksLikeGif(const std::uint8_t* data, std::size_t size);
[[nodiscard]] DecodeStatus decodeGif(const std::uint8_t* data, std::size_t size, DecodedPicture* out);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
