#include "platform/ole/load_picture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/codecs/test_pictures.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"

namespace {

using namespace quendel::testpics;

// Reads a bitmap's pixels through a memory DC, as callers of the loader do.
COLORREF pixel(HBITMAP b, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  const COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteDC(dc));
  return c;
}

int near(COLORREF a, COLORREF b) {
  int d = 0;
  for (int s = 0; s < 24; s += 8)
    d = std::max(d, std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)));
  return d;
}

TEST(LoadPicture, HimetricFollowsMulDiv) {
  struct {
    LONG px, him;
  } rows[] = {{0, 0}, {1, 26}, {2, 53}, {3, 79}, {32, 847}, {96, 2540}, {100, 2646}, {-1, -26}};
  for (auto r : rows) EXPECT_EQ(PixelsToHimetric(r.px), r.him) << r.px;
}

TEST(LoadPicture, BitmapJpegAndGifGiveBitmapPictures) {
  TempDir dir;
  BmpShape s;
  s.width = 3;
  s.height = 2;
  s.bits = 24;
  s.values = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
  writeFile(dir.file("a.bmp"), makeBmp(s));
  Pixels solid;
  solid.width = 16;
  solid.height = 8;
  solid.argb.assign(128, 0xFF3366CC);
  writeFile(dir.file("a.jpg"), makeJpeg(solid, 0, false));
  writeFile(dir.file("p.jpg"), makeJpeg(solid, 0, true));
  writeFile(dir.file("g.jpg"), makeJpeg(solid, 1, false));
  writeFile(dir.file("c.jpg"), makeJpeg(solid, 2, false));
  Pixels idx;
  idx.width = 4;
  idx.height = 9;
  for (int i = 0; i < 36; ++i) idx.argb.push_back(static_cast<std::uint32_t>(i % 3));
  makeGif(dir.file("a.gif"), idx, {0xFF0000, 0x00FF00, 0x0000FF}, 2, true);

  PictureDescription pic;
  ASSERT_EQ(LoadPicture(u16(dir.file("a.bmp")).c_str(), &pic), S_OK);
  EXPECT_EQ(pic.Type, PICTYPE_BITMAP);
  EXPECT_EQ(pic.hPal, nullptr);
  EXPECT_EQ(pic.Width, PixelsToHimetric(3));
  EXPECT_EQ(pic.Height, PixelsToHimetric(2));
  HBITMAP b = reinterpret_cast<HBITMAP>(pic.Handle);
  BITMAP bm;
  ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmBitsPixel, 24);
  EXPECT_EQ(pixel(b, 0, 0), RGB(1, 2, 3));
  EXPECT_EQ(pixel(b, 2, 1), RGB(0x10, 0x11, 0x12));
  EXPECT_TRUE(DeleteObject(b));

  struct {
    const char* name;
    int bits;
    COLORREF color;
  } jpegs[] = {{"a.jpg", 24, RGB(0x33, 0x66, 0xCC)},
               {"p.jpg", 24, RGB(0x33, 0x66, 0xCC)},
               {"g.jpg", 8, RGB(0x33, 0x33, 0x33)},
               {"c.jpg", 24, RGB(0x33, 0x66, 0xCC)}};
  for (auto& j : jpegs) {
    SCOPED_TRACE(j.name);
    ASSERT_EQ(LoadPicture(u16(dir.file(j.name)).c_str(), &pic), S_OK);
    b = reinterpret_cast<HBITMAP>(pic.Handle);
    ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmBitsPixel, j.bits);
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_LE(near(pixel(b, 5, 5), j.color), 2);
    EXPECT_TRUE(DeleteObject(b));
  }

  ASSERT_EQ(LoadPicture(u16(dir.file("a.gif")).c_str(), &pic), S_OK);
  b = reinterpret_cast<HBITMAP>(pic.Handle);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 4; ++x) {
      const int i = (y * 4 + x) % 3;
      EXPECT_EQ(pixel(b, x, y), i == 0 ? RGB(255, 0, 0) : i == 1 ? RGB(0, 255, 0) : 0u) << x << "," << y;
    }
  EXPECT_TRUE(DeleteObject(b));
}

