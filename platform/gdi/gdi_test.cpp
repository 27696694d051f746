#include "platform/gdi/gdi.h"

#include <gtest/gtest.h>

#include "platform/gdi/icon.h"

namespace {

struct MemDc {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  MemDc(int w, int h) : bitmap(CreateCompatibleBitmap(nullptr, w, h)), old(SelectObject(dc, bitmap)) {}
  ~MemDc() {
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bitmap));
  }
};

TEST(Gdi, SetPixelAndGetPixelKeepExactColours) {
  MemDc m(3, 2);
  EXPECT_EQ(GetPixel(m.dc, 0, 0), 0u) << "new compatible bitmaps are black";
  for (COLORREF c : {RGB(1, 2, 3), RGB(255, 0, 0), RGB(0, 0, 255), 0x00FFFFFFu, 0u}) {
    EXPECT_EQ(SetPixel(m.dc, 2, 1, c), c);
    EXPECT_EQ(GetPixel(m.dc, 2, 1), c);
  }
  EXPECT_EQ(SetPixel(m.dc, 1, 1, 0x12345678u), 0x00345678u) << "the top byte is no colour";
}

TEST(Gdi, OutsideTheBitmapAndBadHandles) {
  MemDc m(2, 2);
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) {
    EXPECT_EQ(GetPixel(m.dc, x, y), CLR_INVALID);
    EXPECT_EQ(SetPixel(m.dc, x, y, 0), static_cast<COLORREF>(-1));
  }
  HDC bogus = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x1234));
  EXPECT_EQ(GetPixel(bogus, 0, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
  EXPECT_EQ(DeleteObject(bogus), 0);
  EXPECT_EQ(DeleteDC(bogus), 0);
  EXPECT_EQ(SelectObject(m.dc, bogus), nullptr);
  BITMAP bm;
  EXPECT_EQ(GetObjectA(bogus, sizeof bm, &bm), 0);
  EXPECT_EQ(GetEnhMetaFileHeader(reinterpret_cast<HENHMETAFILE>(m.bitmap), 100, nullptr), 0u);
}

TEST(Gdi, DeletedHandlesFailCleanly) {
  HBITMAP b = CreateCompatibleBitmap(nullptr, 4, 4);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(DeleteObject(b), 1);
  EXPECT_EQ(DeleteObject(b), 0);
  BITMAP bm;
  EXPECT_EQ(GetObjectA(b, sizeof bm, &bm), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(dc, b), nullptr);
  EXPECT_EQ(DeleteDC(dc), 1);
  EXPECT_EQ(DeleteDC(dc), 0);
}

TEST(Gdi, SelectionRules) {
  HDC a = CreateCompatibleDC(nullptr), c = CreateCompatibleDC(nullptr);
  HBITMAP b = CreateCompatibleBitmap(nullptr, 2, 2);
  HGDIOBJ stock = SelectObject(a, b);
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(SelectObject(c, b), nullptr) << "a bitmap lives in one DC at a time";
  EXPECT_EQ(DeleteObject(b), 0) << "a selected bitmap cannot be deleted";
  EXPECT_EQ(DeleteObject(stock), 0);
  EXPECT_EQ(SelectObject(a, stock), b);
  EXPECT_EQ(DeleteObject(b), 1);
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_TRUE(DeleteDC(c));
}

TEST(Gdi, FreshMemoryDcMakesMonochromeCompatibleBitmaps) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateCompatibleBitmap(dc, 3, 3);
  BITMAP bm;
  ASSERT_EQ(GetObjectA(mono, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  HGDIOBJ old = SelectObject(dc, mono);
  EXPECT_EQ(SetPixel(dc, 0, 0, RGB(200, 200, 200)), 0x00FFFFFFu);
  EXPECT_EQ(SetPixel(dc, 1, 0, RGB(100, 0, 0)), 0u);
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteObject(mono));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(Gdi, GetObjectFillsBitmapRecord) {
  HBITMAP b = CreateCompatibleBitmap(nullptr, 5, 7);
  BITMAP bm{};
  EXPECT_EQ(GetObjectA(b, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(GetObjectA(b, sizeof(BITMAP) - 1, &bm), 0);
  ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmWidth, 5);
  EXPECT_EQ(bm.bmHeight, 7);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmPlanes, 1);
  EXPECT_EQ(bm.bmWidthBytes, 20);
  EXPECT_EQ(GetObjectType(b), OBJ_BITMAP);
  EXPECT_TRUE(DeleteObject(b));
}

TEST(Gdi, BitBltCopiesClipsAndShares) {
  MemDc src(4, 4), dst(4, 4), big(6, 6);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) SetPixel(src.dc, x, y, RGB(x * 10, y * 10, 7));
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, SRCCOPY));
  // The whole copy shares pixels; a write to either side must not show in the other.
  SetPixel(dst.dc, 1, 1, RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(src.dc, 1, 1), RGB(10, 10, 7));
  SetPixel(src.dc, 2, 2, 0);
  EXPECT_EQ(GetPixel(dst.dc, 2, 2), RGB(20, 20, 7));
  ASSERT_TRUE(BitBlt(big.dc, 4, -1, 10, 10, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(big.dc, 4, 0), RGB(0, 10, 7));
  EXPECT_EQ(GetPixel(big.dc, 5, 2), RGB(10, 30, 7));
  EXPECT_EQ(GetPixel(big.dc, 3, 0), 0u);
  EXPECT_FALSE(BitBlt(big.dc, 0, 0, 1, 1, src.dc, 0, 0, 0x00EE0086 /* SRCPAINT */));
}

