#include "platform/codecs/fast_deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>

namespace {

std::vector<std::uint8_t> compress(const std::vector<std::uint8_t>& in, std::size_t piece) {
  std::vector<std::uint8_t> out;
  quendel::codecs::FastDeflate d([&](const std::uint8_t* p, std::size_t n) { out.insert(out.end(), p, p + n); });
  for (std::size_t i = 0; i < in.size(); i += piece) d.write(in.data() + i, std::min(piece, in.size() - i));
  d.finish();
  return out;
}

std::vector<std::uint8_t> inflateAll(const std::vector<std::uint8_t>& z, std::size_t size) {
  std::vector<std::uint8_t> out(size + 1);
  uLongf n = static_cast<uLongf>(out.size());
  EXPECT_EQ(uncompress(out.data(), &n, z.data(), static_cast<uLong>(z.size())), Z_OK);
  out.resize(n);
  return out;
}

TEST(FastDeflate, RoundTripsThroughZlib) {
  std::mt19937 rng(7);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> data;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"one byte", {42}});
  cases.push_back({"zeros across blocks", std::vector<std::uint8_t>(600000, 0)});
  std::vector<std::uint8_t> noise(400000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
  cases.push_back({"noise", noise});
  std::vector<std::uint8_t> mixed;
  for (int i = 0; i < 3000; ++i) {
    const std::size_t run = rng() % 700;
    mixed.insert(mixed.end(), run, static_cast<std::uint8_t>(rng() % 3));
    for (int k = 0; k < static_cast<int>(rng() % 50); ++k) mixed.push_back(static_cast<std::uint8_t>(rng()));
  }
  cases.push_back({"runs and noise", mixed});
  std::vector<std::uint8_t> skewed(300000);
  for (auto& b : skewed)
    b = static_cast<std::uint8_t>(
        std::min<unsigned>(255, static_cast<unsigned>(std::exponential_distribution<>(0.02)(rng))));
  cases.push_back({"skewed literals", skewed});
  // Byte counts growing like Fibonacci numbers make a Huffman tree deeper than the 15
  // bits deflate allows, so the length limit has to step in.
  std::vector<std::uint8_t> fib;
  std::uint32_t a = 1, b = 1;
  for (int sym = 0; sym < 26; ++sym) {
    for (std::uint32_t k = 0; k < a; ++k) fib.push_back(static_cast<std::uint8_t>(sym * 9 + 1));
    const std::uint32_t next = a + b;
    a = b;
    b = next;
  }
  std::shuffle(fib.begin(), fib.end(), rng);
  cases.push_back({"deep Huffman tree", fib});
  // Every run length once, across every length code and value of its extra bits and
  // past the longest match.
  std::vector<std::uint8_t> runs;
  for (std::size_t run = 1; run <= 600; ++run) runs.insert(runs.end(), run, static_cast<std::uint8_t>(run & 1));
  cases.push_back({"every run length", runs});
  for (const auto& c : cases)
    for (std::size_t piece : {std::size_t{1} << 20, std::size_t{1000}, std::size_t{1}}) {
      if (piece == 1 && c.data.size() > 100000) continue;
      SCOPED_TRACE(c.name);
      const auto z = compress(c.data, piece);
      EXPECT_EQ(inflateAll(z, c.data.size()), c.data);
    }
}

TEST(FastDeflate, RunsCompressToAlmostNothing) {
  const auto z = compress(std::vector<std::uint8_t>(1 << 20, 0), 1 << 16);
  EXPECT_LT(z.size(), 20000u);
}

}  // namespace

namespace {

std::vector<std::uint8_t> compressCopies(const std::vector<std::uint8_t>& in, std::size_t piece,
                                         std::vector<std::size_t> distances) {
  std::vector<std::uint8_t> out;
  quendel::codecs::FastDeflate d([&](const std::uint8_t* p, std::size_t n) { out.insert(out.end(), p, p + n); },
                                 distances);
  for (std::size_t i = 0; i < in.size(); i += piece) d.writeCopies(in.data() + i, std::min(piece, in.size() - i));
  d.finish();
  return out;
}

// Rows of a partly doubled picture: a row of pixels each written twice, then the same
// pixels with black between them, as an enlargement's even and odd rows.
std::vector<std::uint8_t> partlyDoubledRows(std::size_t pixels, int rowPairs, std::mt19937& rng) {
  std::vector<std::uint8_t> out;
  for (int r = 0; r < rowPairs; ++r) {
    std::vector<std::uint8_t> colours(pixels * 3);
    for (auto& b : colours) b = static_cast<std::uint8_t>(rng());
    out.push_back(0);
    for (std::size_t p = 0; p < pixels; ++p)
      for (int k = 0; k < 2; ++k) out.insert(out.end(), colours.begin() + p * 3, colours.begin() + p * 3 + 3);
    out.push_back(0);
    for (std::size_t p = 0; p < pixels; ++p) {
      out.insert(out.end(), colours.begin() + p * 3, colours.begin() + p * 3 + 3);
      out.insert(out.end(), 3, 0);
    }
  }
  return out;
}

TEST(FastDeflate, CopiesRoundTripAndShrinkPartlyDoubledRows) {
  std::mt19937 rng(11);
  const std::size_t pixels = 700, line = 1 + pixels * 6;
  const auto rows = partlyDoubledRows(pixels, 60, rng);  // about 500 KB: several blocks
  std::vector<std::uint8_t> noise(200000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
  std::vector<std::uint8_t> periodic;  // noise repeating every 32 KiB, the window's size
  for (int k = 0; k < 4; ++k) periodic.insert(periodic.end(), noise.begin(), noise.begin() + 32768);
  struct Case {
    const char* name;
    const std::vector<std::uint8_t>& data;
    std::vector<std::size_t> distances;
    std::size_t piece;
  };
  const Case cases[] = {
      {"pixel, pixel pair and row above", rows, {3, 6, line}, line},
      {"in pieces that cut matches", rows, {3, 6, line}, 997},
      {"a distance past the window is ignored", rows, {3, 40000}, 1 << 16},
      {"distances 0 and 1 are ignored", rows, {0, 1, line}, line},
      {"the largest distance the window allows", periodic, {32768, 2}, 4096},
      {"noise matches nothing", noise, {3, 6, 1401}, 1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto z = compressCopies(c.data, c.piece, c.distances);
    EXPECT_EQ(inflateAll(z, c.data.size()), c.data);
  }
  // Random colours cannot shrink, but the copies leave one colour in four to code where
  // runs alone leave three.
  const std::size_t copies = compressCopies(rows, line, {3, 6, line}).size(), runs = compress(rows, line).size();
  EXPECT_LT(copies, runs * 2 / 3);
  EXPECT_GT(runs, rows.size() * 2 / 3);
  EXPECT_LT(compressCopies(periodic, 4096, {32768}).size(), periodic.size() / 3);
}

}  // namespace
