// The result of every picture reader of the port, and how a reading failed.
//
// Pixels are 0xAARRGGBB, top-down (row_source.h). Readers set alpha 0xFF on every
// pixel of a picture without transparency; `hasAlpha` says the alpha bytes carry
// information (a transparent GIF colour, an alpha channel, an icon mask).
#pragma once

#include <memory>

#include "platform/gdi/row_source.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

enum class DecodeStatus {
  Ok,
  UnknownFormat,  // no reader knows the signature (or the data is empty)
  Damaged,        // the format is known but the data is inconsistent or cut short
  TooLarge,       // the header claims a size beyond picture_limits.h
  NoMemory,       // the pixels could not be allocated
};

struct DecodedPicture {
  std::shared_ptr<gdi::PixelStore> pixels;
  int bitsPerPixel = 0;  // depth of the data in the file (per pixel, all channels)
  bool hasAlpha = false;
  bool alphaFromData = false;  // alpha came from the pixel data, not from a mask
  bool indexed = false;        // the file stores palette indices
  bool grey = false;           // the file stores grey levels only
  int bitsPerChannel = 8;
  double dpiX = 0;  // 0 when the file does not say
  double dpiY = 0;
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
