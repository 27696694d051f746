#include "pixgrow/enlarged_rows.h"

#include <algorithm>
#include <vector>

namespace quendel::pixgrow {

namespace {
constexpr std::uint32_t kBlack = 0xFF000000u;
}

EnlargedRows::EnlargedRows(std::shared_ptr<const gdi::RowSource> source, int method)
    : source_(std::move(source)), method_(method), width_(source_->width() * 2), height_(source_->height() * 2) {}

const std::uint32_t* EnlargedRows::row(int y, std::uint32_t* out) const {
  const bool odd = y & 1;
  if (odd && method_ <= 2) {
    std::fill(out, out + width_, kBlack);
    return out;
  }
  const int w = source_->width();
  // The source row is read into the right half of the output, which the doubling
  // then overwrites from the left without reading anything it already wrote.
  std::uint32_t* tail = out + w;
  const std::uint32_t* src = source_->row(y / 2, tail);
  const bool second = method_ == 4 || (method_ >= 2 && !odd);
  for (int x = 0; x < w; ++x) {
    const std::uint32_t c = kBlack | (src[x] & 0x00FFFFFFu);
    out[2 * x] = c;
    out[2 * x + 1] = second ? c : kBlack;
  }
  return out;
}

}  // namespace quendel::pixgrow
