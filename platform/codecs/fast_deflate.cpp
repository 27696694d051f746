#include "platform/codecs/fast_deflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace quendel::codecs {

namespace {

constexpr std::size_t kBlockInput = 128 * 1024;
// The smallest block a size hint makes: below it the buffers cost nothing worth saving.
constexpr std::size_t kMinBlockInput = 4 * 1024;
constexpr std::size_t kBlockHeaderRoom = 1024;  // room for the code tables of a block
// Output is handed over in pieces of about this size: large enough for a file to take
// them without copying them into its buffer.
constexpr std::size_t kOutputPiece = 1u << 20;
constexpr std::size_t kMaxBytesPerInput = 2;  // the most output a byte of input codes to
constexpr std::size_t kStoreSlack = 8;        // the bit writer stores 8 bytes at a time
constexpr std::size_t kReadSlack = 8;         // comparisons read 8 bytes at a time
constexpr std::size_t kTrailerBytes = 5;      // the last partial byte and the Adler-32
constexpr unsigned kMaxCodeBits = 15;         // literal/length and distance codes
constexpr unsigned kMaxCodeLengthBits = 7;    // the code that codes the code lengths
constexpr unsigned kDepthSlots = 64;          // tree depths counted before the limit applies

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
// A token is a literal byte (< 256) or a match: kMatch with the length symbol (as an
// index into kLengthBase), the distance symbol and the extra values of both, so that
// writing it needs no table.
constexpr std::uint32_t kMatch = 1u << 31;
constexpr unsigned kSymbolBits = 5, kLengthExtraBits = 5;
constexpr unsigned kDistanceSymbolShift = kSymbolBits, kLengthExtraShift = 2 * kSymbolBits,
                   kDistanceExtraShift = kLengthExtraShift + kLengthExtraBits;
constexpr std::uint32_t kSymbolMask = (1u << kSymbolBits) - 1, kLengthExtraMask = (1u << kLengthExtraBits) - 1;
// A repeat token (kRepeat, without kMatch) stands for the `unit` match tokens before it,
// `count` times over: kRepeat | unit << kRepeatUnitShift | count.
constexpr std::uint32_t kRepeat = 1u << 30;
constexpr unsigned kRepeatUnitShift = 24;
constexpr std::uint32_t kRepeatUnitMask = 0xF, kMaxRepeats = (1u << kRepeatUnitShift) - 1;

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

// The distance symbol of 1..32768: distances up to 256 each have an entry, farther
// ones one entry for every 128 (the symbols from 257 on cover multiples of 128).
struct DistanceTable {
  static constexpr std::size_t kNear = 256, kFarShift = 7;
  std::array<std::uint8_t, 2 * kNear> entry{};
  constexpr DistanceTable() {
    for (unsigned s = 0; s < kDistanceSymbols; ++s)
      for (std::size_t d = kDistanceBase[s]; d < kDistanceBase[s] + (std::size_t{1} << kDistanceExtra[s]); ++d)
        entry[index(d)] = static_cast<std::uint8_t>(s);
  }
  static constexpr std::size_t index(std::size_t d) { return d <= kNear ? d - 1 : kNear + ((d - 1) >> kFarShift); }
  constexpr unsigned symbol(std::size_t d) const { return entry[index(d)]; }
};
constexpr DistanceTable kDistances;

// How many bytes from a equal those from b, at most limit, 8 bytes a step. b may
// overlap a from below: the bytes compared are all present already.
std::size_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
  std::size_t n = 0;
  while (n + sizeof(std::uint64_t) <= limit) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, a + n, sizeof x);
    std::memcpy(&y, b + n, sizeof y);
    if (x != y) {
      if constexpr (std::endian::native == std::endian::little)
        return n + static_cast<std::size_t>(std::countr_zero(x ^ y)) / 8;
      break;  // the byte loop below finds the first difference
    }
    n += sizeof(std::uint64_t);
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

// For the few bytes of a pixel, where a call to memcmp would cost more than the work:
// up to 8 bytes in one comparison of two words, which reads up to 8 bytes from a and b
// (the block has kReadSlack bytes after its end for that).
bool sameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  if (std::endian::native == std::endian::little && n <= sizeof(std::uint64_t)) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    const std::uint64_t mask = n == sizeof x ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * n)) - 1;
    return ((x ^ y) & mask) == 0;
  }
  return std::memcmp(a, b, n) == 0;
}

