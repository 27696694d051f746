#include "platform/codecs/bmp_reader.h"

#include <gtest/gtest.h>

#include "platform/codecs/ico_reader.h"
#include "platform/codecs/test_pictures.h"

namespace {

using quendel::codecs::DecodedPicture;
using quendel::codecs::DecodeStatus;
using quendel::testpics::BmpShape;
using quendel::testpics::makeBmp;

DecodeStatus decode(const std::vector<std::uint8_t>& bytes, DecodedPicture* out) {
  return quendel::codecs::decodeBmp(bytes.data(), bytes.size(), out);
}

std::vector<std::uint32_t> pixelsOf(const DecodedPicture& p) {
  return std::vector<std::uint32_t>(p.pixels->data(), p.pixels->data() + p.pixels->pixelCount());
}

const std::vector<std::uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF,
                                             0x808080, 0xABCDEF, 0x010203, 0x102030, 0x0A0B0C, 0xC0FFEE,
                                             0xBADBAD, 0x777777, 0x333333, 0xFEDCBA};

// Channel values scaled to 8 bits as the reader rounds them.
std::uint32_t scaled(std::uint32_t c, std::uint32_t max) { return (c * 255 + max / 2) / max; }
std::uint32_t opaque(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return 0xFF000000u | r << 16 | g << 8 | b; }
std::uint32_t paletteColor(std::uint32_t v) { return 0xFF000000u | kPalette[v]; }
std::uint32_t opaqueRgb(std::uint32_t v) { return 0xFF000000u | (v & 0xFFFFFF); }
std::uint32_t unchanged(std::uint32_t v) { return v; }
std::uint32_t from555(std::uint32_t v) {
  return opaque(scaled((v >> 10) & 31, 31), scaled((v >> 5) & 31, 31), scaled(v & 31, 31));
}
std::uint32_t from565(std::uint32_t v) {
  return opaque(scaled(v >> 11, 31), scaled((v >> 5) & 63, 63), scaled(v & 31, 31));
}
std::uint32_t from10bit(std::uint32_t v) {
  return opaque(scaled(v & 1023, 1023), scaled((v >> 10) & 1023, 1023), scaled(v >> 20, 1023));
}

// Pixel values by position, one pattern per depth.
std::uint32_t checker(int x, int y) { return std::uint32_t((x + y) % 2); }
std::uint32_t nibbles(int x, int y) { return std::uint32_t((x * 3 + y) % 16); }
std::uint32_t byteSteps(int x, int y) { return std::uint32_t((x + 5 * y) % 16); }
std::uint32_t products(int x, int y) { return std::uint32_t((x * y) % 16); }
std::uint32_t words555(int x, int y) { return std::uint32_t((x * 1057 + y * 31) & 0x7FFF); }
std::uint32_t words565(int x, int y) { return std::uint32_t((x * 2111 + y * 97) & 0xFFFF); }
std::uint32_t rgbRamp(int x, int y) { return std::uint32_t(x * 0x10203 + y * 0x30201); }
std::uint32_t rgbSteps(int x, int y) { return std::uint32_t(x * 0x70001 + y * 0x102); }
std::uint32_t rgbWithFourthByte(int x, int y) { return std::uint32_t(0x12000000 + x * 0x10101 + y * 0x20000); }
std::uint32_t argbRamp(int x, int y) { return std::uint32_t(((x * 40 + y) & 0xFF) << 24 | (x * 0x10101)); }
std::uint32_t tenBitChannels(int x, int y) { return std::uint32_t(x * 1023 / 4 | (y * 300) << 10 | 1023u << 20); }

