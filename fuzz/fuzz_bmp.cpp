// Windows bitmaps, whole files and the DIBs inside icons.
#include <cstddef>
#include <cstdint>

#include "platform/ole/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quendel::ole::DecodedPicture p;
  quendel::ole::decodeBmp(data, size, &p);
  if (size > 14) {
    std::shared_ptr<quendel::gdi::PixelStore> mask;
    quendel::ole::decodeIconDib(data + 14, size - 14, &p, &mask);
  }
  return 0;
}
