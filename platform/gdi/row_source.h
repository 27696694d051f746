// Pixels delivered one row at a time: the common currency of the picture stack.
//
// A RowSource is a width x height picture of 32-bit pixels 0xAARRGGBB (in memory the
// bytes B, G, R, A, the layout of a 32-bit DIB), rows counted top-down. Encoders pull
// rows from it, so a picture that is computed (an enlargement seen as a view of its
// source) is never held whole. A source is read-only and may be read from several
// readers at once as long as each uses its own scratch buffer.
//
// PixelStore is the owned, materialised form: one contiguous block, shared between
// GDI bitmaps and GDI+ images by reference and copied only before a write.
#pragma once

#include <cstdint>
#include <memory>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::gdi {

class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Row y (0 <= y < height()). `scratch` has room for width() pixels; the result points
  // either into it or into storage of the source, valid until the next call with it.
  virtual const std::uint32_t* row(int y, std::uint32_t* scratch) const = 0;
  // True when row y holds exactly the pixels of row y - 1; lets encoders skip work.
  // A false answer is always correct.
  virtual bool repeatsPreviousRow(int /*y*/) const { return false; }
  // True when row y holds the pixels of row y - 1 in its even columns (0, 2, ...) and
  // one colour in its odd ones, as a doubling that fills only part of each 2 x 2 block
  // makes it; lets encoders copy instead of coding. A false answer is always correct,
  // and so is a wrong true one for the PNG encoder, which checks what it copies.
  virtual bool keepsEvenColumnsOfPreviousRow(int /*y*/) const { return false; }
};

class PixelStore {
 public:
  // Uninitialised pixels, or zero when `zero` (black, alpha 0). Null when the size is
  // negative or the block cannot be allocated.
  static std::shared_ptr<PixelStore> create(int width, int height, bool zero);
  std::shared_ptr<PixelStore> clone() const;

  int width() const { return width_; }
  int height() const { return height_; }
  std::uint32_t* row(int y) { return data_.get() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* row(int y) const { return data_.get() + static_cast<std::size_t>(y) * width_; }
  std::uint32_t* data() { return data_.get(); }
  const std::uint32_t* data() const { return data_.get(); }
  std::size_t pixelCount() const { return static_cast<std::size_t>(width_) * height_; }

 private:
  PixelStore(int w, int h, std::unique_ptr<std::uint32_t[]> d) : width_(w), height_(h), data_(std::move(d)) {}
  int width_;
  int height_;
  std::unique_ptr<std::uint32_t[]> data_;
};

// A RowSource over a PixelStore (keeps the store alive).
class StoreRowSource final : public RowSource {
 public:
  explicit StoreRowSource(std::shared_ptr<const PixelStore> store) : store_(std::move(store)) {}
  int width() const override { return store_->width(); }
  int height() const override { return store_->height(); }
  const std::uint32_t* row(int y, std::uint32_t*) const override { return store_->row(y); }

 private:
  std::shared_ptr<const PixelStore> store_;
};

}  // namespace quendel::gdi

QUENDEL_EXPORT_END
