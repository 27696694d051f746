// BMP encoder that streams rows from a RowSource: BITMAPINFOHEADER, BI_RGB,
// bottom-up rows, 24 bits per pixel (rows padded to 4 bytes) or 32 bits (the pixel's
// alpha byte kept). The resolution goes into biXPelsPerMeter/biYPelsPerMeter.
// Returns false when the file would pass the format's 4 GiB limit.
#pragma once

#include "platform/codecs/byte_sink.h"
#include "platform/gdi/row_source.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

[[nodiscard]] bool writeBmp(const gdi::RowSource& rows, int bitsPerPixel, double dpiX, double dpiY, ByteSink& sink);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
