// Reader of icon (.ico) and cursor (.cur) files: the directory, the choice of one
// image, and that image (a DIB with its AND mask, or a PNG-compressed image).
//
// The choice follows the platform's rule for a wanted size and display depth: the
// image whose size is nearest (sum of the width and height differences; on a tie the
// larger image, which scales down better), then the greatest depth not above the
// display's (else the smallest above it); remaining ties go to the first in the
// directory. Width and height of each image are read from the image itself, the
// directory's bytes only standing in where the image cannot be read.
// Failures: not an icon or cursor (reserved word, type 1 or 2) UnknownFormat; no
// entries, an entry outside the file, a damaged image: Damaged; sizes as bmp_reader.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/codecs/decoded_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

struct IconEntry {
  int width = 0;
  int height = 0;
  int bits = 0;
  bool png = false;
  std::uint32_t hotspotX = 0;  // cursors only
  std::uint32_t hotspotY = 0;
  std::size_t offset = 0;
  std::size_t size = 0;
};

struct DecodedIcon {
  bool isIcon = true;
  std::size_t entry = 0;                  // index of the chosen image
  DecodedPicture color;                   // hasAlpha tells whether the mask or alpha decides transparency
  std::shared_ptr<gdi::PixelStore> mask;  // kMaskOpaque or kMaskTransparent (bmp_reader.h)
  std::uint32_t hotspotX = 0;
  std::uint32_t hotspotY = 0;
};

// The file types of the directory header.
constexpr int kNotIconFile = 0, kIconFile = 1, kCursorFile = 2;
// The image the system picks for a picture: the standard icon size at the display's depth.
constexpr int kStandardIconSize = 32, kDisplayBits = 32;

// kIconFile, kCursorFile, or kNotIconFile for anything else.
int iconFileType(const std::uint8_t* data, std::size_t size);
[[nodiscard]] DecodeStatus readIconDirectory(const std::uint8_t* data, std::size_t size,
                                             std::vector<IconEntry>* entries);
std::size_t chooseIconEntry(const std::vector<IconEntry>& entries, int cx, int cy, int displayBits);
[[nodiscard]] DecodeStatus decodeIcon(const std::uint8_t* data, std::size_t size, int cx, int cy, int displayBits,
                                      DecodedIcon* out);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