TEST(BmpReader, EveryDepthAndOrientationIsPixelExact) {
  struct Case {
    const char* name;
    int headerSize, bits;
    bool topDown;
    std::uint32_t compression;
    std::vector<std::uint32_t> masks;
    std::uint32_t (*value)(int x, int y);
    std::uint32_t (*expect)(std::uint32_t value);
  };
  const Case cases[] = {
      {"1-bit", 40, 1, false, 0, {}, checker, paletteColor},
      {"4-bit", 40, 4, false, 0, {}, nibbles, paletteColor},
      {"8-bit top-down", 40, 8, true, 0, {}, byteSteps, paletteColor},
      {"8-bit core", 12, 8, false, 0, {}, products, paletteColor},
      {"16-bit 555", 40, 16, false, 0, {}, words555, from555},
      {"16-bit 565 bit fields", 40, 16, false, 3, {0xF800, 0x07E0, 0x001F}, words565, from565},
      {"24-bit", 40, 24, false, 0, {}, rgbRamp, opaqueRgb},
      {"24-bit top-down V5", 124, 24, true, 0, {}, rgbSteps, opaqueRgb},
      {"32-bit ignores the fourth byte", 40, 32, false, 0, {}, rgbWithFourthByte, opaqueRgb},
      {"32-bit V4 with alpha mask",
       108,
       32,
       false,
       3,
       {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
       argbRamp,
       unchanged},
      {"32-bit odd bit fields", 56, 32, false, 3, {0x000003FF, 0x000FFC00, 0x3FF00000, 0}, tenBitChannels, from10bit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BmpShape s;
    s.headerSize = c.headerSize;
    s.width = 5;
    s.height = c.topDown ? -3 : 3;
    s.bits = c.bits;
    s.compression = c.compression;
    s.masks = c.masks;
    if (c.bits <= 8) s.palette.assign(kPalette.begin(), kPalette.begin() + (1 << std::min(c.bits, 4)));
    std::vector<std::uint32_t> expect;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        s.values.push_back(c.value(x, y));
        expect.push_back(c.expect(c.value(x, y)));
      }
    DecodedPicture p;
    ASSERT_EQ(decode(makeBmp(s), &p), DecodeStatus::Ok);
    EXPECT_EQ(p.pixels->width(), 5);
    EXPECT_EQ(p.pixels->height(), 3);
    EXPECT_EQ(p.bitsPerPixel, c.bits);
    EXPECT_EQ(pixelsOf(p), expect);
  }
}

TEST(BmpReader, Rle8AndRle4WithDeltaAndAbsoluteRuns) {
  BmpShape s;
  s.width = 6;
  s.height = 3;
  s.bits = 8;
  s.compression = 1;
  s.palette = kPalette;
  // Bottom row: 3 x index 1, absolute 2 3 4; end of line; next row: delta (2, 0) then
  // 2 x index 5; end of bitmap (the top row stays black).
  s.rleData = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 0, 2, 5, 0, 1};
  DecodedPicture p;
  ASSERT_EQ(decode(makeBmp(s), &p), DecodeStatus::Ok);
  const std::uint32_t k = 0xFF000000u;
  auto pal = [&](int i) { return k | kPalette[i]; };
  EXPECT_EQ(pixelsOf(p), (std::vector<std::uint32_t>{k, k, k, k, k, k, k, k, pal(5), pal(5), k, k, pal(1), pal(1),
                                                     pal(1), pal(2), pal(3), pal(4)}));
  s.bits = 4;
  s.compression = 2;
  s.width = 5;
  s.height = 1;
  // 5 pixels alternating 1 and 2, then end of bitmap.
  s.rleData = {5, 0x12, 0, 1};
  ASSERT_EQ(decode(makeBmp(s), &p), DecodeStatus::Ok);
  EXPECT_EQ(pixelsOf(p), (std::vector<std::uint32_t>{pal(1), pal(2), pal(1), pal(2), pal(1)}));
}

