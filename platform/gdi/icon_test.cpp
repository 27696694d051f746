#include "platform/gdi/icon.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/base/last_error.h"

namespace {

using quendel::gdi::createIcon;
using quendel::gdi::IconImage;
using quendel::gdi::kSystemIconSize;
using quendel::gdi::PixelStore;

constexpr std::uint32_t kClear = 0x00FFFFFFu;  // a set mask bit in an icon's mask store

// A memory DC over a bitmap of one colour (alpha 0xFF), or over a given store.
struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  Canvas(int w, int h, COLORREF fill) : bitmap(CreateCompatibleBitmap(nullptr, w, h)), old(SelectObject(dc, bitmap)) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) SetPixel(dc, x, y, fill);
  }
  explicit Canvas(std::shared_ptr<PixelStore> store)
      : bitmap(quendel::gdi::createBitmapFromStore(std::move(store), 32)), old(SelectObject(dc, bitmap)) {}
  ~Canvas() {
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bitmap));
  }
  std::uint32_t raw(int x, int y) const {
    std::uint32_t scratch[64];
    return quendel::gdi::bitmapRowSource(bitmap)->row(y, scratch)[x];
  }
};

// One icon pixel: colour 0xAARRGGBB and whether its mask bit is set.
struct Px {
  std::uint32_t color;
  bool clear;
};

// A size x size icon whose first row starts with `row`; the rest is transparent black.
HICON makeIcon(int bits, const std::vector<Px>& row, bool alpha, int size = kSystemIconSize, bool isIcon = true) {
  auto color = PixelStore::create(size, size, true);
  auto mask = PixelStore::create(size, size, false);
  for (std::size_t k = 0; k < mask->pixelCount(); ++k) mask->data()[k] = kClear;
  for (std::size_t x = 0; x < row.size(); ++x) {
    color->row(0)[x] = row[x].color;
    mask->row(0)[x] = row[x].clear ? kClear : 0;
  }
  IconImage image;
  image.isIcon = isIcon;
  image.colorBits = bits;
  image.hasAlpha = alpha;
  image.color = color;
  image.mask = mask;
  return createIcon(image);
}

// The mask rules, as a loaded icon keeps them: transparent pixels have alpha 0.
const std::vector<Px> kMaskCases = {
    {0xFFC00000u, false},  // AND 0, XOR red: red
    {0xFF000000u, false},  // AND 0, XOR black: black
    {0x00000000u, true},   // AND 1, XOR black: the screen
    {0x00FFFFFFu, true},   // AND 1, XOR white: the screen inverted
    {0x0000FF00u, true},   // AND 1, XOR green: the screen XOR green
};
constexpr COLORREF kScreen = RGB(0x12, 0x34, 0x56);
const std::vector<COLORREF> kMaskResults = {RGB(0xC0, 0, 0), RGB(0, 0, 0), kScreen, RGB(0xED, 0xCB, 0xA9),
                                            RGB(0x12, 0xCB, 0x56)};

TEST(DrawIcon, MaskRulesForEveryColourDepthAndCursors) {
  struct Case {
    int bits;
    bool isIcon;
  };
  for (Case c : {Case{4, true}, Case{8, true}, Case{24, true}, Case{32, true}, Case{24, false}}) {
    SCOPED_TRACE(testing::Message() << c.bits << " bpp" << (c.isIcon ? "" : " cursor"));
    HICON icon = makeIcon(c.bits, kMaskCases, false, kSystemIconSize, c.isIcon);
    ASSERT_NE(icon, nullptr);
    Canvas canvas(6, 2, kScreen);
    ASSERT_TRUE(DrawIcon(canvas.dc, 0, 0, icon));
    for (std::size_t x = 0; x < kMaskResults.size(); ++x) EXPECT_EQ(GetPixel(canvas.dc, int(x), 0), kMaskResults[x]);
    EXPECT_EQ(GetPixel(canvas.dc, 0, 1), kScreen) << "transparent rest";
    EXPECT_TRUE(DestroyIcon(icon));
  }
}

