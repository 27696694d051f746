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
