// The JPEG, GIF and TIFF readers and the metafile renderer through their modules: what
// they decode, and how they fail when the module is not there.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>

#include "platform/codecs/gif_reader.h"
#include "platform/codecs/jpeg_reader.h"
#include "platform/codecs/metafile_header.h"
#include "platform/codecs/metafile_renderer.h"
#include "platform/codecs/test_metafiles.h"
#include "platform/codecs/test_pictures.h"
#include "platform/codecs/tiff_reader.h"

using namespace quendel::codecs;
using namespace quendel::testpics;

namespace {

TEST(TiffReader, SniffsWithoutTheModuleAndDecodesThroughIt) {
  EXPECT_TRUE(looksLikeTiff(reinterpret_cast<const std::uint8_t*>("II*\0"), 4));
  EXPECT_TRUE(looksLikeTiff(reinterpret_cast<const std::uint8_t*>("MM\0+"), 4));
  EXPECT_FALSE(looksLikeTiff(reinterpret_cast<const std::uint8_t*>("II*"), 3));
  EXPECT_FALSE(looksLikeTiff(reinterpret_cast<const std::uint8_t*>("MM*\0"), 4));
  TempDir dir;
  const Pixels p = pattern(5, 3, true);
  makeTiff(dir.file("a.tif"), p, COMPRESSION_DEFLATE, 2, 8, true, 150);
  DecodedPicture pic;
  bool cmyk = true;
  ASSERT_EQ(decodeTiffFile(dir.file("a.tif"), &pic, &cmyk), DecodeStatus::Ok);
  EXPECT_FALSE(cmyk);
  EXPECT_TRUE(pic.hasAlpha);
  EXPECT_EQ(pic.bitsPerPixel, 32);
  EXPECT_DOUBLE_EQ(pic.dpiX, 150);
  ASSERT_EQ(pic.pixels->width(), 5);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const std::uint32_t want = p.at(x, y), got = pic.pixels->data()[y * 5 + x];
      EXPECT_EQ(got >> 24, want >> 24) << x << "," << y;
      if ((want >> 24) == 0xFF) {
        EXPECT_EQ(got, want) << x << "," << y;
      }
    }
  writeFile(dir.file("cut.tif"), {'I', 'I', 42, 0, 8, 0});
  EXPECT_EQ(decodeTiffFile(dir.file("cut.tif"), &pic, &cmyk), DecodeStatus::Damaged);
}

// Left half `left`, right half `right`.
Pixels halves(int width, int height, std::uint32_t left, std::uint32_t right) {
  Pixels p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.argb.push_back(x < width / 2 ? left : right);
  return p;
}

// Opaque, and each colour channel within `tolerance` of `want`'s.
::testing::AssertionResult nearColor(std::uint32_t got, std::uint32_t want, int tolerance) {
  if ((got >> 24) != 0xFF) return ::testing::AssertionFailure() << std::hex << got << " is not opaque";
  for (int shift : {0, 8, 16}) {
    const int g = static_cast<int>((got >> shift) & 0xFF), w = static_cast<int>((want >> shift) & 0xFF);
    if (g - w > tolerance || w - g > tolerance)
      return ::testing::AssertionFailure() << std::hex << got << " is not near " << want;
  }
  return ::testing::AssertionSuccess();
}

// The offset of a JPEG's frame header (SOF0 or SOF2); its height and width follow at +5 and +7.
std::size_t jpegFrameHeader(const std::vector<std::uint8_t>& jpeg) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i;
  ADD_FAILURE() << "no frame header";
  return 0;
}

void claimJpegSize(std::vector<std::uint8_t>& jpeg, int width, int height) {
  const std::size_t at = jpegFrameHeader(jpeg);
  jpeg[at + 5] = static_cast<std::uint8_t>(height >> 8);
  jpeg[at + 6] = static_cast<std::uint8_t>(height);
  jpeg[at + 7] = static_cast<std::uint8_t>(width >> 8);
  jpeg[at + 8] = static_cast<std::uint8_t>(width);
}

