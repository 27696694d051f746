// The readers over the format libraries (PNG, JPEG, GIF), as the loaders call them.
#include <cstddef>
#include <cstdint>

#include "platform/codecs/gif_reader.h"
#include "platform/codecs/jpeg_reader.h"
#include "platform/codecs/png_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quendel::codecs::DecodedPicture p;
  if (quendel::codecs::looksLikePng(data, size)) {
    (void)quendel::codecs::decodePng(data, size, &p);
  } else if (quendel::codecs::looksLikeJpeg(data, size)) {
    (void)quendel::codecs::decodeJpeg(data, size, &p);
  } else if (quendel::codecs::looksLikeGif(data, size)) {
    (void)quendel::codecs::decodeGif(data, size, &p);
  }
  return 0;
}
