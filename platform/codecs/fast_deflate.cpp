#include "platform/codecs/fast_deflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace quendel::codecs {

namespace {

constexpr std::size_t kBlockInput = 128 * 1024;
constexpr std::size_t kHistoryBytes = 1;        // runs are matches at distance 1
constexpr std::size_t kOutputPiece = 1u << 20;  // hand output over in pieces of about this size
constexpr std::size_t kBlockHeaderRoom = 1024;  // room for the code tables of a block
constexpr unsigned kMaxCodeBits = 15;           // literal/length and distance codes
constexpr unsigned kMaxCodeLengthBits = 7;      // the code that codes the code lengths
constexpr unsigned kDepthSlots = 64;            // tree depths counted before the limit applies

// zlib header: deflate with a 32 KiB window, fastest level, check bits making it a multiple of 31.
constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};

// Alphabets (RFC 1951, 3.2.5 and 3.2.7).
constexpr unsigned kLiteralCount = 256;  // symbols 0..255 are the bytes themselves
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kFirstLengthSymbol = 257;
constexpr unsigned kLitLenSymbols = 286;
constexpr unsigned kDistanceSymbols = 30;
constexpr unsigned kCodeLengthSymbols = 19;
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 258;
constexpr unsigned kRunDistanceSymbol = 0;  // distance 1

// Code-length symbols that repeat: the previous length 3..6 times, or zero 3..10 and 11..138 times.
constexpr unsigned kRepeatPrevious = 16;
constexpr unsigned kRepeatZeroShort = 17;
constexpr unsigned kRepeatZeroLong = 18;
constexpr unsigned kRepeatPreviousMin = 3, kRepeatPreviousMax = 6, kRepeatPreviousExtraBits = 2;
constexpr unsigned kRepeatZeroShortMin = 3, kRepeatZeroShortExtraBits = 3;
constexpr unsigned kRepeatZeroLongMin = 11, kRepeatZeroLongMax = 138, kRepeatZeroLongExtraBits = 7;

// Block header fields.
constexpr unsigned kDynamicHuffman = 2;
constexpr unsigned kBlockTypeBits = 2;
constexpr unsigned kHlitBits = 5, kHdistBits = 5, kHclenBits = 4, kCodeLengthBits = 3;
constexpr unsigned kMinHlit = 257, kMinHdist = 1, kMinHclen = 4;
constexpr std::uint8_t kCodeLengthOrder[kCodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                               11, 4,  12, 3, 13, 2, 14, 1, 15};

// Length symbols 257..285: base lengths and extra bits (RFC 1951, 3.2.5).
constexpr unsigned kLengthCodes = kLitLenSymbols - kFirstLengthSymbol;
constexpr std::array<std::uint16_t, kLengthCodes> kLengthBase = {
    3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, kLengthCodes> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                                 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

struct LengthTable {
  std::array<std::uint8_t, kMaxMatch + 1> symbol{};  // index into kLengthBase for each length 3..258
  LengthTable() {
    for (unsigned len = kMinMatch; len <= kMaxMatch; ++len) {
      unsigned s = 0;
      while (s + 1 < kLengthBase.size() && kLengthBase[s + 1] <= len) ++s;
      symbol[len] = static_cast<std::uint8_t>(s);
    }
  }
};
const LengthTable& lengths() {
  static const LengthTable t;
  return t;
}

// A Huffman tree over the symbols of nonzero frequency. Leaves have left < 0 and hold
// their symbol in right; every inner node comes after its children, the root last.
struct HuffmanNode {
  std::uint32_t weight;
  int left, right;
};

std::vector<HuffmanNode> huffmanTree(const std::uint32_t* freq, unsigned n) {
  std::vector<HuffmanNode> nodes;
  std::vector<int> leaves;
  for (unsigned i = 0; i < n; ++i)
    if (freq[i]) {
      nodes.push_back({freq[i], -1, static_cast<int>(i)});
      leaves.push_back(static_cast<int>(nodes.size() - 1));
    }
  // Two-queue Huffman over leaves sorted by weight.
  std::sort(leaves.begin(), leaves.end(), [&](int a, int b) { return nodes[a].weight < nodes[b].weight; });
  std::vector<int> merged;
  std::size_t li = 0, mi = 0;
  auto take = [&]() {
    if (li < leaves.size() && (mi >= merged.size() || nodes[leaves[li]].weight <= nodes[merged[mi]].weight))
      return leaves[li++];
    return merged[mi++];
  };
  while ((leaves.size() - li) + (merged.size() - mi) > 1) {
    const int a = take(), b = take();
    nodes.push_back({nodes[a].weight + nodes[b].weight, a, b});
    merged.push_back(static_cast<int>(nodes.size() - 1));
  }
  return nodes;
}

// How many leaves lie at each depth (depths beyond the last slot counted in it).
std::vector<unsigned> leafDepthCounts(const std::vector<HuffmanNode>& nodes) {
  std::vector<unsigned> depth(nodes.size(), 0);
  for (int i = static_cast<int>(nodes.size()) - 1; i >= 0; --i) {  // down from the root
    const HuffmanNode& nd = nodes[i];
    if (nd.left >= 0) {
      depth[nd.left] = depth[i] + 1;
      depth[nd.right] = depth[i] + 1;
    }
  }
  std::vector<unsigned> count(kDepthSlots, 0);
  for (std::size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i].left < 0) ++count[std::min<unsigned>(depth[i], kDepthSlots - 1)];
  return count;
}

