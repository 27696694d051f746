// A fast streaming zlib (RFC 1950/1951) encoder for PNG image data.
//
//   FastDeflate d(output, {3, 6, lineBytes});   // distances worth trying, besides runs
//   d.write(subFilteredRow, n);                 // runs only
//   d.writeCopies(unfilteredRow, n);            // runs and copies at the given distances
//   d.finish();
//
// It codes runs of a repeated byte as distance-1 matches and everything else as
// literals, with a Huffman code of its own for every block of about 128 KiB: the
// matches that filtered pixel rows offer are almost all runs (a row equal to the
// one above becomes zeros under the Up filter; flat areas become zeros under Sub),
// and this skips the search for longer-distance matches that costs a general
// encoder most of its time. Data written with writeCopies is also matched at the few
// distances the caller names (a pixel to the left, the row above), which is where
// an enlarged picture's repeated pixels are; distances beyond deflate's 32 KiB window
// are ignored. Output is handed to a callback in pieces of any size; the stream is one
// valid zlib stream (header, blocks, Adler-32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace quendel::codecs {

class FastDeflate {
 public:
  using Output = std::function<void(const std::uint8_t* data, std::size_t size)>;
  explicit FastDeflate(Output output, const std::vector<std::size_t>& copyDistances = {});
  // Data coded as literals and runs.
  void write(const std::uint8_t* data, std::size_t size) { append(data, size, 0); }
  // Data coded as literals, runs and copies at the constructor's distances; `only`, when
  // not 0, picks some of them (bit k for the k-th distance), as fewer tries are faster.
  void writeCopies(const std::uint8_t* data, std::size_t size, unsigned only = 0) {
    append(data, size, only ? only << 1 : ~1u);
  }
  // Codes what is pending as the last block and ends the stream.
  void finish();

 private:
  struct BlockCodes;
  struct CodeLengthCode;

  struct Distance {
    std::uint32_t value;
    std::uint8_t symbol;
    std::uint8_t extraBits;
  };

  void append(const std::uint8_t* data, std::size_t size, unsigned copies);
  // Codes pending_ (after its history) as one dynamic-Huffman block.
  void flushBlock(bool last);
  // Tokens for pending_[from, to): literals, runs and, with copies, the other distances.
  void collectTokens(std::size_t from, std::size_t to, unsigned copies);
  void writeBlockHeader(bool last, const BlockCodes& codes, const CodeLengthCode& lengthCode);
  void writeTokens(const BlockCodes& codes);
  void keepHistory();
  void handOver();
  void emitBits(std::uint64_t bits, unsigned count);
  void drainBits(bool all);

  Output output_;
  std::vector<std::uint8_t> pending_;  // input of the current block, after the history that copies reach
  std::size_t historyBytes_ = 0;
  std::size_t maxHistory_ = 1;       // runs need one byte; copies their largest distance
  std::vector<Distance> distances_;  // [0] is the run distance 1, then the copy distances
  std::vector<std::uint32_t> litFreq_, distFreq_;
  std::uint32_t adler_ = 1;
  std::uint64_t bitBuffer_ = 0;
  unsigned bitCount_ = 0;
  std::vector<std::uint8_t> out_;
  std::vector<std::uint32_t> tokens_;
  bool finished_ = false;
};

}  // namespace quendel::codecs