TEST(JpegReader, SniffsWithoutTheModuleAndDecodesEachKindThroughIt) {
  const std::uint8_t start[] = {0xFF, 0xD8, 0xFF};
  EXPECT_TRUE(looksLikeJpeg(start, 3));
  EXPECT_FALSE(looksLikeJpeg(start, 2));
  DecodedPicture pic;
  EXPECT_EQ(decodeJpeg(reinterpret_cast<const std::uint8_t*>("GIF89a"), 6, &pic), DecodeStatus::UnknownFormat);
  constexpr std::uint32_t kLeft = 0xFF3366CC, kRight = 0xFFE0A010;
  constexpr int kTolerance = 8;
  const Pixels p = halves(16, 8, kLeft, kRight);
  const struct {
    int kind;  // as makeJpeg takes it
    bool progressive;
    int dpi;
    bool grey, cmyk;
    int bits;
  } rows[] = {{0, false, 150, false, false, 24},
              {0, true, 0, false, false, 24},
              {1, false, 0, true, false, 8},
              {2, true, 0, false, true, 32}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << r.kind << (r.progressive ? " progressive" : ""));
    const auto jpeg = makeJpeg(p, r.kind, r.progressive, r.dpi);
    bool cmyk = !r.cmyk;
    ASSERT_EQ(decodeJpeg(jpeg.data(), jpeg.size(), &pic, &cmyk), DecodeStatus::Ok);
    EXPECT_EQ(cmyk, r.cmyk);
    EXPECT_EQ(pic.grey, r.grey);
    EXPECT_EQ(pic.bitsPerPixel, r.bits);
    EXPECT_FALSE(pic.hasAlpha);
    EXPECT_DOUBLE_EQ(pic.dpiX, r.dpi);
    EXPECT_DOUBLE_EQ(pic.dpiY, r.dpi);
    ASSERT_EQ(pic.pixels->width(), 16);
    ASSERT_EQ(pic.pixels->height(), 8);
    // A grey file keeps the red channel, which makeJpeg writes as the grey level.
    const auto expect = [&](std::uint32_t c) { return r.grey ? 0xFF000000u | ((c >> 16) & 0xFF) * 0x010101u : c; };
    for (int y = 0; y < 8; ++y) {
      EXPECT_TRUE(nearColor(pic.pixels->row(y)[2], expect(kLeft), kTolerance)) << y;
      EXPECT_TRUE(nearColor(pic.pixels->row(y)[13], expect(kRight), kTolerance)) << y;
    }
  }
}

TEST(JpegReader, CutHugeAndImplausibleFilesFailBeforeHandingOutPixels) {
  const auto whole = makeJpeg(pattern(16, 16, false), 0, false);
  auto cut = whole;
  cut.resize(cut.size() / 2);
  auto huge = whole;
  claimJpegSize(huge, 60000, 60000);  // each side passes, the count does not
  // Far more pixels than a file this small can describe.
  auto implausible = whole;
  claimJpegSize(implausible, 4000, 4000);
  const struct {
    const char* name;
    const std::vector<std::uint8_t>& bytes;
    DecodeStatus status;
  } rows[] = {{"cut", cut, DecodeStatus::Damaged},
              {"huge", huge, DecodeStatus::TooLarge},
              {"implausible", implausible, DecodeStatus::Damaged}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    DecodedPicture pic;
    bool cmyk = true;
    EXPECT_EQ(decodeJpeg(r.bytes.data(), r.bytes.size(), &pic, &cmyk), r.status);
    EXPECT_FALSE(pic.pixels);
    EXPECT_TRUE(cmyk) << "left as it was";
  }
}

// Palette indices (x + y) % colors, so that rows out of order show.
Pixels gifIndices(int width, int height, int colors) {
  Pixels p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.argb.push_back(static_cast<std::uint32_t>((x + y) % colors));
  return p;
}

const std::uint8_t* bytesOf(const char* text) { return reinterpret_cast<const std::uint8_t*>(text); }

