// PNG encoder that streams rows from a RowSource (8 bits per sample, RGB or RGBA,
// not interlaced), with filters chosen for enlarged pixel art and photos alike: a row
// equal to the row above is written with the Up filter (all zeros, which compresses
// to almost nothing); a row that keeps the even columns of the row above
// (RowSource::keepsEvenColumnsOfPreviousRow), and that row, unfiltered, their doubled
// pixels coded as copies (when the row above is within deflate's window); any other
// row with Sub. The rows go through FastDeflate straight into IDAT chunks of about
// 1 MiB, so only two rows, one compression block and its output are held at a time. A resolution of 0 writes no pHYs
// chunk. Returns false for an empty picture; errors of the sink are the sink's.
#pragma once

#include "platform/codecs/file_sink.h"
#include "platform/gdi/row_source.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

struct PngOptions {
  bool alpha = false;
  double dpiX = 0;
  double dpiY = 0;
};

[[nodiscard]] bool writePng(const gdi::RowSource& rows, const PngOptions& options, FileSink& sink);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