class Checker final : public quendel::gdi::RowSource {
 public:
  int width() const override { return 3; }
  int height() const override { return 2; }
  const std::uint32_t* row(int y, std::uint32_t* s) const override {
    for (int x = 0; x < 3; ++x) s[x] = ((x + y) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
    return s;
  }
};

TEST(Gdi, VirtualBitmapReadsRowsAndMaterialisesOnWrite) {
  HBITMAP v = quendel::gdi::createVirtualBitmap(std::make_shared<Checker>(), 32);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, v);
  EXPECT_EQ(GetPixel(dc, 1, 0), 0x00FFFFFFu);
  EXPECT_EQ(GetPixel(dc, 1, 1), 0u);
  auto view = quendel::gdi::bitmapRowSource(v);
  SetPixel(dc, 1, 0, RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dc, 2, 1), 0x00FFFFFFu);
  std::uint32_t scratch[3];
  EXPECT_EQ(view->row(0, scratch)[1], 0xFFFFFFFFu) << "an earlier view keeps its pixels";
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(v));
}

TEST(Icon, InfoGivesFreshBitmapsAndDrawsWithMask) {
  HBITMAP color = CreateCompatibleBitmap(nullptr, 2, 1);
  std::uint8_t maskBits[2] = {0x40, 0};  // second pixel transparent
  HBITMAP mask = CreateBitmap(2, 1, 1, 1, maskBits);
  {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, color);
    SetPixel(dc, 0, 0, RGB(9, 8, 7));
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteDC(dc));
  }
  ICONINFO ii{1, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(DeleteObject(color));
  EXPECT_TRUE(DeleteObject(mask));
  ICONINFO out{};
  ASSERT_TRUE(GetIconInfo(icon, &out));
  EXPECT_EQ(out.fIcon, 1);
  BITMAP bm;
  ASSERT_EQ(GetObjectA(out.hbmMask, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteObject(out.hbmColor));
  EXPECT_TRUE(DeleteObject(out.hbmMask));
  MemDc m(2, 1);
  SetPixel(m.dc, 1, 0, RGB(50, 60, 70));
  ASSERT_TRUE(DrawIconEx(m.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(m.dc, 0, 0), RGB(9, 8, 7));
  EXPECT_EQ(GetPixel(m.dc, 1, 0), RGB(50, 60, 70));
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_FALSE(GetIconInfo(icon, &out));
}

}  // namespace