TEST(GifReader, SniffsWithoutTheModuleAndDrawsTheFirstFrameThroughIt) {
  EXPECT_TRUE(looksLikeGif(bytesOf("GIF87a"), 6));
  EXPECT_TRUE(looksLikeGif(bytesOf("GIF89a"), 6));
  EXPECT_FALSE(looksLikeGif(bytesOf("GIF88a"), 6));
  EXPECT_FALSE(looksLikeGif(bytesOf("GIF89a"), 5));
  DecodedPicture pic;
  EXPECT_EQ(decodeGif(bytesOf("\xFF\xD8\xFF\xE0\0\x10"), 6, &pic), DecodeStatus::UnknownFormat);
  const std::vector<std::uint32_t> palette = {0xFF0000, 0x00FF00, 0x0000FF};
  constexpr int kTransparent = 2;
  TempDir dir;
  // An interlaced frame with a transparent colour inside a larger logical screen, and a
  // plain frame that covers its screen.
  constexpr int kW = 4, kH = 9, kScreenW = 7, kScreenH = 11, kLeft = 2, kTop = 1;
  const Pixels idx = gifIndices(kW, kH, 3);
  makeGif(dir.file("framed.gif"), idx, palette, kTransparent, true, kScreenW, kScreenH, kLeft, kTop);
  makeGif(dir.file("plain.gif"), idx, palette, -1, false);
  for (const bool framed : {true, false}) {
    SCOPED_TRACE(framed ? "framed" : "plain");
    const auto gif = readFile(dir.file(framed ? "framed.gif" : "plain.gif"));
    ASSERT_EQ(decodeGif(gif.data(), gif.size(), &pic), DecodeStatus::Ok);
    EXPECT_TRUE(pic.indexed);
    EXPECT_EQ(pic.bitsPerPixel, 8);
    EXPECT_EQ(pic.hasAlpha, framed);
    EXPECT_EQ(pic.alphaFromData, framed);
    const int w = framed ? kScreenW : kW, h = framed ? kScreenH : kH;
    const int left = framed ? kLeft : 0, top = framed ? kTop : 0;
    ASSERT_EQ(pic.pixels->width(), w);
    ASSERT_EQ(pic.pixels->height(), h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool inside = x >= left && x < left + kW && y >= top && y < top + kH;
        const std::uint32_t index = inside ? idx.at(x - left, y - top) : 0;
        const bool clear = !inside || (framed && index == kTransparent);
        EXPECT_EQ(pic.pixels->row(y)[x], clear ? 0u : 0xFF000000u | palette[index]) << x << "," << y;
      }
  }
}

TEST(GifReader, CutHugeImplausibleAndFramelessFilesFailBeforeHandingOutPixels) {
  TempDir dir;
  makeGif(dir.file("a.gif"), gifIndices(32, 32, 3), {0xFF0000, 0x00FF00, 0x0000FF}, -1, false);
  const auto whole = readFile(dir.file("a.gif"));
  auto cut = whole;
  cut.resize(cut.size() / 2);  // inside the frame's data
  // The logical screen's width and height, little-endian, follow the signature.
  const auto claimScreen = [&](int width, int height) {
    auto gif = whole;
    gif[6] = static_cast<std::uint8_t>(width), gif[7] = static_cast<std::uint8_t>(width >> 8);
    gif[8] = static_cast<std::uint8_t>(height), gif[9] = static_cast<std::uint8_t>(height >> 8);
    return gif;
  };
  const auto huge = claimScreen(0xFFFF, 0xFFFF);
  const auto implausible = claimScreen(4000, 4000);  // far more screen than a file this small describes
  // A 1 x 1 screen with a two-colour table, then the trailer.
  const std::vector<std::uint8_t> frameless = {'G',  'I', 'F', '8', '9', 'a', 1,   0,   1,   0,
                                               0x80, 0,   0,   0,   0,   0,   255, 255, 255, 0x3B};
  const struct {
    const char* name;
    const std::vector<std::uint8_t>& bytes;
    DecodeStatus status;
  } rows[] = {{"cut", cut, DecodeStatus::Damaged},
              {"huge", huge, DecodeStatus::TooLarge},
              {"implausible", implausible, DecodeStatus::Damaged},
              {"frameless", frameless, DecodeStatus::Damaged}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    DecodedPicture pic;
    EXPECT_EQ(decodeGif(r.bytes.data(), r.bytes.size(), &pic), r.status);
    EXPECT_FALSE(pic.pixels);
  }
}

