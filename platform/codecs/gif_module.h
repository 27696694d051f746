// The table of the GIF module (libquendelgif.so, gif_module.cpp), the one part of the
// picture stack that links giflib; gif_reader.cpp loads it on the first GIF.
//
// decode reads the `size` bytes at `data`, as decodeGif describes: it fills `info`, asks
// `allocate` (module_pixels.h) for the logical screen's width x height pixels once the
// size passed picture_limits.h, and draws the first frame there as 0xAARRGGBB, the
// transparent colour and the uncovered screen as transparent black (0). It returns a
// DecodeStatus; the pixels and `info` are only complete when it returns Ok.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/on_demand_module.h"
#include "platform/codecs/module_pixels.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

constexpr std::uint32_t kGifModuleVersion = 1;
constexpr const char* kGifModuleFile = "libquendelgif.so";
constexpr const char* kGifModuleEntry = "quendelGifModule";

struct GifInfo {
  bool hasAlpha;  // a transparent colour, or screen the frame leaves uncovered
};

struct GifModule {
  platform::ModuleTableHeader header;
  int (*decode)(const std::uint8_t* data, std::size_t size, GifInfo* info, PixelAllocate allocate, void* context);
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