TEST(DrawIcon, MonochromeIconFromDoubleHeightMask) {
  // 16 x 2 AND rows over 16 x 2 XOR rows; row 0 of each: bits for pixels 0..3.
  // Pixel: 0 AND0 XOR0 black, 1 AND0 XOR1 white, 2 AND1 XOR0 screen, 3 AND1 XOR1 inverted.
  const std::uint8_t bits[] = {0x30, 0, 0xFF, 0xFF, 0x50, 0, 0, 0};
  HBITMAP mask = CreateBitmap(16, 4, 1, 1, bits);
  ICONINFO ii{FALSE, 3, 4, mask, nullptr};
  HICON cursor = CreateIconIndirect(&ii);
  ASSERT_NE(cursor, nullptr);
  EXPECT_TRUE(DeleteObject(mask));
  Canvas canvas(8, 4, kScreen);
  ASSERT_TRUE(DrawIconEx(canvas.dc, 0, 0, cursor, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(canvas.dc, 0, 0), 0u);
  EXPECT_EQ(GetPixel(canvas.dc, 1, 0), 0x00FFFFFFu);
  EXPECT_EQ(GetPixel(canvas.dc, 2, 0), kScreen);
  EXPECT_EQ(GetPixel(canvas.dc, 3, 0), RGB(0xED, 0xCB, 0xA9));
  EXPECT_EQ(GetPixel(canvas.dc, 0, 1), kScreen) << "second row: all transparent";

  ICONINFO out{};
  ASSERT_TRUE(GetIconInfo(cursor, &out));
  EXPECT_EQ(out.hbmColor, nullptr) << "a monochrome icon has no colour bitmap";
  EXPECT_EQ(out.fIcon, FALSE);
  EXPECT_EQ(out.xHotspot, 3u);
  EXPECT_EQ(out.yHotspot, 4u);
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(out.hbmMask, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmHeight, 4);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteObject(out.hbmMask));
  EXPECT_TRUE(DestroyIcon(cursor));
}

TEST(DrawIcon, AlphaBlendRoundsOnceToNearest) {
  struct Case {
    std::uint32_t icon;  // 0xAARRGGBB
    COLORREF screen;
    COLORREF result;
  };
  const Case cases[] = {
      {0x80C8C8C8u, RGB(100, 100, 100), RGB(150, 150, 150)},  // (200*128 + 100*127 + 127) / 255
      {0x010A0A0Au, RGB(250, 250, 250), RGB(249, 249, 249)},
      {0xFEFFFFFFu, RGB(0, 0, 0), RGB(254, 254, 254)},
      {0x4D000000u, RGB(255, 255, 255), RGB(178, 178, 178)},
      {0xFF123456u, RGB(1, 2, 3), RGB(0x12, 0x34, 0x56)},
      {0x00FFFFFFu, RGB(1, 2, 3), RGB(1, 2, 3)},
  };
  std::vector<Px> row;
  for (const Case& c : cases) row.push_back({c.icon, false});
  HICON icon = makeIcon(32, row, true);
  Canvas canvas(8, 1, 0);
  for (std::size_t x = 0; x < std::size(cases); ++x) SetPixel(canvas.dc, int(x), 0, cases[x].screen);
  ASSERT_TRUE(DrawIcon(canvas.dc, 0, 0, icon));
  for (std::size_t x = 0; x < std::size(cases); ++x) EXPECT_EQ(GetPixel(canvas.dc, int(x), 0), cases[x].result) << x;
  EXPECT_EQ(canvas.raw(0, 0) >> 24, 0xFFu) << "an opaque destination stays opaque";

  // A destination with alpha of its own: alpha composes as "over".
  auto store = PixelStore::create(2, 1, true);
  Canvas clear(store);
  ASSERT_TRUE(DrawIcon(clear.dc, 0, 0, icon));
  EXPECT_EQ(clear.raw(0, 0), 0x80646464u) << "(200*128 + 0 + 127) / 255 = 100, alpha 128";
  EXPECT_TRUE(DestroyIcon(icon));
}