TEST(LoadPicture, IconsAndCursorsGiveIconPictures) {
  TempDir dir;
  writeFile(dir.file("a.ico"), makeIcon({{16, 32, 0xFF0000FF}, {48, 24, 0xFF00FF00}, {32, 0, 0xFFFF0000}}, false));
  writeFile(dir.file("a.cur"), makeIcon({{32, 24, 0xFF808080}}, true));
  PictureDescription pic;
  ASSERT_EQ(LoadPicture(u16(dir.file("a.ico")).c_str(), &pic), S_OK);
  EXPECT_EQ(pic.Type, PICTYPE_ICON);
  EXPECT_EQ(pic.Width, PixelsToHimetric(32));
  HICON icon = reinterpret_cast<HICON>(pic.Handle);
  ICONINFO ii;
  ASSERT_TRUE(GetIconInfo(icon, &ii));
  EXPECT_EQ(ii.fIcon, 1);
  BITMAP bm;
  ASSERT_EQ(GetObjectA(ii.hbmColor, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(pixel(ii.hbmColor, 3, 3), RGB(255, 0, 0)) << "the PNG entry of 32 x 32";
  EXPECT_TRUE(DeleteObject(ii.hbmColor));
  EXPECT_TRUE(DeleteObject(ii.hbmMask));
  // Drawn on black, the transparent corner stays black.
  HBITMAP canvas = CreateCompatibleBitmap(nullptr, 32, 32);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, canvas);
  ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(dc, 0, 0), 0u);
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 0, 0));
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(canvas));
  EXPECT_TRUE(DestroyIcon(icon));

  ASSERT_EQ(LoadPicture(u16(dir.file("a.cur")).c_str(), &pic), S_OK);
  EXPECT_EQ(pic.Type, PICTYPE_ICON);
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(pic.Handle), &ii));
  EXPECT_EQ(ii.fIcon, 0);
  EXPECT_EQ(ii.xHotspot, 3u);
  EXPECT_TRUE(DeleteObject(ii.hbmColor));
  EXPECT_TRUE(DeleteObject(ii.hbmMask));
  EXPECT_TRUE(DestroyIcon(reinterpret_cast<HICON>(pic.Handle)));
}

TEST(LoadPicture, FailuresLeaveTheDescriptionAlone) {
  TempDir dir;
  writeFile(dir.file("empty.bmp"), {});
  writeFile(dir.file("a.png"), makePng(pattern(2, 2, false), 2, 8, false));
  Pixels solid = pattern(16, 16, false);
  auto jpeg = makeJpeg(solid, 0, false);
  jpeg.resize(jpeg.size() / 2);
  writeFile(dir.file("cut.jpg"), jpeg);
  BmpShape s;
  s.width = 4;
  s.height = 4;
  s.values.assign(16, 0);
  auto bmp = makeBmp(s);
  bmp.resize(70);
  writeFile(dir.file("cut.bmp"), bmp);
  auto huge = makeBmp(s);
  huge[18] = 0xA0;  // 100000 wide
  huge[19] = 0x86;
  huge[20] = 0x01;
  writeFile(dir.file("huge.bmp"), huge);
  ::mkdir(dir.file("folder.bmp").c_str(), 0755);
  Pixels dot;
  dot.width = dot.height = 2;
  dot.argb = {0, 1, 1, 0};
  makeGif(dir.file("bigscreen.gif"), dot, {0xFF0000, 0x00FF00}, -1, false, 16000, 16000);
  // A small JPEG whose frame header claims 16000 x 16000.
  auto bigJpeg = makeJpeg(pattern(8, 8, false), 0, false);
  for (std::size_t i = 0; i + 8 < bigJpeg.size(); ++i)
    if (bigJpeg[i] == 0xFF && bigJpeg[i + 1] == 0xC0) {
      bigJpeg[i + 5] = 0x3E, bigJpeg[i + 6] = 0x80, bigJpeg[i + 7] = 0x3E, bigJpeg[i + 8] = 0x80;
      break;
    }
  writeFile(dir.file("bigframe.jpg"), bigJpeg);
  struct {
    std::string name;
    HRESULT hr;
  } rows[] = {{"missing.bmp", CTL_E_FILENOTFOUND},       {"nofolder/a.bmp", CTL_E_FILENOTFOUND},
              {"folder.bmp", CTL_E_PATHFILEACCESSERROR}, {"empty.bmp", CTL_E_INVALIDPICTURE},
              {"a.png", CTL_E_INVALIDPICTURE},           {"cut.jpg", CTL_E_INVALIDPICTURE},
              {"cut.bmp", CTL_E_INVALIDPICTURE},         {"huge.bmp", E_OUTOFMEMORY},
              {"bigscreen.gif", CTL_E_INVALIDPICTURE},   {"bigframe.jpg", CTL_E_INVALIDPICTURE}};
  for (auto& r : rows) {
    SCOPED_TRACE(r.name);
    PictureDescription pic;
    pic.Type = 42;
    EXPECT_EQ(LoadPicture(u16(dir.file(r.name)).c_str(), &pic), r.hr);
    EXPECT_EQ(pic.Type, 42);
  }
  EXPECT_EQ(LoadPicture(u"", nullptr), E_POINTER);
}

TEST(LoadPicture, NonAsciiPathWithBlanks) {
  TempDir dir;
  BmpShape s;
  s.width = 1;
  s.height = 1;
  s.values = {0xABCDEF};
  writeFile(dir.file("пиксель арт 1.bmp"), makeBmp(s));
  PictureDescription pic;
  ASSERT_EQ(LoadPicture(u16(dir.file("пиксель арт 1.bmp")).c_str(), &pic), S_OK);
  EXPECT_EQ(pixel(reinterpret_cast<HBITMAP>(pic.Handle), 0, 0), RGB(0xAB, 0xCD, 0xEF));
  EXPECT_TRUE(DeleteObject(reinterpret_cast<HBITMAP>(pic.Handle)));
}

}  // namespace
