// Where the encoders write: a file (file_sink.h) or a block of memory.
//
//   MemorySink sink;
//   if (writeBmp(rows, 24, 96, 96, sink)) use(sink.bytes());
//
// write() keeps the first failure; failed() tells the encoder to stop. A memory sink
// fails only when memory runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(const void* data, std::size_t size) = 0;
  virtual bool failed() const = 0;
};

class MemorySink final : public ByteSink {
 public:
  void write(const void* data, std::size_t size) override;
  bool failed() const override { return failed_; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
  bool failed_ = false;
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