TEST(DrawIcon, DrawsAtTheSystemSizeAndClips) {
  // A 16 x 16 icon is stretched to 32 x 32 by DrawIcon, drawn at its own size by DrawIconEx.
  HICON small = makeIcon(24, {{0xFF0000FFu, false}, {0xFF00FF00u, false}}, false, 16);
  Canvas canvas(4, 2, kScreen);
  ASSERT_TRUE(DrawIcon(canvas.dc, 0, 0, small));
  EXPECT_EQ(GetPixel(canvas.dc, 1, 1), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(canvas.dc, 2, 0), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(canvas.dc, 3, 1), RGB(0, 255, 0));
  ASSERT_TRUE(DrawIconEx(canvas.dc, 0, 0, small, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(canvas.dc, 1, 0), RGB(0, 255, 0));

  // Partly outside on every side: only the overlapping pixels change.
  Canvas out(3, 3, kScreen);
  ASSERT_TRUE(DrawIconEx(out.dc, -1, 2, small, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(out.dc, 0, 2), RGB(0, 255, 0)) << "icon pixel (1, 0)";
  EXPECT_EQ(GetPixel(out.dc, 1, 2), kScreen);
  EXPECT_EQ(GetPixel(out.dc, 0, 1), kScreen);
  ASSERT_TRUE(DrawIcon(out.dc, -100, 1000, small)) << "entirely outside: nothing to draw";
  EXPECT_TRUE(DestroyIcon(small));
}

TEST(DrawIcon, BadHandlesFailWithTheLastError) {
  HICON gone = makeIcon(24, {}, false);
  ASSERT_TRUE(DestroyIcon(gone));
  Canvas canvas(2, 2, kScreen);
  struct Case {
    HDC dc;
    HICON icon;
    DWORD error;
  };
  HICON live = makeIcon(24, {{0xFF000000u, false}}, false);
  for (Case c : {Case{canvas.dc, nullptr, 1402}, Case{canvas.dc, gone, 1402},
                 Case{canvas.dc, reinterpret_cast<HICON>(canvas.bitmap), 1402}, Case{nullptr, live, 6},
                 Case{reinterpret_cast<HDC>(canvas.bitmap), live, 6}}) {
    SetLastError(0);
    EXPECT_FALSE(DrawIcon(c.dc, 0, 0, c.icon));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(GetPixel(canvas.dc, 0, 0), kScreen);
  ICONINFO untouched{7, 7, 7, nullptr, nullptr};
  SetLastError(0);
  EXPECT_FALSE(GetIconInfo(gone, &untouched));
  EXPECT_EQ(GetLastError(), 1402u);
  EXPECT_EQ(untouched.fIcon, 7);
  SetLastError(0);
  EXPECT_FALSE(DestroyIcon(gone));
  EXPECT_EQ(GetLastError(), 1402u);
  EXPECT_TRUE(DestroyIcon(live));
}

TEST(GetIconInfo, BitmapsFaithfulToTheDepthAndCopiesDrawAlike) {
  const std::vector<Px> alphaRow = {{0x80C8C8C8u, false}, {0x00000000u, true}};
  struct Case {
    int bits;
    bool alpha;
    const std::vector<Px>* row;
  };
  for (Case c : {Case{4, false, &kMaskCases}, Case{8, false, &kMaskCases}, Case{24, false, &kMaskCases},
                 Case{32, false, &kMaskCases}, Case{32, true, &alphaRow}}) {
    SCOPED_TRACE(testing::Message() << c.bits << " bpp, alpha " << c.alpha);
    HICON icon = makeIcon(c.bits, *c.row, c.alpha);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    BITMAP color{}, mask{};
    ASSERT_EQ(GetObjectA(ii.hbmColor, sizeof color, &color), static_cast<int>(sizeof color));
    ASSERT_EQ(GetObjectA(ii.hbmMask, sizeof mask, &mask), static_cast<int>(sizeof mask));
    EXPECT_EQ(color.bmBitsPixel, c.bits);
    EXPECT_EQ(mask.bmBitsPixel, 1);
    EXPECT_EQ(color.bmHeight, kSystemIconSize);
    EXPECT_EQ(mask.bmHeight, kSystemIconSize);
    // The copy the picture objects make: it must draw exactly as the original.
    HICON copy = CreateIconIndirect(&ii);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(DeleteObject(ii.hbmColor));
    EXPECT_TRUE(DeleteObject(ii.hbmMask));
    Canvas a(6, 1, kScreen), b(6, 1, kScreen);
    ASSERT_TRUE(DrawIcon(a.dc, 0, 0, icon));
    ASSERT_TRUE(DrawIcon(b.dc, 0, 0, copy));
    for (int x = 0; x < 6; ++x) EXPECT_EQ(GetPixel(a.dc, x, 0), GetPixel(b.dc, x, 0)) << x;
    EXPECT_TRUE(DestroyIcon(copy));
    EXPECT_TRUE(DestroyIcon(icon));
  }
}

}  // namespace
