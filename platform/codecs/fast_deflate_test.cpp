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

using Copy = quendel::codecs::FastDeflate::Copy;
using CopyPattern = quendel::codecs::FastDeflate::CopyPattern;

// Each piece is written with its pattern (or without one when it has no unit).
struct Piece {
  std::vector<std::uint8_t> bytes;
  std::vector<Copy> unit;
  std::uint32_t offset = 0, period = 1, count = 0;
};

std::vector<std::uint8_t> compressPieces(const std::vector<Piece>& pieces, std::size_t reach,
                                         std::size_t expected = 0) {
  std::vector<std::uint8_t> out;
  quendel::codecs::FastDeflate d([&](const std::uint8_t* p, std::size_t n) { out.insert(out.end(), p, p + n); }, reach,
                                 expected);
  for (const Piece& p : pieces) {
    if (p.unit.empty()) {
      d.write(p.bytes.data(), p.bytes.size());
    } else {
      d.write(p.bytes.data(), p.bytes.size(), CopyPattern{p.offset, p.period, p.count, p.unit});
    }
  }
  d.finish();
  return out;
}

std::vector<std::uint8_t> joined(const std::vector<Piece>& pieces) {
  std::vector<std::uint8_t> all;
  for (const Piece& p : pieces) all.insert(all.end(), p.bytes.begin(), p.bytes.end());
  return all;
}

// Unfiltered rows of a picture enlarged so that even rows double every pixel and odd
// rows keep the even columns and are black in the odd ones, with the patterns the PNG
// writer gives them: pixels repeating the one to the left, or the one above and the
// one two to the left.
std::vector<Piece> partlyDoubledRows(std::size_t pixels, int rowPairs, std::mt19937& rng) {
  const std::uint32_t bpp = 3, line = static_cast<std::uint32_t>(1 + 2 * pixels * bpp),
                      pairs = static_cast<std::uint32_t>(pixels);
  std::vector<Piece> rows;
  for (int r = 0; r < rowPairs; ++r) {
    Piece even{{0}, {{bpp, bpp, bpp}}, 1, 2 * bpp, pairs};
    Piece odd{{0}, {{0, bpp, line}, {bpp, bpp, 2 * bpp}}, 1, 2 * bpp, pairs};
    for (std::size_t p = 0; p < pixels; ++p) {
      std::uint8_t c[3];
      for (auto& b : c) b = static_cast<std::uint8_t>(rng() % 4 ? rng() : 0);  // some black pixels too
      for (int k = 0; k < 2; ++k) even.bytes.insert(even.bytes.end(), c, c + 3);
      odd.bytes.insert(odd.bytes.end(), c, c + 3);
      odd.bytes.insert(odd.bytes.end(), 3, 0);
    }
    rows.push_back(std::move(even));
    rows.push_back(std::move(odd));
  }
  return rows;
}

TEST(FastDeflate, CopyPatternsRoundTripThroughZlib) {
  std::mt19937 rng(11);
  const std::size_t pixels = 700, line = 1 + pixels * 6;
  const auto rows = partlyDoubledRows(pixels, 60, rng);  // about 500 KB: several blocks, some rows across them
  std::vector<std::uint8_t> noise(300000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
  std::vector<std::uint8_t> periodic;  // noise repeating every 32 KiB, the window's size
  for (int k = 0; k < 8; ++k) periodic.insert(periodic.end(), noise.begin(), noise.begin() + 32768);
  auto one = [](std::vector<std::uint8_t> bytes, std::vector<Copy> unit, std::uint32_t offset, std::uint32_t period,
                std::uint32_t count) {
    return std::vector<Piece>{{std::move(bytes), std::move(unit), offset, period, count}};
  };
  std::vector<Piece> plainThenRows = {{noise, {}, 0, 1, 0}};  // rows starting deep into a block
  plainThenRows.insert(plainThenRows.end(), rows.begin(), rows.end());
  // A run of whole periods interrupted by bytes that do not repeat, and a run that
  // ends with the data.
  std::vector<std::uint8_t> repeating(60000, 7);
  for (std::size_t i = 0; i < repeating.size(); i += 1 + rng() % 3000) repeating[i] = static_cast<std::uint8_t>(rng());
  struct Case {
    const char* name;
    std::vector<Piece> pieces;
    std::size_t reach;
  };
  const Case cases[] = {
      {"partly doubled rows", rows, line},
      {"after plain data", plainThenRows, line},
      {"history shorter than the row above", rows, 1},
      {"copies that repeat nothing", one(noise, {{0, 3, 3}, {3, 4, 700}}, 5, 7, 40000), 1000},
      {"larger than a block", one(periodic, {{0, 200, 32768}}, 0, 256, 1000), 32768},
      {"past the window", one(periodic, {{0, 200, 32769}}, 0, 256, 1000), 40000},
      {"repeats broken and at the end", one(repeating, {{0, 3, 3}, {3, 5, 8}}, 3, 8, 7000), 8},
      {"distance 0 and beyond the start", one(noise, {{0, 3, 0}, {3, 3, 400000}}, 0, 6, 100), 32768},
      {"copies out of order", one(repeating, {{5, 3, 3}, {0, 3, 3}}, 0, 8, 100), 32768},
      {"a copy past its period", one(repeating, {{0, 9, 3}}, 0, 8, 100), 32768},
      {"a copy longer than a match", one(repeating, {{0, 259, 1}}, 0, 300, 100), 32768},
      {"more periods than the data holds", one(repeating, {{0, 3, 3}}, 0, 8, 8000), 32768},
      {"a period of 0", one(repeating, {{0, 3, 3}}, 0, 0, 8), 32768},
      {"an offset past the data", one(repeating, {{0, 3, 3}}, 70000, 8, 1), 32768},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto all = joined(c.pieces);
    // Without a size, with the right one and with wrong ones: a small block takes rows
    // longer than itself in pieces.
    for (std::size_t expected : {std::size_t{0}, all.size(), all.size() / 50, std::size_t{1}, 4 * all.size()}) {
      SCOPED_TRACE(expected);
      EXPECT_EQ(inflateAll(compressPieces(c.pieces, c.reach, expected), all.size()), all);
    }
  }
}

TEST(FastDeflate, CopyPatternsShrinkPartlyDoubledRows) {
  std::mt19937 rng(5);
  const std::size_t pixels = 700, line = 1 + pixels * 6;
  const auto rows = partlyDoubledRows(pixels, 60, rng);
  std::vector<Piece> plain = rows;
  for (auto& p : plain) p.unit.clear();
  const std::size_t copies = compressPieces(rows, line).size(), runs = compressPieces(plain, line).size();
  // Random colours do not shrink; the copies leave one colour in four to code.
  EXPECT_LT(copies, runs * 2 / 3);
  EXPECT_GT(runs, joined(rows).size() * 2 / 3);
  // Whole periods that repeat cost a few bits each (a match of 4 at distance 4).
  std::vector<std::uint8_t> flat(100000, 9);
  const std::uint32_t periods = 25000;
  EXPECT_LT(compressPieces({{flat, {{0, 4, 4}}, 0, 4, periods}}, 4).size(), periods * 4 / 8);
}

}  // namespace