// Moves the leaves deeper than maxBits up to it and rebalances the Kraft sum, so that
// the counts describe a complete code again.
void limitDepth(std::vector<unsigned>& count, unsigned maxBits) {
  for (unsigned d = maxBits + 1; d < kDepthSlots; ++d) {
    count[maxBits] += count[d];
    count[d] = 0;
  }
  std::uint64_t kraft = 0;
  for (unsigned d = 1; d <= maxBits; ++d) kraft += static_cast<std::uint64_t>(count[d]) << (maxBits - d);
  // Each step takes one leaf off the deepest level and splits a shallower leaf in
  // two, which keeps the number of leaves and lowers the Kraft sum by one unit.
  while (kraft > (std::uint64_t{1} << maxBits)) {
    --count[maxBits];
    for (unsigned d = maxBits - 1; d > 0; --d)
      if (count[d]) {
        --count[d];
        count[d + 1] += 2;
        break;
      }
    --kraft;
  }
}

// Huffman code lengths for the given frequencies, limited to maxBits, by the
// package-merge-free method: build the tree, then push over-long leaves up and
// fix the Kraft sum.
void buildLengths(const std::uint32_t* freq, unsigned n, unsigned maxBits, std::uint8_t* lens) {
  std::fill(lens, lens + n, 0);
  const std::vector<HuffmanNode> nodes = huffmanTree(freq, n);
  if (nodes.empty()) return;
  if (nodes.size() == 1) {
    lens[nodes[0].right] = 1;
    return;
  }
  std::vector<unsigned> count = leafDepthCounts(nodes);
  limitDepth(count, maxBits);
  // Longer codes to rarer symbols.
  std::vector<int> order;
  for (std::size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i].left < 0) order.push_back(static_cast<int>(i));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return nodes[a].weight > nodes[b].weight; });
  std::size_t k = 0;
  for (unsigned d = 1; d <= maxBits; ++d)
    for (unsigned c = 0; c < count[d]; ++c) lens[nodes[order[k++]].right] = static_cast<std::uint8_t>(d);
}

// Canonical codes, bit-reversed for LSB-first output.
void buildCodes(const std::uint8_t* lens, unsigned n, std::uint16_t* codes) {
  unsigned blCount[kMaxCodeBits + 1] = {};
  for (unsigned i = 0; i < n; ++i) ++blCount[lens[i]];
  blCount[0] = 0;
  unsigned next[kMaxCodeBits + 1] = {};
  unsigned code = 0;
  for (unsigned bits = 1; bits <= kMaxCodeBits; ++bits) {
    code = (code + blCount[bits - 1]) << 1;
    next[bits] = code;
  }
  for (unsigned i = 0; i < n; ++i) {
    const unsigned len = lens[i];
    if (!len) {
      codes[i] = 0;
      continue;
    }
    unsigned c = next[len]++, r = 0;
    for (unsigned b = 0; b < len; ++b) r |= ((c >> b) & 1) << (len - 1 - b);
    codes[i] = static_cast<std::uint16_t>(r);
  }
}

// Every code gets at least two symbols, so that each is complete.
void ensureTwoSymbols(std::uint32_t* freq, unsigned n) {
  if (std::count_if(freq, freq + n, [](std::uint32_t f) { return f != 0; }) < 2) freq[freq[0] ? 1 : 0] += 1;
}

}  // namespace

// The Huffman codes of one block: literal/length and distance.
struct FastDeflate::BlockCodes {
  std::uint8_t litLen[kLitLenSymbols];
  std::uint16_t litCode[kLitLenSymbols];
  std::uint8_t distLen[kDistanceSymbols];
  std::uint16_t distCode[kDistanceSymbols];
  unsigned hlit = kLitLenSymbols;  // literal/length lengths sent
  unsigned hdist = kMinHdist;      // distance lengths sent: runs use distance 1 only

