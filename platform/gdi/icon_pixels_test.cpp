#include "platform/gdi/icon_pixels.h"

#include <gtest/gtest.h>

#include "platform/gdi/icon.h"

namespace gdi = quendel::gdi;

namespace {

// One row of three pixels: colour and mask as stored, with or without alpha of its own.
HICON makeIcon(bool alpha, const std::uint32_t (&color)[3], const std::uint32_t (&mask)[3]) {
  auto c = gdi::PixelStore::create(3, 1, true);
  auto m = gdi::PixelStore::create(3, 1, true);
  for (int x = 0; x < 3; ++x) {
    c->row(0)[x] = color[x];
    m->row(0)[x] = mask[x];
  }
  gdi::IconImage image;
  image.isIcon = false;
  image.xHotspot = 2;
  image.yHotspot = 0;
  image.hasAlpha = alpha;
  image.color = c;
  image.mask = m;
  return gdi::createIcon(image);
}

TEST(IconPixels, AlphaOrMaskDecidesTransparency) {
  const struct Row {
    const char* what;
    bool alpha;
    std::uint32_t color[3], mask[3], want[3];
  } rows[] = {
      // With alpha the colour image is what shows, whatever the mask says.
      {"alpha",
       true,
       {0x80FF0000u, 0x00000000u, 0xFF00FF00u},
       {0, 0x00FFFFFFu, 0x00FFFFFFu},
       {0x80FF0000u, 0x00000000u, 0xFF00FF00u}},
      // Without, the mask: clear is opaque (the alpha byte ignored), set is transparent.
      {"mask",
       false,
       {0x00FF0000u, 0xFF123456u, 0xFFFFFFFFu},
       {0, 0x00FFFFFFu, 0},
       {0xFFFF0000u, 0x00000000u, 0xFFFFFFFFu}},
  };
  for (const auto& r : rows) {
    HICON icon = makeIcon(r.alpha, r.color, r.mask);
    gdi::IconPixels px;
    ASSERT_TRUE(gdi::iconPixels(icon, &px)) << r.what;
    EXPECT_EQ(px.width, 3) << r.what;
    EXPECT_EQ(px.height, 1) << r.what;
    EXPECT_FALSE(px.isIcon) << r.what;
    EXPECT_EQ(px.xHotspot, 2u) << r.what;
    EXPECT_EQ(px.argb, std::vector<std::uint32_t>(std::begin(r.want), std::end(r.want))) << r.what;
    EXPECT_TRUE(DestroyIcon(icon));
  }
}

TEST(IconPixels, RefusesWhatIsNoIcon) {
  gdi::IconPixels px;
  px.width = 7;
  EXPECT_FALSE(gdi::iconPixels(nullptr, &px));
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 2, 2);
  EXPECT_FALSE(gdi::iconPixels(reinterpret_cast<HICON>(bitmap), &px));
  EXPECT_EQ(px.width, 7);  // untouched
  EXPECT_TRUE(DeleteObject(bitmap));
}

}  // namespace
