// The enlargement of Pixgrow as rows computed from the source canvas.
//
// Row Y of the 2W x 2H result holds exactly what the per-pixel algorithm writes with
// GetPixel and SetPixel into a black canvas: for every source pixel c = (x, y) the
// method's positions of the 2 x 2 block get c's colour (opaque), the others stay black.
//   method 1: (2x, 2y)                  method 2: (2x, 2y), (2x+1, 2y)
//   method 3: as 2, and (2x, 2y+1)      method 4: all four
// Rows are produced when an encoder asks for them, so the result is never held whole;
// with method 4 every odd row repeats the one above, with method 3 it keeps the even
// columns of the row above; the PNG encoder uses both.
#pragma once

#include <memory>

#include "platform/gdi/row_source.h"

namespace quendel::pixgrow {

class EnlargedRows final : public gdi::RowSource {
 public:
  EnlargedRows(std::shared_ptr<const gdi::RowSource> source, int method);
  int width() const override { return width_; }
  int height() const override { return height_; }
  const std::uint32_t* row(int y, std::uint32_t* out) const override;
  bool repeatsPreviousRow(int y) const override { return method_ == 4 && (y & 1); }
  bool keepsEvenColumnsOfPreviousRow(int y) const override { return method_ == 3 && (y & 1); }

 private:
  std::shared_ptr<const gdi::RowSource> source_;
  int method_;
  int width_;
  int height_;
};

}  // namespace quendel::pixgrow