void lookInAnEmptyFolder(const TempDir& dir) {
  setenv("QUENDEL_MODULE_DIR", dir.path().c_str(), 1);
  setenv("QUENDEL_DEBUG", "1", 1);
}

// Exit 0 when decoding failed as Damaged and handed out no pixels.
[[noreturn]] void decodeTiffWithoutItsModule() {
  TempDir pictures;
  TempDir empty;
  makeTiff(pictures.file("a.tif"), pattern(4, 4, false), COMPRESSION_NONE, 2, 8, false);
  lookInAnEmptyFolder(empty);
  DecodedPicture pic;
  bool cmyk = false;
  const bool failed = decodeTiffFile(pictures.file("a.tif"), &pic, &cmyk) == DecodeStatus::Damaged;
  std::exit(failed && !pic.pixels ? 0 : 1);
}

// Exit 0 when decoding failed as Damaged and handed out no pixels.
[[noreturn]] void decodeJpegWithoutItsModule() {
  const auto jpeg = makeJpeg(pattern(4, 4, false), 0, false);
  TempDir empty;
  lookInAnEmptyFolder(empty);
  DecodedPicture pic;
  const bool failed = decodeJpeg(jpeg.data(), jpeg.size(), &pic) == DecodeStatus::Damaged;
  std::exit(failed && !pic.pixels ? 0 : 1);
}

// Exit 0 when decoding failed as Damaged and handed out no pixels.
[[noreturn]] void decodeGifWithoutItsModule() {
  TempDir pictures;
  TempDir empty;
  makeGif(pictures.file("a.gif"), gifIndices(4, 4, 2), {0xFF0000, 0x0000FF}, -1, false);
  const auto gif = readFile(pictures.file("a.gif"));
  lookInAnEmptyFolder(empty);
  DecodedPicture pic;
  const bool failed = decodeGif(gif.data(), gif.size(), &pic) == DecodeStatus::Damaged;
  std::exit(failed && !pic.pixels ? 0 : 1);
}

// Exit 0 when drawing failed as Damaged and left the pixels as they were.
[[noreturn]] void drawMetafileWithoutItsModule() {
  TempDir empty;
  lookInAnEmptyFolder(empty);
  const auto emf = makeEmf(8, 8, {{0, 0, 4, 4, 0x0000FF}});
  MetafileHeader h;
  const bool read = readMetafileHeader(emf.data(), emf.size(), &h) == DecodeStatus::Ok;
  auto store = quendel::gdi::PixelStore::create(8, 8, true);
  const bool failed = renderMetafile(emf.data(), emf.size(), h, *store) == DecodeStatus::Damaged;
  std::exit(read && failed && store->data()[0] == 0 ? 0 : 1);
}

// Each check runs in a fresh process (the module of a route is loaded once per process)
// whose loader looks in an empty folder.
TEST(MissingModule, DecodingAndMetafileDrawingFailAsDamagedAndSayWhy) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(decodeJpegWithoutItsModule(), testing::ExitedWithCode(0),
              "module libquendeljpeg.so: .*libquendeljpeg.so");
  EXPECT_EXIT(decodeGifWithoutItsModule(), testing::ExitedWithCode(0), "module libquendelgif.so: .*libquendelgif.so");
  EXPECT_EXIT(decodeTiffWithoutItsModule(), testing::ExitedWithCode(0),
              "module libquendeltiff.so: .*libquendeltiff.so");
  EXPECT_EXIT(drawMetafileWithoutItsModule(), testing::ExitedWithCode(0),
              "module libquendelmetafile.so: .*libquendelmetafile.so");
}

}  // namespace