// Where each header kind keeps its channel masks, and which compressions it allows.
TEST(BmpReader, MasksFollowTheHeaderKind) {
  constexpr std::uint32_t kBitfields = 3, kAlphaBitfields = 6;
  const std::vector<std::uint32_t> argbMasks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  struct Case {
    const char* name;
    int headerSize, bits;
    std::uint32_t compression;
    std::vector<std::uint32_t> masks, values;
    DecodeStatus status;
    std::vector<std::uint32_t> expect;
    bool hasAlpha;
  };
  const Case cases[] = {
      {"V2 holds the colour masks",
       52,
       16,
       kBitfields,
       {0xF800, 0x07E0, 0x001F},
       {0xF800, 0x07E0},
       DecodeStatus::Ok,
       {0xFFFF0000, 0xFF00FF00},
       false},
      {"alpha bit fields after an info header",
       40,
       32,
       kAlphaBitfields,
       argbMasks,
       {0x80112233, 0xFF445566},
       DecodeStatus::Ok,
       {0x80112233, 0xFF445566},
       true},
      {"alpha bit fields need a V3 header",
       52,
       32,
       kAlphaBitfields,
       argbMasks,
       {0, 0},
       DecodeStatus::Damaged,
       {},
       false},
      {"V3 alpha mask over plain rows",
       56,
       32,
       0,
       argbMasks,
       {0x00112233, 0xFF445566},
       DecodeStatus::Ok,
       {0x00112233, 0xFF445566},
       true},
      {"OS/2 plain rows", 64, 24, 0, {}, {0x112233, 0x445566}, DecodeStatus::Ok, {0xFF112233, 0xFF445566}, false},
      // The same number means bit fields in the other headers.
      {"OS/2 Huffman", 64, 16, kBitfields, {0xF800, 0x07E0, 0x001F}, {0, 0}, DecodeStatus::Damaged, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BmpShape s;
    s.headerSize = c.headerSize;
    s.width = 2;
    s.height = 1;
    s.bits = c.bits;
    s.compression = c.compression;
    s.masks = c.masks;
    s.values = c.values;
    DecodedPicture p;
    ASSERT_EQ(decode(makeBmp(s), &p), c.status);
    if (c.status != DecodeStatus::Ok) continue;
    EXPECT_EQ(pixelsOf(p), c.expect);
    EXPECT_EQ(p.hasAlpha, c.hasAlpha);
  }
}

TEST(BmpReader, BadInputIsRefusedCleanly) {
  BmpShape good;
  good.width = 4;
  good.height = 4;
  good.values.assign(16, 0x123456);
  const auto bytes = makeBmp(good);
  DecodedPicture p;
  EXPECT_EQ(decode({}, &p), DecodeStatus::UnknownFormat);
  EXPECT_EQ(decode({'B'}, &p), DecodeStatus::UnknownFormat);
  for (std::size_t cut : {2u, 14u, 20u, 54u, 60u}) {
    SCOPED_TRACE(cut);
    EXPECT_EQ(decode(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + cut), &p), DecodeStatus::Damaged);
  }
  auto patched = [&](std::size_t at, std::uint32_t v) {
    auto b = bytes;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return b;
  };
  EXPECT_EQ(decode(patched(18, 100000), &p), DecodeStatus::TooLarge);
  EXPECT_EQ(decode(patched(22, 0xFFFE7960u /* -100000 */), &p), DecodeStatus::TooLarge);
  EXPECT_EQ(decode(patched(18, 50000), &p), DecodeStatus::Damaged) << "more rows than the file holds";
  EXPECT_EQ(decode(patched(18, 0), &p), DecodeStatus::Damaged);
  EXPECT_EQ(decode(patched(22, 0), &p), DecodeStatus::Damaged);
  EXPECT_EQ(decode(patched(14, 77), &p), DecodeStatus::Damaged) << "unknown header size";
  auto twoBit = bytes;
  twoBit[28] = 2;
  EXPECT_EQ(decode(twoBit, &p), DecodeStatus::Damaged);
  EXPECT_EQ(decode(patched(30, 4 /* BI_JPEG */), &p), DecodeStatus::Damaged);
  BmpShape rle;
  rle.width = 4;
  rle.height = -4;
  rle.bits = 8;
  rle.compression = 1;
  rle.palette = kPalette;
  rle.rleData = {4, 1, 0, 1};
  EXPECT_EQ(decode(makeBmp(rle), &p), DecodeStatus::Damaged) << "RLE cannot be top-down";
  rle.height = 4;
  rle.rleData = {4, 1, 0, 0, 4};
  EXPECT_EQ(decode(makeBmp(rle), &p), DecodeStatus::Damaged) << "RLE data ends early";
}

