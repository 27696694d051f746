#include "platform/codecs/fast_deflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace quendel::codecs {

namespace {

constexpr std::size_t kBlockInput = 128 * 1024;
constexpr unsigned kMaxBits = 15;

// Length symbols 257..285: base lengths and extra bits (RFC 1951, 3.2.5).
constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

struct LengthTable {
  std::array<std::uint8_t, 259> symbol{};  // index into kLengthBase for each length 3..258
  LengthTable() {
    for (unsigned len = 3; len <= 258; ++len) {
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

// Huffman code lengths for the given frequencies, limited to maxBits, by the
// package-merge-free method: build the tree, then push over-long leaves up and
// fix the Kraft sum.
void buildLengths(const std::uint32_t* freq, unsigned n, unsigned maxBits, std::uint8_t* lens) {
  std::fill(lens, lens + n, 0);
  struct Node {
    std::uint32_t weight;
    int left, right;
  };
  std::vector<Node> nodes;
  std::vector<int> leaves;
  for (unsigned i = 0; i < n; ++i)
    if (freq[i]) {
      nodes.push_back({freq[i], -1, static_cast<int>(i)});
      leaves.push_back(static_cast<int>(nodes.size() - 1));
    }
  if (nodes.empty()) return;
  if (nodes.size() == 1) {
    lens[nodes[0].right] = 1;
    return;
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
  // Depths by walking down from the root.
  std::vector<unsigned> depth(nodes.size(), 0);
  std::vector<unsigned> count(64, 0);
  for (int i = static_cast<int>(nodes.size()) - 1; i >= 0; --i) {
    const Node& nd = nodes[i];
    if (nd.left >= 0) {
      depth[nd.left] = depth[i] + 1;
      depth[nd.right] = depth[i] + 1;
    }
  }
  for (std::size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i].left < 0) ++count[std::min<unsigned>(depth[i], 63)];
  // Limit the depth: move leaves deeper than maxBits up and rebalance the Kraft sum.
  for (unsigned d = maxBits + 1; d < 64; ++d) {
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
  unsigned blCount[16] = {};
  for (unsigned i = 0; i < n; ++i) ++blCount[lens[i]];
  blCount[0] = 0;
  unsigned next[16] = {};
  unsigned code = 0;
  for (unsigned bits = 1; bits < 16; ++bits) {
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

}  // namespace

FastDeflate::FastDeflate(Output output) : output_(std::move(output)) {
  pending_.reserve(kBlockInput + 2);
  out_.reserve(kBlockInput + 1024);
  tokens_.reserve(kBlockInput);
  const std::uint8_t header[2] = {0x78, 0x01};
  output_(header, 2);
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
  const std::uint8_t trailer[4] = {static_cast<std::uint8_t>(adler_ >> 24), static_cast<std::uint8_t>(adler_ >> 16),
                                   static_cast<std::uint8_t>(adler_ >> 8), static_cast<std::uint8_t>(adler_)};
  out_.insert(out_.end(), trailer, trailer + 4);
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
  const std::uint8_t* base = pending_.data();
  const std::size_t begin = historyBytes_, end = pending_.size();
  // Tokens: a literal byte (value < 256), or a run as 256 + length (distance 1).
  tokens_.clear();
  std::uint32_t litFreq[286] = {};
  std::uint32_t distFreq[30] = {};
  const auto& lt = lengths();
  std::size_t i = begin;
  while (i < end) {
    if (i > 0) {
      const std::uint8_t prev = base[i - 1];
      std::size_t r = i;
      const std::size_t limit = std::min(end, i + 258);
      while (r < limit && base[r] == prev) ++r;
      const std::size_t run = r - i;
      if (run >= 3) {
        tokens_.push_back(256 + static_cast<std::uint32_t>(run));
        ++litFreq[257 + lt.symbol[run]];
        ++distFreq[0];
        i = r;
        continue;
      }
    }
    tokens_.push_back(base[i]);
    ++litFreq[base[i]];
    ++i;
  }
  litFreq[256] = 1;
  // Every code gets at least two symbols, so that each is complete.
  if (std::count_if(litFreq, litFreq + 286, [](std::uint32_t f) { return f != 0; }) < 2) litFreq[0] += 1;
  distFreq[0] = std::max<std::uint32_t>(distFreq[0], 1);

  std::uint8_t litLen[286], distLen[30];
  buildLengths(litFreq, 286, kMaxBits, litLen);
  buildLengths(distFreq, 30, kMaxBits, distLen);
  std::uint16_t litCode[286], distCode[30];
  buildCodes(litLen, 286, litCode);
  buildCodes(distLen, 30, distCode);

  unsigned hlit = 286;
  while (hlit > 257 && litLen[hlit - 1] == 0) --hlit;
  const unsigned hdist = 1;
  // Code lengths of both alphabets, run-length coded with symbols 16, 17 and 18.
  std::vector<std::uint8_t> all(litLen, litLen + hlit);
  all.insert(all.end(), distLen, distLen + hdist);
  std::vector<std::pair<std::uint8_t, std::uint8_t>> clTokens;  // symbol, extra value
  std::uint32_t clFreq[19] = {};
  for (std::size_t k = 0; k < all.size();) {
    const std::uint8_t v = all[k];
    std::size_t r = k + 1;
    while (r < all.size() && all[r] == v) ++r;
    std::size_t run = r - k;
    if (v == 0) {
      while (run >= 11) {
        const std::size_t n = std::min<std::size_t>(run, 138);
        clTokens.push_back({18, static_cast<std::uint8_t>(n - 11)});
        ++clFreq[18];
        run -= n;
      }
      if (run >= 3) {
        clTokens.push_back({17, static_cast<std::uint8_t>(run - 3)});
        ++clFreq[17];
        run = 0;
      }
    } else {
      clTokens.push_back({v, 0});
      ++clFreq[v];
      --run;
      while (run >= 3) {
        const std::size_t n = std::min<std::size_t>(run, 6);
        clTokens.push_back({16, static_cast<std::uint8_t>(n - 3)});
        ++clFreq[16];
        run -= n;
      }
    }
    for (; run > 0; --run) {
      clTokens.push_back({v, 0});
      ++clFreq[v];
    }
    k = r;
  }
  if (std::count_if(clFreq, clFreq + 19, [](std::uint32_t f) { return f != 0; }) < 2) clFreq[clFreq[0] ? 1 : 0] += 1;
  std::uint8_t clLen[19];
  buildLengths(clFreq, 19, 7, clLen);
  std::uint16_t clCode[19];
  buildCodes(clLen, 19, clCode);
  static const std::uint8_t kClOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  unsigned hclen = 19;
  while (hclen > 4 && clLen[kClOrder[hclen - 1]] == 0) --hclen;

  emitBits(last ? 1 : 0, 1);
  emitBits(2, 2);  // dynamic Huffman codes
  emitBits(hlit - 257, 5);
  emitBits(hdist - 1, 5);
  emitBits(hclen - 4, 4);
  for (unsigned k = 0; k < hclen; ++k) emitBits(clLen[kClOrder[k]], 3);
  for (auto [sym, extra] : clTokens) {
    emitBits(clCode[sym], clLen[sym]);
    if (sym == 16) emitBits(extra, 2);
    if (sym == 17) emitBits(extra, 3);
    if (sym == 18) emitBits(extra, 7);
  }
  for (std::uint32_t t : tokens_) {
    if (t < 256) {
      emitBits(litCode[t], litLen[t]);
    } else {
      const unsigned len = t - 256, s = lt.symbol[len];
      emitBits(litCode[257 + s] | (static_cast<std::uint64_t>(len - kLengthBase[s]) << litLen[257 + s]),
               litLen[257 + s] + kLengthExtra[s]);
      emitBits(distCode[0], distLen[0]);
    }
    if (out_.size() >= (1u << 20)) {
      output_(out_.data(), out_.size());
      out_.clear();
    }
  }
  emitBits(litCode[256], litLen[256]);
  drainBits(false);
  if (!last) {
    output_(out_.data(), out_.size());
    out_.clear();
  }
  // Keep the last byte as history for a run that continues into the next block.
  if (end > 0) {
    const std::uint8_t keep = base[end - 1];
    pending_.assign(1, keep);
    historyBytes_ = 1;
  }
}

}  // namespace quendel::codecs
