// A fast streaming zlib (RFC 1950/1951) encoder for PNG image data.
//
// It codes runs of a repeated byte as distance-1 matches and everything else as
// literals, with a Huffman code of its own for every block of about 128 KiB: the
// matches that filtered pixel rows offer are almost all runs (a row equal to the
// one above becomes zeros under the Up filter; flat areas become zeros under Sub),
// and this skips the search for longer-distance matches that costs a general
// encoder most of its time. Output is handed to a callback in pieces of any size; the
// stream is one valid zlib stream (header, blocks, Adler-32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

class FastDeflate {
 public:
  using Output = std::function<void(const std::uint8_t* data, std::size_t size)>;
  explicit FastDeflate(Output output);
  void write(const std::uint8_t* data, std::size_t size);
  // Codes what is pending as the last block and ends the stream.
  void finish();

 private:
  struct BlockCodes;
  struct CodeLengthCode;

  // Codes pending_ (after its history) as one dynamic-Huffman block.
  void flushBlock(bool last);
  void collectTokens(std::uint32_t* litFreq, std::uint32_t* distFreq);
  void writeBlockHeader(bool last, const BlockCodes& codes, const CodeLengthCode& lengthCode);
  void writeTokens(const BlockCodes& codes);
  void keepHistory();
  void handOver();
  void emitBits(std::uint64_t bits, unsigned count);
  void drainBits(bool all);

  Output output_;
  std::vector<std::uint8_t> pending_;  // input of the current block, with up to 1 byte of history before it
  std::size_t historyBytes_ = 0;
  std::uint32_t adler_ = 1;
  std::uint64_t bitBuffer_ = 0;
  unsigned bitCount_ = 0;
  std::vector<std::uint8_t> out_;
  std::vector<std::uint32_t> tokens_;
  bool finished_ = false;
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
