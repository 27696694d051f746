// The pixels a picture module (tiff_module.h, jpeg_module.h, gif_module.h) decodes into.
//
// The module asks for them through a PixelAllocate callback, so that it never links the
// platform library or its PixelStore. The readers pass allocatePixelStore with a
// std::shared_ptr<gdi::PixelStore> as the context; it holds the pixels afterwards. The
// buffer is width x height pixels, rows top-down without padding, its contents
// undefined; nullptr when it cannot be had (the module then returns NoMemory).
#pragma once

#include <cstdint>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

using PixelAllocate = std::uint32_t* (*)(void* context, int width, int height);

// `context` is a std::shared_ptr<gdi::PixelStore>*, replaced by a new store.
std::uint32_t* allocatePixelStore(void* context, int width, int height);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