void store64(std::uint8_t* p, std::uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, sizeof v);
  } else {
    for (unsigned k = 0; k < sizeof v; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
  }
}

struct LengthTable {
  std::array<std::uint8_t, kMaxMatch + 1> symbol{};  // index into kLengthBase for each length 3..258
  constexpr LengthTable() {
    for (unsigned len = kMinMatch; len <= kMaxMatch; ++len) {
      unsigned s = 0;
      while (s + 1 < kLengthBase.size() && kLengthBase[s + 1] <= len) ++s;
      symbol[len] = static_cast<std::uint8_t>(s);
    }
  }
};
constexpr LengthTable kLengths;

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

constexpr std::size_t kMaxPatternCopies = 8;  // copies of a pattern's unit coded as such

std::uint32_t matchToken(std::size_t length, std::size_t distance) {
  const unsigned ls = kLengths.symbol[length], ds = kDistances.symbol(distance);
  return kMatch | ls | ds << kDistanceSymbolShift |
         static_cast<std::uint32_t>(length - kLengthBase[ls]) << kLengthExtraShift |
         static_cast<std::uint32_t>(distance - kDistanceBase[ds]) << kDistanceExtraShift;
}

// Where the tokens of a block and their counts go while data is coded: copies of the
// coder's pointers, which the compiler keeps in registers.
struct TokenWriter {
  std::uint32_t* token;
  std::uint32_t* litFreq;
  std::uint32_t* distFreq;

  void literal(std::uint8_t c) {
    *token++ = c;
    ++litFreq[c];
  }
  void match(std::size_t length, std::size_t distance) {
    const std::uint32_t t = matchToken(length, distance);
    *token++ = t;
    ++litFreq[kFirstLengthSymbol + (t & kSymbolMask)];
    ++distFreq[t >> kDistanceSymbolShift & kSymbolMask];
  }
};

// Tokens for b[from, to): literals, and runs of a repeated byte as matches at distance
// 1. A run may continue one that ended before `from`: that byte is in b already. b[0]
// is the first byte of the stream when from is 0.
[[gnu::always_inline]] inline void literalsAndRuns(const std::uint8_t* b, std::size_t from, std::size_t to,
                                                   TokenWriter& out) {
  std::size_t i = from;
  if (i == 0 && i < to) out.literal(b[i++]);
  while (i < to) {
    const std::uint8_t c = b[i];
    if (c == b[i - 1]) {
      const std::size_t limit = std::min<std::size_t>(to, i + kMaxMatch);
      std::size_t r = i + 1;
      while (r < limit && b[r] == c) ++r;
      if (r - i >= kMinMatch) {
        out.match(r - i, 1);
        i = r;
        continue;
      }
    }
    out.literal(c);
    ++i;
  }
}

