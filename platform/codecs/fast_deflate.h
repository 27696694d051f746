// A fast streaming zlib (RFC 1950/1951) encoder for PNG image data.
//
//   FastDeflate d(output, lineBytes);      // copies will reach back up to one row
//   d.write(subFilteredRow, n);            // literals and runs
//   d.write(unfilteredRow, n, pattern);    // the caller's copies, the rest literals and runs
//   d.finish();
//
// It codes runs of a repeated byte as distance-1 matches and everything else as
// literals, with a Huffman code of its own for every block of about 128 KiB: the
// matches that filtered pixel rows offer are almost all runs (a row equal to the
// one above becomes zeros under the Up filter; flat areas become zeros under Sub),
// and this skips the search for longer-distance matches that costs a general
// encoder most of its time. Where the caller knows better (an enlarged picture
// whose pixels repeat a pixel to the left or the row above), it names the copies and
// the coder codes them as matches without searching: a few copies that repeat every
// so many bytes, as a pixel row's do. Each copy is checked against the bytes it claims
// to repeat: bytes that do not repeat, and distances beyond the 32 KiB window, the
// kept history (`reach`) or the start of the stream are coded as literals and runs; a
// pattern outside the data, with copies out of order, outside their period, shorter
// than 3 or longer than 258 bytes, or more than 8 in its unit is not used at all. So
// every input gives a valid stream of exactly its bytes. Output is handed to a
// callback in pieces of about 1 MiB (the header and the end smaller); the stream is
// one valid zlib stream (header, blocks, Adler-32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

class FastDeflate {
 public:
  using Output = std::function<void(const std::uint8_t* data, std::size_t size)>;
  // The farthest back a match may reach (deflate's window).
  static constexpr std::size_t kWindow = 32768;

  // Bytes [offset, offset + length) of a stretch repeat the bytes `distance` before
  // each of them (which may lie in earlier writes).
  struct Copy {
    std::uint32_t offset;
    std::uint32_t length;
    std::uint32_t distance;
  };
  // `count` stretches of `period` bytes from `offset` of the data, each with the copies
  // of `unit` (in order of offset, within the period).
  struct CopyPattern {
    std::uint32_t offset;
    std::uint32_t period;
    std::uint32_t count;
    std::span<const Copy> unit;
  };

  // `reach`: the longest copy distance worth keeping history for across blocks (at
  // most kWindow); runs need 1. `expected`: the stream's whole input when known, so
  // that a small stream takes buffers of its size, not of a block; a wrong guess
  // costs speed only.
  explicit FastDeflate(Output output, std::size_t reach = 1, std::size_t expected = 0);
  // Data coded as literals and runs.
  void write(const std::uint8_t* data, std::size_t size);
  // Data with the caller's copies; the rest as literals and runs.
  void write(const std::uint8_t* data, std::size_t size, const CopyPattern& copies);
  // Codes what is pending as the last block and ends the stream.
  void finish();

 private:
  struct BlockCodes;
  struct CodeLengthCode;
  class BitWriter;

  // Appends data to the block and codes it as literals and runs, or (distance > 0) as
  // a copy at that distance where its bytes repeat; flushes each block that fills up.
  void append(const std::uint8_t* data, std::size_t size, std::size_t distance);
  void writePieces(const std::uint8_t* data, std::size_t size, const CopyPattern& copies);
  static bool usable(const CopyPattern& copies, std::size_t size);
  // Codes the block (after its history) as one dynamic-Huffman block.
  void flushBlock(bool last);
  void writeTokens(const BlockCodes& codes, BitWriter& bits) const;
  void keepHistory();
  void reserveOutput(std::size_t bytes);
  void handOver();

  Output output_;
  std::size_t reach_;
  std::size_t blockInput_;                   // the input a block takes
  std::size_t capacity_;                     // history plus one block of input
  std::unique_ptr<std::uint8_t[]> block_;    // kept history, then the current block's input
  std::size_t end_ = 0;                      // bytes in block_
  std::unique_ptr<std::uint32_t[]> tokens_;  // the block as literals and matches, at most one a byte
  std::size_t tokenCount_ = 0;
  std::vector<std::uint32_t> litFreq_, distFreq_;
  std::uint32_t adler_ = 1;
  std::unique_ptr<std::uint8_t[]> out_;  // coded bytes not yet handed over
  std::size_t outSize_ = 0, outCapacity_ = 0;
  std::uint64_t bitBuffer_ = 0;  // fewer than 8 bits not yet in out_
  unsigned bitCount_ = 0;
  bool finished_ = false;
};

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
