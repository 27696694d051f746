// The TIFF reader and the metafile renderer through their modules: what they decode, and
// how they fail when the module is not there.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>

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
TEST(MissingModule, TiffDecodingAndMetafileDrawingFailAsDamagedAndSayWhy) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(decodeTiffWithoutItsModule(), testing::ExitedWithCode(0),
              "module libquendeltiff.so: .*libquendeltiff.so");
  EXPECT_EXIT(drawMetafileWithoutItsModule(), testing::ExitedWithCode(0),
              "module libquendelmetafile.so: .*libquendelmetafile.so");
}

}  // namespace
