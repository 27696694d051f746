// The table of the JPEG module (libquendeljpeg.so, jpeg_module.cpp), the one part of the
// picture stack that links libjpeg; jpeg_reader.cpp loads it on the first JPEG.
//
// decode reads the `size` bytes at `data`, as decodeJpeg describes: it fills `info`,
// asks `allocate` (module_pixels.h) for width x height pixels once the size passed
// picture_limits.h, and writes them there as opaque 0xFFRRGGBB (CMYK and YCCK turned
// into RGB). It returns a DecodeStatus; the pixels and `info` are only complete when it
// returns Ok.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/on_demand_module.h"
#include "platform/codecs/module_pixels.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

constexpr std::uint32_t kJpegModuleVersion = 1;
constexpr const char* kJpegModuleFile = "libquendeljpeg.so";
constexpr const char* kJpegModuleEntry = "quendelJpegModule";

struct JpegInfo {
  bool grey;          // the file stores one grey component
  bool cmyk;          // the file stores CMYK or YCCK
  double dpiX, dpiY;  // 0 when the file does not say
};

struct JpegModule {
  platform::ModuleTableHeader header;
  int (*decode)(const std::uint8_t* data, std::size_t size, JpegInfo* info, PixelAllocate allocate, void* context);
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
