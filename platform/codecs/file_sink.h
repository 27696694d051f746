// Output files for the encoders: buffered writes to a temporary file in the target's
// folder, renamed over the target only by commit(), so that a failed save never
// destroys an existing file. The temporary file is removed when the writer is
// destroyed without a commit.
//
// Errors are errno values: open() reports why the temporary file could not be made
// (ENOENT for a missing folder, EACCES for a read-only one); write() remembers the
// first failure and commit() reports it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/codecs/byte_sink.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

class FileSink final : public ByteSink {
 public:
  FileSink() = default;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  ~FileSink() override;

  [[nodiscard]] int open(const std::string& target);
  void write(const void* data, std::size_t size) override;
  [[nodiscard]] int commit();
  bool failed() const override { return error_ != 0; }

 private:
  void flush();
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  int error_ = 0;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t used_ = 0;
  static constexpr std::size_t kBufferSize = 1 << 20;
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
