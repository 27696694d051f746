#include "platform/codecs/ico_writer.h"

#include <gtest/gtest.h>

#include "platform/codecs/bmp_reader.h"
#include "platform/codecs/ico_reader.h"

namespace codecs = quendel::codecs;
namespace gdi = quendel::gdi;

namespace {

gdi::IconPixels pixels(int w, int h) {
  gdi::IconPixels px;
  px.width = w;
  px.height = h;
  px.argb.resize(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < px.argb.size(); ++i)
    px.argb[i] = (i % 3 == 0) ? 0 : (static_cast<std::uint32_t>(i * 40 + 15) << 24) | static_cast<std::uint32_t>(i);
  return px;
}

TEST(IcoWriter, TheReaderGetsThePixelsMaskAndHotSpotBack) {
  for (bool cursor : {false, true}) {
    gdi::IconPixels px = pixels(5, 3);
    px.isIcon = !cursor;
    px.xHotspot = 4;
    px.yHotspot = 1;
    codecs::MemorySink sink;
    ASSERT_TRUE(codecs::writeIcon(px, sink));
    const auto& b = sink.bytes();
    EXPECT_EQ(codecs::iconFileType(b.data(), b.size()), cursor ? codecs::kCursorFile : codecs::kIconFile);
    codecs::DecodedIcon icon;
    ASSERT_EQ(codecs::decodeIcon(b.data(), b.size(), 32, 32, 32, &icon), codecs::DecodeStatus::Ok);
    ASSERT_EQ(icon.color.pixels->width(), 5);
    ASSERT_EQ(icon.color.pixels->height(), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const std::uint32_t want = px.argb[static_cast<std::size_t>(y) * 5 + x];
        EXPECT_EQ(icon.color.pixels->row(y)[x], want) << x << "," << y;
        // A reader that goes by the mask sees the same transparency.
        EXPECT_EQ(icon.mask->row(y)[x] == codecs::kMaskTransparent, (want >> 24) == 0) << x << "," << y;
      }
    if (cursor) {
      EXPECT_EQ(icon.hotspotX, 4u);
      EXPECT_EQ(icon.hotspotY, 1u);
    }
  }
}

TEST(IcoWriter, RefusesWhatTheFormCannotHold) {
  const struct Row {
    const char* what;
    gdi::IconPixels px;
  } rows[] = {
      {"empty", pixels(0, 0)},
      {"257 wide", pixels(257, 1)},
      {"257 high", pixels(1, 257)},
  };
  for (const auto& r : rows) {
    codecs::MemorySink sink;
    EXPECT_FALSE(codecs::writeIcon(r.px, sink)) << r.what;
    EXPECT_TRUE(sink.bytes().empty()) << r.what;
  }
  // 256 is the largest size: written as 0 in the directory, read from the image.
  gdi::IconPixels largest = pixels(256, 2);
  codecs::MemorySink big;
  ASSERT_TRUE(codecs::writeIcon(largest, big));
  codecs::DecodedIcon icon;
  ASSERT_EQ(codecs::decodeIcon(big.bytes().data(), big.bytes().size(), 32, 32, 32, &icon), codecs::DecodeStatus::Ok);
  EXPECT_EQ(icon.color.pixels->width(), 256);
  gdi::IconPixels short_ = pixels(4, 4);
  short_.argb.pop_back();
  codecs::MemorySink sink;
  EXPECT_FALSE(codecs::writeIcon(short_, sink));
}

}  // namespace
