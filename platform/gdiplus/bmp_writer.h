// BMP encoder that streams rows from a RowSource: BITMAPINFOHEADER, BI_RGB,
// bottom-up rows, 24 bits per pixel (rows padded to 4 bytes) or 32 bits (the pixel's
// alpha byte kept). The resolution goes into biXPelsPerMeter/biYPelsPerMeter.
// Returns false when the file would pass the format's 4 GiB limit.
#pragma once

#include "platform/gdi/row_source.h"
#include "platform/gdiplus/file_sink.h"

namespace quendel::gdiplus {

bool writeBmp(const gdi::RowSource& rows, int bitsPerPixel, double dpiX, double dpiY, FileSink& sink);

}  // namespace quendel::gdiplus
