// Icon and cursor files: directory, entry choice and the chosen image.
#include <cstddef>
#include <cstdint>

#include "platform/codecs/ico_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quendel::codecs::DecodedIcon icon;
  if (quendel::codecs::decodeIcon(data, size, 32, 32, 32, &icon) == quendel::codecs::DecodeStatus::Ok) {
    // What the loader relies on: colour and mask of one size.
    if (!icon.mask || icon.mask->width() != icon.color.pixels->width() ||
        icon.mask->height() != icon.color.pixels->height())
      __builtin_trap();
  }
  (void)quendel::codecs::decodeIcon(data, size, 16, 16, 8, &icon);
  return 0;
}
