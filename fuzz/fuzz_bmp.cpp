// Windows bitmaps, whole files and the DIBs inside icons.
#include <cstddef>
#include <cstdint>

#include "platform/codecs/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quendel::codecs::DecodedPicture p;
  (void)quendel::codecs::decodeBmp(data, size, &p);
  if (size > 14) {
    std::shared_ptr<quendel::gdi::PixelStore> mask;
    (void)quendel::codecs::decodeIconDib(data + 14, size - 14, &p, &mask);
  }
  return 0;
}