  BlockCodes(std::uint32_t* litFreq, std::uint32_t* distFreq) {
    litFreq[kEndOfBlock] = 1;
    ensureTwoSymbols(litFreq, kLitLenSymbols);
    distFreq[kRunDistanceSymbol] = std::max<std::uint32_t>(distFreq[kRunDistanceSymbol], 1);
    buildLengths(litFreq, kLitLenSymbols, kMaxCodeBits, litLen);
    buildLengths(distFreq, kDistanceSymbols, kMaxCodeBits, distLen);
    buildCodes(litLen, kLitLenSymbols, litCode);
    buildCodes(distLen, kDistanceSymbols, distCode);
    while (hlit > kMinHlit && litLen[hlit - 1] == 0) --hlit;
  }
};

// The code lengths of both alphabets, run-length coded with the repeat symbols, and
// the Huffman code of that.
struct FastDeflate::CodeLengthCode {
  std::vector<std::pair<std::uint8_t, std::uint8_t>> tokens;  // symbol, extra value
  std::uint32_t freq[kCodeLengthSymbols] = {};
  std::uint8_t len[kCodeLengthSymbols];
  std::uint16_t code[kCodeLengthSymbols];
  unsigned hclen = kCodeLengthSymbols;

  explicit CodeLengthCode(const BlockCodes& codes) {
    std::vector<std::uint8_t> all(codes.litLen, codes.litLen + codes.hlit);
    all.insert(all.end(), codes.distLen, codes.distLen + codes.hdist);
    for (std::size_t k = 0; k < all.size();) {
      std::size_t r = k + 1;
      while (r < all.size() && all[r] == all[k]) ++r;
      addRun(all[k], r - k);
      k = r;
    }
    ensureTwoSymbols(freq, kCodeLengthSymbols);
    buildLengths(freq, kCodeLengthSymbols, kMaxCodeLengthBits, len);
    buildCodes(len, kCodeLengthSymbols, code);
    while (hclen > kMinHclen && len[kCodeLengthOrder[hclen - 1]] == 0) --hclen;
  }

 private:
  void add(unsigned symbol, std::size_t extra) {
    tokens.push_back({static_cast<std::uint8_t>(symbol), static_cast<std::uint8_t>(extra)});
    ++freq[symbol];
  }
  // One length v repeated run times.
  void addRun(std::uint8_t v, std::size_t run) {
    if (v == 0) {
      while (run >= kRepeatZeroLongMin) {
        const std::size_t n = std::min<std::size_t>(run, kRepeatZeroLongMax);
        add(kRepeatZeroLong, n - kRepeatZeroLongMin);
        run -= n;
      }
      if (run >= kRepeatZeroShortMin) {
        add(kRepeatZeroShort, run - kRepeatZeroShortMin);
        run = 0;
      }
    } else {
      add(v, 0);
      --run;
      while (run >= kRepeatPreviousMin) {
        const std::size_t n = std::min<std::size_t>(run, kRepeatPreviousMax);
        add(kRepeatPrevious, n - kRepeatPreviousMin);
        run -= n;
      }
    }
    for (; run > 0; --run) add(v, 0);
  }
};

FastDeflate::FastDeflate(Output output) : output_(std::move(output)) {
  pending_.reserve(kBlockInput + kHistoryBytes);
  out_.reserve(kBlockInput + kBlockHeaderRoom);
  tokens_.reserve(kBlockInput);
  output_(kZlibHeader, sizeof kZlibHeader);
}

void FastDeflate::write(const std::uint8_t* data, std::size_t size) {
  adler_ = libdeflate_adler32(adler_, data, size);
  while (size) {
    const std::size_t room = kBlockInput + historyBytes_ - pending_.size();
    const std::size_t n = std::min(room, size);
    pending_.insert(pending_.end(), data, data + n);
    data += n;
    size -= n;
    if (pending_.size() == kBlockInput + historyBytes_) flushBlock(false);
  }
}

void FastDeflate::finish() {
  if (finished_) return;
  finished_ = true;
  flushBlock(true);
  drainBits(true);
  // Adler-32 of the input, most significant byte first.
  const std::uint8_t trailer[4] = {static_cast<std::uint8_t>(adler_ >> 24), static_cast<std::uint8_t>(adler_ >> 16),
                                   static_cast<std::uint8_t>(adler_ >> 8), static_cast<std::uint8_t>(adler_)};
  out_.insert(out_.end(), trailer, trailer + sizeof trailer);
  handOver();
}

void FastDeflate::handOver() {
  output_(out_.data(), out_.size());
  out_.clear();
}