TEST(IconReader, ChoosesThePlatformsEntry) {
  using quendel::codecs::IconEntry;
  auto e = [](int size, int bits) {
    IconEntry x;
    x.width = x.height = size;
    x.bits = bits;
    return x;
  };
  struct Case {
    std::vector<IconEntry> entries;
    std::size_t expect;
  } cases[] = {
      {{e(16, 32), e(32, 32), e(48, 32)}, 1},
      {{e(16, 8), e(48, 32)}, 1},   // nearer size wins over depth
      {{e(24, 32), e(40, 32)}, 1},  // equal distance: the larger image
      {{e(32, 4), e(32, 8), e(32, 32), e(32, 24)}, 2},
      {{e(32, 64), e(32, 8)}, 1},  // deeper than the display loses
      {{e(256, 32), e(16, 32)}, 1},
      {{e(32, 32), e(32, 32)}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(quendel::codecs::chooseIconEntry(c.entries, 32, 32, 32), c.expect);
}

TEST(IconReader, DecodesDibAndPngEntriesWithMasks) {
  using quendel::testpics::makeIcon;
  for (int bits : {32, 24, 0}) {
    SCOPED_TRACE(bits);
    const auto file = makeIcon({{16, bits, 0xFF00FF00}, {32, bits, 0xFF112233}, {48, bits, 0xFF445566}}, false);
    quendel::codecs::DecodedIcon icon;
    ASSERT_EQ(quendel::codecs::decodeIcon(file.data(), file.size(), 32, 32, 32, &icon), DecodeStatus::Ok);
    EXPECT_TRUE(icon.isIcon);
    EXPECT_EQ(icon.entry, 1u);
    ASSERT_EQ(icon.color.pixels->width(), 32);
    EXPECT_EQ(icon.color.pixels->row(5)[7] & 0x00FFFFFFu, 0x112233u);
    EXPECT_EQ(icon.mask->row(0)[0], 0x00FFFFFFu) << "top-left pixel is transparent";
    EXPECT_EQ(icon.mask->row(0)[1], 0u);
    EXPECT_EQ(icon.color.pixels->row(0)[0] >> 24, 0u);
  }
  const auto cursor = makeIcon({{32, 32, 0xFF010203}}, true);
  quendel::codecs::DecodedIcon icon;
  ASSERT_EQ(quendel::codecs::decodeIcon(cursor.data(), cursor.size(), 32, 32, 32, &icon), DecodeStatus::Ok);
  EXPECT_FALSE(icon.isIcon);
  EXPECT_EQ(icon.hotspotX, 3u);
  EXPECT_EQ(icon.hotspotY, 5u);
}

// A top-down icon DIB keeps its mask and alpha rows in the same order as its colour rows.
TEST(IconReader, TopDownDibKeepsMaskAndAlphaWithTheirRows) {
  constexpr std::size_t kFileHeader = 14, kHeightAt = 8;
  auto topDownDib = [](int bits, std::vector<std::uint32_t> values, std::vector<std::uint8_t> andMask) {
    BmpShape s;
    s.width = 2;
    s.height = -2;
    s.bits = bits;
    s.values = std::move(values);
    auto file = makeBmp(s);
    std::vector<std::uint8_t> dib(file.begin() + kFileHeader, file.end());
    const std::uint32_t doubled = static_cast<std::uint32_t>(-4);  // colour and mask rows
    for (int i = 0; i < 4; ++i) dib[kHeightAt + i] = static_cast<std::uint8_t>(doubled >> (8 * i));
    dib.insert(dib.end(), andMask.begin(), andMask.end());
    return dib;
  };
  // Mask rows of 4 bytes; the first row (the top) has both pixels transparent.
  const std::vector<std::uint8_t> topTransparent = {0xC0, 0, 0, 0, 0, 0, 0, 0};
  const auto masked = topDownDib(24, {0x112233, 0x445566, 0x778899, 0xAABBCC}, topTransparent);
  DecodedPicture p;
  std::shared_ptr<quendel::gdi::PixelStore> mask;
  ASSERT_EQ(quendel::codecs::decodeIconDib(masked.data(), masked.size(), &p, &mask), DecodeStatus::Ok);
  EXPECT_EQ(pixelsOf(p), (std::vector<std::uint32_t>{0x00112233, 0x00445566, 0xFF778899, 0xFFAABBCC}));
  EXPECT_EQ(mask->row(0)[0], quendel::codecs::kMaskTransparent);
  EXPECT_EQ(mask->row(1)[0], quendel::codecs::kMaskOpaque);
  const auto alpha = topDownDib(32, {0x10112233, 0x20445566, 0xFF778899, 0xFFAABBCC}, {});
  ASSERT_EQ(quendel::codecs::decodeIconDib(alpha.data(), alpha.size(), &p, &mask), DecodeStatus::Ok);
  EXPECT_EQ(pixelsOf(p), (std::vector<std::uint32_t>{0x10112233, 0x20445566, 0xFF778899, 0xFFAABBCC}));
}

TEST(IconReader, BadDirectoriesAreRefused) {
  auto file = quendel::testpics::makeIcon({{16, 32}}, false);
  quendel::codecs::DecodedIcon icon;
  EXPECT_EQ(quendel::codecs::decodeIcon(file.data(), 5, 32, 32, 32, &icon), DecodeStatus::UnknownFormat);
  auto noEntries = file;
  noEntries[4] = 0;
  EXPECT_EQ(quendel::codecs::decodeIcon(noEntries.data(), noEntries.size(), 32, 32, 32, &icon), DecodeStatus::Damaged);
  auto outside = file;
  outside[6 + 12] = 0xFF;
  outside[6 + 13] = 0xFF;
  EXPECT_EQ(quendel::codecs::decodeIcon(outside.data(), outside.size(), 32, 32, 32, &icon), DecodeStatus::Damaged);
  auto cut = std::vector<std::uint8_t>(file.begin(), file.end() - 100);
  EXPECT_NE(quendel::codecs::decodeIcon(cut.data(), cut.size(), 32, 32, 32, &icon), DecodeStatus::Ok);
}

}  // namespace
