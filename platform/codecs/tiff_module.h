// The table of the TIFF module (libquendeltiff.so, tiff_module.cpp), the one part of the
// picture stack that links libtiff; tiff_reader.cpp loads it on the first TIFF.
//
// decode reads the first page of the file at `path`: it fills `info`, asks `allocate`
// (module_pixels.h) for width x height pixels once the size passed picture_limits.h,
// and writes them there as 0xAARRGGBB with plain (not premultiplied) alpha. It returns
// a DecodeStatus; the pixels are only complete when it returns Ok.
#pragma once

#include <cstdint>

#include "platform/base/on_demand_module.h"
#include "platform/codecs/module_pixels.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

constexpr std::uint32_t kTiffModuleVersion = 1;
constexpr const char* kTiffModuleFile = "libquendeltiff.so";
constexpr const char* kTiffModuleEntry = "quendelTiffModule";

struct TiffInfo {
  std::uint16_t bitsPerSample;
  std::uint16_t samplesPerPixel;
  std::uint16_t photometric;  // the TIFF tag's value (PHOTOMETRIC_*)
  bool hasAlpha;
  double dpiX, dpiY;  // 0 when the file does not say
};

struct TiffModule {
  platform::ModuleTableHeader header;
  int (*decode)(const char* path, TiffInfo* info, PixelAllocate allocate, void* context);
};

// The TIFF tag values of the kinds the reader tells apart.
constexpr std::uint16_t kTiffPhotometricMinIsWhite = 0, kTiffPhotometricMinIsBlack = 1, kTiffPhotometricPalette = 3,
                        kTiffPhotometricSeparated = 5;

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
