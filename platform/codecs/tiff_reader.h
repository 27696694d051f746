// TIFF reader over libtiff: the first page; no, LZW, deflate, PackBits and JPEG
// compression; 1, 8 and 16 bits; palette, grey, RGB, RGBA, CMYK. 16-bit samples are
// reduced to 8 bits; associated (premultiplied) alpha is turned back into plain alpha.
// The size is checked from the tags before the pixels are allocated (TooLarge);
// anything libtiff refuses is Damaged. libtiff's own messages are silenced.
// libtiff is linked by the TIFF module (tiff_module.h), loaded on the first decode; a
// module that cannot be loaded makes decoding Damaged, as a file libtiff cannot open,
// with a debug line that tells why. looksLikeTiff needs no module.
#pragma once

#include <string>

#include "platform/codecs/decoded_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

bool looksLikeTiff(const std::uint8_t* data, std::size_t size);
// `cmyk` reports a separated (CMYK) file.
[[nodiscard]] DecodeStatus decodeTiffFile(const std::string& path, DecodedPicture* out, bool* cmyk);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
