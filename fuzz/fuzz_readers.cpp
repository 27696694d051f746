// The readers over the format libraries (PNG, JPEG, GIF), as the loaders call them.
#include <cstddef>
#include <cstdint>

#include "platform/ole/gif_reader.h"
#include "platform/ole/jpeg_reader.h"
#include "platform/ole/png_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quendel::ole::DecodedPicture p;
  if (quendel::ole::looksLikePng(data, size)) {
    quendel::ole::decodePng(data, size, &p);
  } else if (quendel::ole::looksLikeJpeg(data, size)) {
    quendel::ole::decodeJpeg(data, size, &p);
  } else if (quendel::ole::looksLikeGif(data, size)) {
    quendel::ole::decodeGif(data, size, &p);
  }
  return 0;
}
