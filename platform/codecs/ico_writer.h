// Icon (.ico) and cursor (.cur) encoder: a file of one image, a 32-bit DIB with its
// alpha and its AND mask, which ico_reader.h reads back to the same pixels.
//
//   gdi::IconPixels px;  (icon_pixels.h)
//   MemorySink sink;
//   if (gdi::iconPixels(icon, &px) && writeIcon(px, sink)) ... sink.bytes() ...
//
// A pixel of alpha 0 gets a set mask bit, so readers that go by the mask see the same
// transparency. A cursor keeps its hot spot. Returns false for an empty image, one of
// more than 256 pixels in either direction (beyond the directory's fields), or a failed
// sink.
#pragma once

#include "platform/codecs/byte_sink.h"
#include "platform/gdi/icon_pixels.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

[[nodiscard]] bool writeIcon(const gdi::IconPixels& pixels, ByteSink& sink);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