void FastDeflate::emitBits(std::uint64_t bits, unsigned count) {
  bitBuffer_ |= bits << bitCount_;
  bitCount_ += count;
  if (bitCount_ >= 32) {
    const std::uint32_t v = static_cast<std::uint32_t>(bitBuffer_);
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    out_.insert(out_.end(), b, b + 4);
    bitBuffer_ >>= 32;
    bitCount_ -= 32;
  }
}

void FastDeflate::drainBits(bool all) {
  while (bitCount_ >= 8 || (all && bitCount_ > 0)) {
    out_.push_back(static_cast<std::uint8_t>(bitBuffer_));
    bitBuffer_ >>= 8;
    bitCount_ = bitCount_ >= 8 ? bitCount_ - 8 : 0;
  }
}

void FastDeflate::flushBlock(bool last) {
  std::uint32_t litFreq[kLitLenSymbols] = {};
  std::uint32_t distFreq[kDistanceSymbols] = {};
  collectTokens(litFreq, distFreq);
  const BlockCodes codes(litFreq, distFreq);
  const CodeLengthCode lengthCode(codes);
  writeBlockHeader(last, codes, lengthCode);
  writeTokens(codes);
  drainBits(false);
  if (!last) handOver();
  keepHistory();
}

// Tokens: a literal byte (value < 256), or a run as 256 + length (distance 1).
void FastDeflate::collectTokens(std::uint32_t* litFreq, std::uint32_t* distFreq) {
  const std::uint8_t* base = pending_.data();
  const std::size_t end = pending_.size();
  const auto& lt = lengths();
  tokens_.clear();
  std::size_t i = historyBytes_;
  while (i < end) {
    if (i > 0) {
      const std::uint8_t prev = base[i - 1];
      std::size_t r = i;
      const std::size_t limit = std::min<std::size_t>(end, i + kMaxMatch);
      while (r < limit && base[r] == prev) ++r;
      const std::size_t run = r - i;
      if (run >= kMinMatch) {
        tokens_.push_back(kLiteralCount + static_cast<std::uint32_t>(run));
        ++litFreq[kFirstLengthSymbol + lt.symbol[run]];
        ++distFreq[kRunDistanceSymbol];
        i = r;
        continue;
      }
    }
    tokens_.push_back(base[i]);
    ++litFreq[base[i]];
    ++i;
  }
}

void FastDeflate::writeBlockHeader(bool last, const BlockCodes& codes, const CodeLengthCode& lengthCode) {
  emitBits(last ? 1 : 0, 1);
  emitBits(kDynamicHuffman, kBlockTypeBits);
  emitBits(codes.hlit - kMinHlit, kHlitBits);
  emitBits(codes.hdist - kMinHdist, kHdistBits);
  emitBits(lengthCode.hclen - kMinHclen, kHclenBits);
  for (unsigned k = 0; k < lengthCode.hclen; ++k) emitBits(lengthCode.len[kCodeLengthOrder[k]], kCodeLengthBits);
  for (auto [sym, extra] : lengthCode.tokens) {
    emitBits(lengthCode.code[sym], lengthCode.len[sym]);
    if (sym == kRepeatPrevious) emitBits(extra, kRepeatPreviousExtraBits);
    if (sym == kRepeatZeroShort) emitBits(extra, kRepeatZeroShortExtraBits);
    if (sym == kRepeatZeroLong) emitBits(extra, kRepeatZeroLongExtraBits);
  }
}

void FastDeflate::writeTokens(const BlockCodes& codes) {
  const auto& lt = lengths();
  for (std::uint32_t t : tokens_) {
    if (t < kLiteralCount) {
      emitBits(codes.litCode[t], codes.litLen[t]);
    } else {
      const unsigned len = t - kLiteralCount, s = lt.symbol[len], sym = kFirstLengthSymbol + s;
      // The length code and its extra bits in one go.
      emitBits(codes.litCode[sym] | (static_cast<std::uint64_t>(len - kLengthBase[s]) << codes.litLen[sym]),
               codes.litLen[sym] + kLengthExtra[s]);
      emitBits(codes.distCode[kRunDistanceSymbol], codes.distLen[kRunDistanceSymbol]);
    }
    if (out_.size() >= kOutputPiece) handOver();
  }
  emitBits(codes.litCode[kEndOfBlock], codes.litLen[kEndOfBlock]);
}

// Keeps the last byte as history for a run that continues into the next block.
void FastDeflate::keepHistory() {
  if (pending_.empty()) return;
  const std::uint8_t keep = pending_.back();
  pending_.assign(kHistoryBytes, keep);
  historyBytes_ = kHistoryBytes;
}

}  // namespace quendel::codecs
