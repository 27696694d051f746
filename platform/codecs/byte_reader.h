// Bounds-checked little- and big-endian reads from a block of bytes (internal).
// Every read checks the range; an out-of-range read returns false and leaves the
// output untouched, so parsers never read past their input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t size() const { return size_; }
  const std::uint8_t* data() const { return data_; }
  bool has(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }
  [[nodiscard]] bool u8(std::size_t at, std::uint32_t* v) const {
    if (!has(at, 1)) return false;
    *v = data_[at];
    return true;
  }
  [[nodiscard]] bool u16(std::size_t at, std::uint32_t* v) const {
    if (!has(at, 2)) return false;
    *v = data_[at] | (data_[at + 1] << 8);
    return true;
  }
  [[nodiscard]] bool u32(std::size_t at, std::uint32_t* v) const {
    if (!has(at, 4)) return false;
    *v = static_cast<std::uint32_t>(data_[at]) | (static_cast<std::uint32_t>(data_[at + 1]) << 8) |
         (static_cast<std::uint32_t>(data_[at + 2]) << 16) | (static_cast<std::uint32_t>(data_[at + 3]) << 24);
    return true;
  }
  [[nodiscard]] bool i32(std::size_t at, std::int32_t* v) const {
    std::uint32_t u;
    if (!u32(at, &u)) return false;
    *v = static_cast<std::int32_t>(u);
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
