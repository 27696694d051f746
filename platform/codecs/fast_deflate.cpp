#include "platform/codecs/fast_deflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace quendel::codecs {

namespace {

constexpr std::size_t kBlockInput = 128 * 1024;
constexpr std::size_t kWindow = 32768;          // the farthest a match may reach back
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
constexpr unsigned kRunDistanceSymbol = 0;       // distance 1
constexpr std::uint32_t kMatchToken = 1u << 31;  // a match: distance index << 16 | length
constexpr unsigned kDistanceIndexShift = 16;
constexpr std::uint32_t kLengthMask = 0xFFFF;

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

// Distance symbols 0..29: base distances and extra bits (RFC 1951, 3.2.5).
constexpr std::array<std::uint16_t, kDistanceSymbols> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, kDistanceSymbols> kDistanceExtra = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

unsigned distanceSymbol(std::size_t distance) {
  unsigned s = 0;
  while (s + 1 < kDistanceSymbols && kDistanceBase[s + 1] <= distance) ++s;
  return s;
}

// How many bytes from a equal those from b, at most limit; 8 bytes a step.
std::size_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
  std::size_t n = 0;
  while (n + sizeof(std::uint64_t) <= limit) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, a + n, sizeof x);
    std::memcpy(&y, b + n, sizeof y);
    if (x != y) return n + static_cast<std::size_t>(__builtin_ctzll(x ^ y)) / 8;  // bytes in memory order
    n += sizeof(std::uint64_t);
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

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
  unsigned hlit = kLitLenSymbols;     // literal/length lengths sent
  unsigned hdist = kDistanceSymbols;  // distance lengths sent

  BlockCodes(std::uint32_t* litFreq, std::uint32_t* distFreq) {
    litFreq[kEndOfBlock] = 1;
    ensureTwoSymbols(litFreq, kLitLenSymbols);
    distFreq[kRunDistanceSymbol] = std::max<std::uint32_t>(distFreq[kRunDistanceSymbol], 1);
    buildLengths(litFreq, kLitLenSymbols, kMaxCodeBits, litLen);
    buildLengths(distFreq, kDistanceSymbols, kMaxCodeBits, distLen);
    buildCodes(litLen, kLitLenSymbols, litCode);
    buildCodes(distLen, kDistanceSymbols, distCode);
    while (hlit > kMinHlit && litLen[hlit - 1] == 0) --hlit;
    while (hdist > kMinHdist && distLen[hdist - 1] == 0) --hdist;
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

FastDeflate::FastDeflate(Output output, const std::vector<std::size_t>& copyDistances)
    : output_(std::move(output)), litFreq_(kLitLenSymbols, 0), distFreq_(kDistanceSymbols, 0) {
  distances_.push_back({1, static_cast<std::uint8_t>(kRunDistanceSymbol), 0});
  for (std::size_t d : copyDistances) {
    if (d < 2 || d > kWindow) continue;  // a run is distance 1 already; farther is out of the window
    const unsigned sym = distanceSymbol(d);
    distances_.push_back({static_cast<std::uint32_t>(d), static_cast<std::uint8_t>(sym), kDistanceExtra[sym]});
    maxHistory_ = std::max(maxHistory_, d);
  }
  pending_.reserve(kBlockInput + maxHistory_);
  out_.reserve(kBlockInput + kBlockHeaderRoom);
  tokens_.reserve(kBlockInput);
  output_(kZlibHeader, sizeof kZlibHeader);
}

void FastDeflate::append(const std::uint8_t* data, std::size_t size, unsigned copies) {
  adler_ = libdeflate_adler32(adler_, data, size);
  while (size) {
    const std::size_t room = kBlockInput + historyBytes_ - pending_.size();
    const std::size_t n = std::min(room, size);
    const std::size_t from = pending_.size();
    pending_.insert(pending_.end(), data, data + n);
    collectTokens(from, pending_.size(), distances_.size() > 1 ? copies : 0);
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
    const std::size_t n = out_.size();
    out_.resize(n + sizeof b);
    std::memcpy(out_.data() + n, b, sizeof b);
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
  const BlockCodes codes(litFreq_.data(), distFreq_.data());
  const CodeLengthCode lengthCode(codes);
  writeBlockHeader(last, codes, lengthCode);
  writeTokens(codes);
  drainBits(false);
  if (!last) handOver();
  keepHistory();
  tokens_.clear();
  std::fill(litFreq_.begin(), litFreq_.end(), 0);
  std::fill(distFreq_.begin(), distFreq_.end(), 0);
}

// Tokens: a literal byte (value < 256), or kMatchToken | distance index << 16 | length.
// A run is tried first (it is the common match and the cheapest to check); then, with
// copies, the longest match at the other distances. pending_ before `from` is written
// already (or is history), so matches reach back into it but never past `to`.
void FastDeflate::collectTokens(std::size_t from, std::size_t to, unsigned copies) {
  const std::uint8_t* base = pending_.data();
  const auto& lt = lengths();
  std::size_t i = from;
  while (i < to) {
    const std::size_t limit = std::min<std::size_t>(to - i, kMaxMatch);
    std::size_t best = 0, bestIndex = 0;
    if (i > 0) {
      const std::uint8_t prev = base[i - 1];
      while (best < limit && base[i + best] == prev) ++best;
    }
    if (copies && best < kMinMatch) {
      for (std::size_t k = 1; k < distances_.size(); ++k) {
        const std::size_t d = distances_[k].value;
        if (!(copies >> k & 1) || d > i || base[i] != base[i - d]) continue;  // most tries fail at the first byte
        const std::size_t n = matchLength(base + i, base + i - d, limit);
        if (n > best) {
          best = n;
          bestIndex = k;
        }
      }
    }
    if (best >= kMinMatch) {
      tokens_.push_back(kMatchToken | static_cast<std::uint32_t>(bestIndex << kDistanceIndexShift) |
                        static_cast<std::uint32_t>(best));
      ++litFreq_[kFirstLengthSymbol + lt.symbol[best]];
      ++distFreq_[distances_[bestIndex].symbol];
      i += best;
      continue;
    }
    tokens_.push_back(base[i]);
    ++litFreq_[base[i]];
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
      const unsigned len = t & kLengthMask, s = lt.symbol[len], sym = kFirstLengthSymbol + s;
      // The length code and its extra bits in one go, then the distance code and its.
      emitBits(codes.litCode[sym] | (static_cast<std::uint64_t>(len - kLengthBase[s]) << codes.litLen[sym]),
               codes.litLen[sym] + kLengthExtra[s]);
      const Distance& d = distances_[(t & ~kMatchToken) >> kDistanceIndexShift];
      emitBits(codes.distCode[d.symbol] |
                   (static_cast<std::uint64_t>(d.value - kDistanceBase[d.symbol]) << codes.distLen[d.symbol]),
               codes.distLen[d.symbol] + d.extraBits);
    }
    if (out_.size() >= kOutputPiece) handOver();
  }
  emitBits(codes.litCode[kEndOfBlock], codes.litLen[kEndOfBlock]);
}

// Keeps the bytes the next block's matches may reach back into.
void FastDeflate::keepHistory() {
  const std::size_t keep = std::min(pending_.size(), maxHistory_);
  std::memmove(pending_.data(), pending_.data() + pending_.size() - keep, keep);
  pending_.resize(keep);
  historyBytes_ = keep;
}

}  // namespace quendel::codecs
