// The table of the metafile module (libquendelmetafile.so, metafile_module.cpp), the one
// part of the picture stack that links libwmf, libemf2svg, librsvg, cairo and glib;
// metafile_renderer.cpp loads it on the first metafile drawn.
//
// render draws a metafile whose header passed readMetafileHeader over `target` (straight
// 0xAARRGGBB, top-down, rows without padding), as renderMetafile does, and returns a
// DecodeStatus.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/on_demand_module.h"
#include "platform/codecs/metafile_header.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

constexpr std::uint32_t kMetafileModuleVersion = 1;
constexpr const char* kMetafileModuleFile = "libquendelmetafile.so";
constexpr const char* kMetafileModuleEntry = "quendelMetafileModule";

struct MetafilePixels {
  std::uint32_t* pixels;
  int width, height;
  std::size_t count() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
};

struct MetafileModule {
  platform::ModuleTableHeader header;
  int (*render)(const std::uint8_t* data, std::size_t size, const MetafileHeader* header, MetafilePixels target);
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