// Tokens for b[from, to), which the caller says repeats the bytes `distance` before it:
// the bytes that do as matches (split at the longest match deflate has, never leaving
// a piece too short to be one), from the first that does not on as literals and runs.
// A distance beyond the window or before b[0] is not used.
void copyOrLiterals(const std::uint8_t* b, std::size_t from, std::size_t to, std::size_t distance, TokenWriter& out) {
  if (distance == 0 || distance > FastDeflate::kWindow || distance > from) {
    literalsAndRuns(b, from, to, out);
    return;
  }
  std::size_t left = matchLength(b + from, b + from - distance, to - from), i = from;
  while (left >= kMinMatch) {
    const std::size_t n = left <= kMaxMatch ? left : (left - kMaxMatch >= kMinMatch ? kMaxMatch : left - kMinMatch);
    out.match(n, distance);
    i += n;
    left -= n;
  }
  literalsAndRuns(b, i, to, out);
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

// Bits into the output, least significant first. It works on copies of the coder's
// state, so that the compiler keeps them in registers while bytes are stored.
class FastDeflate::BitWriter {
 public:
  BitWriter(std::uint8_t* out, std::uint64_t buffer, unsigned count) : p_(out), buffer_(buffer), count_(count) {}
  // count <= 56; bits has nothing above count. Needs kStoreSlack bytes of room at p_.
  void put(std::uint64_t bits, unsigned count) {
    buffer_ |= bits << count_;
    count_ += count;
    store64(p_, buffer_);
    const unsigned whole = count_ / 8;
    p_ += whole;
    buffer_ >>= whole * 8;
    count_ %= 8;
  }
  std::uint8_t* position() const { return p_; }
  std::uint64_t buffer() const { return buffer_; }
  unsigned count() const { return count_; }

 private:
  std::uint8_t* p_;
  std::uint64_t buffer_;
  unsigned count_;
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

FastDeflate::FastDeflate(Output output, std::size_t reach, std::size_t expected)
    : output_(std::move(output)),
      reach_(std::clamp<std::size_t>(reach, 1, kWindow)),
      blockInput_(expected ? std::clamp(expected, kMinBlockInput, kBlockInput) : kBlockInput),
      capacity_(blockInput_ + reach_),
      block_(std::make_unique<std::uint8_t[]>(capacity_ + kReadSlack)),
      tokens_(std::make_unique_for_overwrite<std::uint32_t[]>(capacity_)),
      litFreq_(kLitLenSymbols, 0),
      distFreq_(kDistanceSymbols, 0) {
  reserveOutput(kBlockHeaderRoom + blockInput_);
  output_(kZlibHeader, sizeof kZlibHeader);
}

void FastDeflate::write(const std::uint8_t* data, std::size_t size) {
  adler_ = libdeflate_adler32(adler_, data, size);
  append(data, size, 0);
}

// A pattern is used when it lies within the data and its copies are in order, within
// the period and of a length one match can take; otherwise the data is coded without it.
bool FastDeflate::usable(const CopyPattern& copies, std::size_t size) {
  if (copies.period == 0 || copies.offset > size || copies.count > (size - copies.offset) / copies.period ||
      copies.unit.size() > kMaxPatternCopies)
    return false;
  std::size_t end = 0;
  for (const Copy& c : copies.unit) {
    if (c.offset < end || c.offset > copies.period || c.length > copies.period - c.offset || c.length < kMinMatch ||
        c.length > kMaxMatch)
      return false;
    end = c.offset + c.length;
  }
  return true;
}

void FastDeflate::write(const std::uint8_t* data, std::size_t size, const CopyPattern& copies) {
  if (!usable(copies, size)) {
    write(data, size);
    return;
  }
  // Data that fits in a block is coded in place; the block ends early if need be.
  if (size > capacity_ - end_ && size <= blockInput_) flushBlock(false);
  if (size > capacity_ - end_) {
    writePieces(data, size, copies);
    return;
  }
  adler_ = libdeflate_adler32(adler_, data, size);
  std::uint8_t* b = block_.get();
  const std::size_t base = end_;
  std::memcpy(b + base, data, size);
  end_ += size;
  // Every copy of the unit has one token wherever its bytes repeat; the counts of the
  // symbols are added at the end. A unit that fills its period and repeats in whole
  // periods on end is stored once, then as one token that repeats it.
  std::uint32_t token[kMaxPatternCopies], hits[kMaxPatternCopies] = {};
  const std::size_t n = copies.unit.size();
  bool fills = n > 0 && copies.unit[0].offset == 0;
  for (std::size_t k = 0; k < n; ++k) {
    token[k] = matchToken(copies.unit[k].length, copies.unit[k].distance);
    const std::size_t next = k + 1 < n ? copies.unit[k + 1].offset : copies.period;
    fills = fills && copies.unit[k].offset + copies.unit[k].length == next;
  }
  TokenWriter out{tokens_.get() + tokenCount_, litFreq_.data(), distFreq_.data()};
  std::size_t done = base, repeats = 0;
  bool lastWhole = false;  // the tokens just stored are the unit's, for a whole period
  auto endRepeats = [&] {
    if (repeats)
      *out.token++ = kRepeat | static_cast<std::uint32_t>(n) << kRepeatUnitShift | static_cast<std::uint32_t>(repeats);
    repeats = 0;
  };
  for (std::size_t r = 0; r < copies.count; ++r) {
    const std::size_t start = base + copies.offset + r * copies.period;
    bool whole = fills;
    for (std::size_t k = 0; k < n && whole; ++k) {
      const Copy& c = copies.unit[k];
      const std::size_t at = start + c.offset;
      whole = c.distance <= kWindow && c.distance <= at && c.distance > 0 &&
              sameBytes(b + at, b + at - c.distance, c.length);
    }
    if (whole && lastWhole) {
      for (std::size_t k = 0; k < n; ++k) ++hits[k];
      if (++repeats == kMaxRepeats) {
        endRepeats();
        lastWhole = false;  // the tokens before are no longer the unit's
      }
      done = start + copies.period;
      continue;
    }
    endRepeats();
    for (std::size_t k = 0; k < n; ++k) {
      const Copy& c = copies.unit[k];
      const std::size_t at = start + c.offset;
      if (done < at) literalsAndRuns(b, done, at, out);
      done = at + c.length;
      if (c.distance <= kWindow && c.distance <= at && c.distance > 0 &&
          sameBytes(b + at, b + at - c.distance, c.length)) {
        *out.token++ = token[k];
        ++hits[k];
      } else {
        literalsAndRuns(b, at, done, out);
      }
    }
    lastWhole = whole;
  }
  endRepeats();
  literalsAndRuns(b, done, base + size, out);
  for (std::size_t k = 0; k < n; ++k) {
    out.litFreq[kFirstLengthSymbol + (token[k] & kSymbolMask)] += hits[k];
    out.distFreq[token[k] >> kDistanceSymbolShift & kSymbolMask] += hits[k];
  }
  tokenCount_ = static_cast<std::size_t>(out.token - tokens_.get());
  if (end_ == capacity_) flushBlock(false);
}

// Data larger than a block, piece by piece.
void FastDeflate::writePieces(const std::uint8_t* data, std::size_t size, const CopyPattern& copies) {
  adler_ = libdeflate_adler32(adler_, data, size);
  std::size_t done = 0;
  for (std::size_t r = 0; r < copies.count; ++r)
    for (const Copy& c : copies.unit) {
      const std::size_t at = copies.offset + r * copies.period + c.offset;
      append(data + done, at - done, 0);
      append(data + at, c.length, c.distance);
      done = at + c.length;
    }
  append(data + done, size - done, 0);
}

void FastDeflate::finish() {
  if (finished_) return;
  finished_ = true;
  flushBlock(true);
  reserveOutput(outSize_ + kTrailerBytes + kStoreSlack);
  if (bitCount_) out_[outSize_++] = static_cast<std::uint8_t>(bitBuffer_);
  bitBuffer_ = 0;
  bitCount_ = 0;
  // Adler-32 of the input, most significant byte first.
  for (int shift = 24; shift >= 0; shift -= 8) out_[outSize_++] = static_cast<std::uint8_t>(adler_ >> shift);
  handOver();
}

void FastDeflate::append(const std::uint8_t* data, std::size_t size, std::size_t distance) {
  while (size) {
    const std::size_t from = end_, n = std::min(capacity_ - end_, size);
    std::memcpy(block_.get() + from, data, n);
    end_ += n;
    TokenWriter out{tokens_.get() + tokenCount_, litFreq_.data(), distFreq_.data()};
    copyOrLiterals(block_.get(), from, end_, distance, out);  // distance 0: literals and runs
    tokenCount_ = static_cast<std::size_t>(out.token - tokens_.get());
    data += n;
    size -= n;
    if (end_ == capacity_) flushBlock(false);
  }
}

void FastDeflate::flushBlock(bool last) {
  const BlockCodes codes(litFreq_.data(), distFreq_.data());
  const CodeLengthCode lengthCode(codes);
  // A literal takes at most 15 bits, a match (of 3 bytes or more) at most 48: at most 2
  // bytes for every byte of input.
  reserveOutput(outSize_ + kBlockHeaderRoom + kMaxBytesPerInput * end_ + kStoreSlack);
  BitWriter bits(out_.get() + outSize_, bitBuffer_, bitCount_);
  bits.put(last ? 1 : 0, 1);
  bits.put(kDynamicHuffman, kBlockTypeBits);
  bits.put(codes.hlit - kMinHlit, kHlitBits);
  bits.put(codes.hdist - kMinHdist, kHdistBits);
  bits.put(lengthCode.hclen - kMinHclen, kHclenBits);
  for (unsigned k = 0; k < lengthCode.hclen; ++k) bits.put(lengthCode.len[kCodeLengthOrder[k]], kCodeLengthBits);
  for (auto [sym, extra] : lengthCode.tokens) {
    bits.put(lengthCode.code[sym], lengthCode.len[sym]);
    if (sym == kRepeatPrevious) bits.put(extra, kRepeatPreviousExtraBits);
    if (sym == kRepeatZeroShort) bits.put(extra, kRepeatZeroShortExtraBits);
    if (sym == kRepeatZeroLong) bits.put(extra, kRepeatZeroLongExtraBits);
  }
  writeTokens(codes, bits);
  outSize_ = static_cast<std::size_t>(bits.position() - out_.get());
  bitBuffer_ = bits.buffer();
  bitCount_ = bits.count();
  if (!last && outSize_ >= kOutputPiece) handOver();
  keepHistory();
  tokenCount_ = 0;
  std::fill(litFreq_.begin(), litFreq_.end(), 0);
  std::fill(distFreq_.begin(), distFreq_.end(), 0);
}

namespace {

// The bits of a match token: the length code, its extra bits, the distance code and its
// extra bits, at most 48.
template <typename Codes>
std::uint64_t matchBits(const Codes& codes, std::uint32_t t, unsigned& count) {
  const unsigned ls = t & kSymbolMask, sym = kFirstLengthSymbol + ls, ds = t >> kDistanceSymbolShift & kSymbolMask;
  const std::uint64_t lengthExtra = t >> kLengthExtraShift & kLengthExtraMask,
                      distanceExtra = (t & ~kMatch) >> kDistanceExtraShift;
  const unsigned lengthBits = codes.litLen[sym] + kLengthExtra[ls];
  const std::uint64_t distanceCode = codes.distCode[ds] | distanceExtra << codes.distLen[ds];
  count = lengthBits + codes.distLen[ds] + kDistanceExtra[ds];
  return codes.litCode[sym] | lengthExtra << codes.litLen[sym] | distanceCode << lengthBits;
}

}  // namespace

void FastDeflate::writeTokens(const BlockCodes& codes, BitWriter& bits) const {
  for (std::size_t k = 0; k < tokenCount_; ++k) {
    const std::uint32_t t = tokens_[k];
    if (t < kLiteralCount) {
      bits.put(codes.litCode[t], codes.litLen[t]);
    } else if (t & kMatch) {
      unsigned count;
      const std::uint64_t b = matchBits(codes, t, count);
      bits.put(b, count);
    } else {
      const std::size_t unit = t >> kRepeatUnitShift & kRepeatUnitMask, repeats = t & kMaxRepeats;
      std::uint64_t b[kMaxPatternCopies];
      unsigned count[kMaxPatternCopies];
      for (std::size_t j = 0; j < unit; ++j) b[j] = matchBits(codes, tokens_[k - unit + j], count[j]);
      for (std::size_t r = 0; r < repeats; ++r)
        for (std::size_t j = 0; j < unit; ++j) bits.put(b[j], count[j]);
    }
  }
  bits.put(codes.litCode[kEndOfBlock], codes.litLen[kEndOfBlock]);
}

// Keeps the bytes the next block's matches may reach back into.
void FastDeflate::keepHistory() {
  const std::size_t keep = std::min(end_, reach_);
  std::memmove(block_.get(), block_.get() + end_ - keep, keep);
  end_ = keep;
}

void FastDeflate::reserveOutput(std::size_t bytes) {
  if (bytes <= outCapacity_) return;
  const std::size_t capacity = std::max(bytes, 2 * outCapacity_);
  auto grown = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
  if (outSize_) std::memcpy(grown.get(), out_.get(), outSize_);
  out_ = std::move(grown);
  outCapacity_ = capacity;
}

void FastDeflate::handOver() {
  output_(out_.get(), outSize_);
  outSize_ = 0;
}

}  // namespace quendel::codecs
