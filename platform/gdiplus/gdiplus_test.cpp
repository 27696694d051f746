#include "platform/gdiplus/gdiplus.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "platform/codecs/file_sink.h"
#include "platform/codecs/png_writer.h"
#include "platform/codecs/test_pictures.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/image_formats.h"
#include "platform/gdiplus/test_session.h"

namespace {

using namespace quendel::testpics;
namespace gp = quendel::gdiplus;

std::vector<std::uint32_t> rowsOf(GpImage* image) {
  auto rows = gp::imageRows(image);
  std::vector<std::uint32_t> out, scratch(static_cast<std::size_t>(rows->width()));
  for (int y = 0; y < rows->height(); ++y) {
    const std::uint32_t* r = rows->row(y, scratch.data());
    out.insert(out.end(), r, r + rows->width());
  }
  return out;
}

GpStatus load(const std::string& path, GpBitmap** out) { return GdipCreateBitmapFromFile(u16(path).c_str(), out); }

TEST(Gdiplus, SessionsAndVersions) {
  GpBitmap* image = nullptr;
  UINT w;
  EXPECT_EQ(GdipCreateBitmapFromFile(u"/nonexistent", &image), GdiplusNotInitialized);
  EXPECT_EQ(GdipGetImageWidth(nullptr, &w), GdiplusNotInitialized);
  EXPECT_EQ(GdipDisposeImage(nullptr), GdiplusNotInitialized);
  GdiplusStartupInput in;
  ULONG_PTR token = 0;
  in.GdiplusVersion = 2;
  EXPECT_EQ(GdiplusStartup(&token, &in, nullptr), UnsupportedGdiplusVersion);
  in.GdiplusVersion = 1;
  EXPECT_EQ(GdiplusStartup(nullptr, &in, nullptr), InvalidParameter);
  in.SuppressBackgroundThread = 1;
  EXPECT_EQ(GdiplusStartup(&token, &in, nullptr), InvalidParameter);
  in.SuppressBackgroundThread = 0;
  {
    Session a, b;
    ASSERT_EQ(a.status, Ok);
    ASSERT_EQ(b.status, Ok);
    EXPECT_NE(a.token, b.token);
    GdiplusShutdown(a.token);
    EXPECT_EQ(GdipGetImageWidth(nullptr, &w), InvalidParameter) << "one session is still open";
  }
  EXPECT_EQ(GdipGetImageWidth(nullptr, &w), GdiplusNotInitialized);
}

TEST(Gdiplus, LoadStatuses) {
  Session s;
  TempDir dir;
  writeFile(dir.file("empty"), {});
  writeFile(dir.file("text.txt"), {'h', 'e', 'l', 'l', 'o', '\n'});
  writeFile(dir.file("a.cur"), makeIcon({{32, 32}}, true));
  auto cut = [&](const std::string& name, std::vector<std::uint8_t> bytes) {
    bytes.resize(bytes.size() * 2 / 3);
    writeFile(dir.file(name), bytes);
  };
  const Pixels pic = pattern(40, 40, false);
  cut("cut.png", makePng(pic, PNG_COLOR_TYPE_RGB, 8, false));
  cut("cut.jpg", makeJpeg(pic, 0, false));
  BmpShape bmp;
  bmp.width = bmp.height = 40;
  bmp.values.assign(1600, 0x808080);
  cut("cut.bmp", makeBmp(bmp));
  Pixels idx;
  idx.width = idx.height = 40;
  for (int i = 0; i < 1600; ++i) idx.argb.push_back(static_cast<std::uint32_t>((i * 7) % 5));
  makeGif(dir.file("g.gif"), idx, {1, 2, 3, 4, 5}, -1, false);
  cut("cut.gif", readFile(dir.file("g.gif")));
  makeTiff(dir.file("t.tif"), pic, COMPRESSION_NONE, 2, 8, false);
  cut("cut.tif", readFile(dir.file("t.tif")));
  auto huge = makePng(pattern(2, 2, false), PNG_COLOR_TYPE_RGB, 8, false);
  huge[16] = 0;
  huge[17] = 1;
  huge[18] = 0x86;
  huge[19] = 0xA0;  // width 100000 (CRC now wrong too)
  writeFile(dir.file("huge.png"), huge);
  ::mkdir(dir.file("folder").c_str(), 0755);
  struct {
    std::string name;
    Status status;
  } rows[] = {{"missing.png", Win32Error},      {"folder", Win32Error},        {"empty", UnknownImageFormat},
              {"text.txt", UnknownImageFormat}, {"a.cur", UnknownImageFormat}, {"cut.png", InvalidParameter},
              {"cut.jpg", InvalidParameter},    {"cut.bmp", InvalidParameter}, {"cut.gif", InvalidParameter},
              {"cut.tif", InvalidParameter}};
  for (auto& r : rows) {
    SCOPED_TRACE(r.name);
    GpBitmap* image = reinterpret_cast<GpBitmap*>(0x1);
    EXPECT_EQ(load(dir.file(r.name), &image), r.status);
    EXPECT_EQ(image, reinterpret_cast<GpBitmap*>(0x1)) << "output untouched";
  }
  GpBitmap* image;
  const Status hugeStatus = load(dir.file("huge.png"), &image);
  EXPECT_TRUE(hugeStatus == OutOfMemory || hugeStatus == InvalidParameter) << hugeStatus;
  EXPECT_EQ(GdipCreateBitmapFromFile(nullptr, &image), InvalidParameter);
  EXPECT_EQ(GdipDisposeImage(reinterpret_cast<GpImage*>(&image)), InvalidParameter) << "not an image";
}

TEST(Gdiplus, PngKindsFormatsAndPixels) {
  Session s;
  TempDir dir;
  const Pixels rgb = pattern(13, 7, false), rgba = pattern(13, 7, true);
  Pixels indices;
  indices.width = 13;
  indices.height = 7;
  for (int i = 0; i < 91; ++i) indices.argb.push_back(static_cast<std::uint32_t>(i % 4));
  const std::vector<std::uint32_t> palette = {0xFF102030, 0x00405060, 0x80708090, 0xFFFFFFFF};
  Pixels grey = rgb;
  for (auto& p : grey.argb) p = 0xFF000000u | ((p >> 16) & 0xFF) * 0x010101u;
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    PixelFormat format;
    std::vector<std::uint32_t> expect;
  };
  std::vector<std::uint32_t> fromPalette;
  for (auto i : indices.argb) fromPalette.push_back(palette[i]);
  Pixels grey1 = grey;
  for (auto& p : grey1.argb) p = (p & 0x80) ? 0xFFFFFFFFu : 0xFF000000u;
  std::vector<std::uint32_t> rgbaStraight = rgba.argb;
  const Case cases[] = {
      {"rgb8", makePng(rgb, PNG_COLOR_TYPE_RGB, 8, false), PixelFormat24bppRGB, rgb.argb},
      {"rgb8 interlaced", makePng(rgb, PNG_COLOR_TYPE_RGB, 8, true), PixelFormat24bppRGB, rgb.argb},
      {"rgba8", makePng(rgba, PNG_COLOR_TYPE_RGBA, 8, false), PixelFormat32bppARGB, rgbaStraight},
      {"rgb16", makePng(rgb, PNG_COLOR_TYPE_RGB, 16, false), PixelFormat48bppRGB, rgb.argb},
      {"rgba16 interlaced", makePng(rgba, PNG_COLOR_TYPE_RGBA, 16, true), PixelFormat64bppARGB, rgbaStraight},
      {"grey8", makePng(grey, PNG_COLOR_TYPE_GRAY, 8, false), PixelFormat8bppIndexed, grey.argb},
      {"grey1", makePng(grey1, PNG_COLOR_TYPE_GRAY, 1, false), PixelFormat1bppIndexed, grey1.argb},
      {"grey16", makePng(grey, PNG_COLOR_TYPE_GRAY, 16, false), PixelFormat48bppRGB, grey.argb},
      {"palette2 with tRNS", makePng(indices, PNG_COLOR_TYPE_PALETTE, 2, false, palette), PixelFormat4bppIndexed,
       fromPalette},
      {"palette8 with tRNS", makePng(indices, PNG_COLOR_TYPE_PALETTE, 8, true, palette), PixelFormat8bppIndexed,
       fromPalette},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir.file("a.png"), c.bytes);
    GpBitmap* image = nullptr;
    ASSERT_EQ(load(dir.file("a.png"), &image), Ok);
    PixelFormat f;
    GUID raw;
    UINT w, h;
    ASSERT_EQ(GdipGetImagePixelFormat(image, &f), Ok);
    EXPECT_EQ(f, c.format);
    ASSERT_EQ(GdipGetImageRawFormat(image, &raw), Ok);
    EXPECT_EQ(raw, gp::ImageFormatPNG);
    EXPECT_EQ(GdipGetImageWidth(image, &w), Ok);
    EXPECT_EQ(GdipGetImageHeight(image, &h), Ok);
    EXPECT_EQ(w, 13u);
    EXPECT_EQ(h, 7u);
    EXPECT_EQ(rowsOf(image), c.expect);
    EXPECT_EQ(GdipDisposeImage(image), Ok);
  }
}

TEST(Gdiplus, TiffCompressionsAndKinds) {
  Session s;
  TempDir dir;
  const Pixels rgb = pattern(20, 11, false), rgba = pattern(20, 11, true);
  Pixels grey = rgb;
  for (auto& p : grey.argb) p = 0xFF000000u | ((p >> 16) & 0xFF) * 0x010101u;
  struct Case {
    const char* name;
    int compression, photometric, bits;
    bool alpha;
    const Pixels* px;
    PixelFormat format;
    int tolerance;
  } cases[] = {
      {"rgb none", COMPRESSION_NONE, 2, 8, false, &rgb, PixelFormat24bppRGB, 0},
      {"rgb lzw", COMPRESSION_LZW, 2, 8, false, &rgb, PixelFormat24bppRGB, 0},
      {"rgb deflate", COMPRESSION_ADOBE_DEFLATE, 2, 8, false, &rgb, PixelFormat24bppRGB, 0},
      {"rgb packbits", COMPRESSION_PACKBITS, 2, 8, false, &rgb, PixelFormat24bppRGB, 0},
      {"rgb jpeg", COMPRESSION_JPEG, 2, 8, false, &rgb, PixelFormat24bppRGB, 40},
      {"rgba lzw", COMPRESSION_LZW, 2, 8, true, &rgba, PixelFormat32bppARGB, 0},
      {"rgb16", COMPRESSION_NONE, 2, 16, false, &rgb, PixelFormat48bppRGB, 0},
      {"grey8", COMPRESSION_LZW, 1, 8, false, &grey, PixelFormat8bppIndexed, 0},
      {"grey16", COMPRESSION_NONE, 1, 16, false, &grey, PixelFormat48bppRGB, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    makeTiff(dir.file("a.tif"), *c.px, c.compression, c.photometric, c.bits, c.alpha, 150);
    GpBitmap* image = nullptr;
    ASSERT_EQ(load(dir.file("a.tif"), &image), Ok);
    PixelFormat f;
    EXPECT_EQ(GdipGetImagePixelFormat(image, &f), Ok);
    EXPECT_EQ(f, c.format);
    GUID raw;
    EXPECT_EQ(GdipGetImageRawFormat(image, &raw), Ok);
    EXPECT_EQ(raw, gp::ImageFormatTIFF);
    REAL dpi;
    EXPECT_EQ(GdipGetImageHorizontalResolution(image, &dpi), Ok);
    EXPECT_FLOAT_EQ(dpi, 150.0f);
    const auto got = rowsOf(image);
    ASSERT_EQ(got.size(), c.px->argb.size());
    int worst = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
      const std::uint32_t a = c.px->argb[i] >> 24;
      if (a == 0) continue;  // colour of a fully transparent pixel is not kept
      for (int sh = 0; sh < 32; sh += 8) {
        const int tol = (sh < 24 && a < 255) ? 255 / static_cast<int>(a) + 1 : 0;
        const int d =
            std::abs(static_cast<int>((got[i] >> sh) & 0xFF) - static_cast<int>((c.px->argb[i] >> sh) & 0xFF));
        worst = std::max(worst, d - tol);
      }
    }
    EXPECT_LE(worst, c.tolerance);
    EXPECT_EQ(GdipDisposeImage(image), Ok);
  }
  // A palette file: the palette of the helper maps index i to (i, 255 - i, 3i mod 256).
  Pixels idx;
  idx.width = idx.height = 4;
  for (int i = 0; i < 16; ++i) idx.argb.push_back(static_cast<std::uint32_t>(i * 16));
  makeTiff(dir.file("p.tif"), idx, COMPRESSION_PACKBITS, 3, 8, false);
  GpBitmap* image = nullptr;
  ASSERT_EQ(load(dir.file("p.tif"), &image), Ok);
  PixelFormat f;
  EXPECT_EQ(GdipGetImagePixelFormat(image, &f), Ok);
  EXPECT_EQ(f, PixelFormat8bppIndexed);
  const auto got = rowsOf(image);
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t v = static_cast<std::uint32_t>(i * 16);
    EXPECT_EQ(got[i], 0xFF000000u | (v << 16) | ((255 - v) << 8) | (v * 3 % 256));
  }
  EXPECT_EQ(GdipDisposeImage(image), Ok);
}

TEST(Gdiplus, RawFormatsPixelFormatsAndResolutions) {
  Session s;
  TempDir dir;
  BmpShape bmp;
  bmp.width = bmp.height = 2;
  bmp.values.assign(4, 0x112233);
  writeFile(dir.file("a.bmp"), makeBmp(bmp));
  bmp.bits = 8;
  bmp.palette = {0x000000, 0xFFFFFF};
  bmp.values.assign(4, 1);
  writeFile(dir.file("8.bmp"), makeBmp(bmp));
  const Pixels px = pattern(8, 8, false);
  writeFile(dir.file("a.jpg"), makeJpeg(px, 0, false, 72));
  writeFile(dir.file("g.jpg"), makeJpeg(px, 1, false));
  writeFile(dir.file("c.jpg"), makeJpeg(px, 2, true));
  Pixels idx;
  idx.width = idx.height = 2;
  idx.argb = {0, 1, 1, 0};
  makeGif(dir.file("a.gif"), idx, {0xFF0000, 0x0000FF}, -1, false);
  writeFile(dir.file("a.ico"), makeIcon({{32, 24}}, false));
  writeFile(dir.file("a.png"), makePng(px, PNG_COLOR_TYPE_RGB, 8, false, {}, 300));
  struct {
    const char* name;
    GUID raw;
    PixelFormat format;
    REAL dpi;
  } rows[] = {
      {"a.bmp", gp::ImageFormatBMP, PixelFormat24bppRGB, 96.012f},
      {"8.bmp", gp::ImageFormatBMP, PixelFormat8bppIndexed, 96.012f},
      {"a.jpg", gp::ImageFormatJPEG, PixelFormat24bppRGB, 72},
      {"g.jpg", gp::ImageFormatJPEG, PixelFormat8bppIndexed, 96},
      {"c.jpg", gp::ImageFormatJPEG, PixelFormat32bppCMYK, 96},
      {"a.gif", gp::ImageFormatGIF, PixelFormat8bppIndexed, 96},
      {"a.ico", gp::ImageFormatIcon, PixelFormat32bppARGB, 96},
      {"a.png", gp::ImageFormatPNG, PixelFormat24bppRGB, 299.9994f},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.name);
    GpBitmap* image = nullptr;
    ASSERT_EQ(load(dir.file(r.name), &image), Ok);
    GUID raw;
    PixelFormat f;
    REAL x, y;
    EXPECT_EQ(GdipGetImageRawFormat(image, &raw), Ok);
    EXPECT_EQ(GdipGetImagePixelFormat(image, &f), Ok);
    EXPECT_EQ(GdipGetImageHorizontalResolution(image, &x), Ok);
    EXPECT_EQ(GdipGetImageVerticalResolution(image, &y), Ok);
    EXPECT_EQ(quendel::guidToString(raw), quendel::guidToString(r.raw));
    EXPECT_EQ(f, r.format);
    EXPECT_NEAR(x, r.dpi, 0.01);
    EXPECT_NEAR(y, r.dpi, 0.01);
    EXPECT_EQ(GdipDisposeImage(image), Ok);
  }
}

COLORREF pixel(HBITMAP b, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  const COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteDC(dc));
  return c;
}

TEST(Gdiplus, HbitmapBlendsOverTheBackground) {
  Session s;
  TempDir dir;
  Pixels p;
  p.width = 3;
  p.height = 1;
  p.argb = {0x00FFFFFF, 0x80FF0000, 0xFF00FF00};
  writeFile(dir.file("a.png"), makePng(p, PNG_COLOR_TYPE_RGBA, 8, false));
  GpBitmap* image = nullptr;
  ASSERT_EQ(load(dir.file("a.png"), &image), Ok);
  struct {
    ARGB background;
    COLORREF expect[3];
  } rows[] = {{0, {0, RGB(128, 0, 0), RGB(0, 255, 0)}},
              {0xFF0000FF, {RGB(0, 0, 255), RGB(128, 0, 127), RGB(0, 255, 0)}}};
  for (auto& r : rows) {
    HBITMAP hbm = nullptr;
    ASSERT_EQ(GdipCreateHBITMAPFromBitmap(image, &hbm, r.background), Ok);
    BITMAP bm;
    ASSERT_EQ(GetObjectA(hbm, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmBitsPixel, 32);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(pixel(hbm, x, 0), r.expect[x]) << x;
    EXPECT_TRUE(DeleteObject(hbm));
  }
  HBITMAP hbm;
  EXPECT_EQ(GdipCreateHBITMAPFromBitmap(nullptr, &hbm, 0), InvalidParameter);
  EXPECT_EQ(GdipDisposeImage(image), Ok);
  EXPECT_EQ(GdipDisposeImage(image), InvalidParameter) << "disposed twice";
}

bool pngcheckAccepts(const std::string& path) {
  if (::access("/usr/bin/pngcheck", X_OK) != 0) return true;
  return std::system(("/usr/bin/pngcheck -q '" + path + "' >/dev/null 2>&1").c_str()) == 0;
}

HBITMAP bitmapOf(const Pixels& p) {
  auto store = quendel::gdi::PixelStore::create(p.width, p.height, false);
  std::copy(p.argb.begin(), p.argb.end(), store->data());
  return quendel::gdi::createBitmapFromStore(store, 32);
}

TEST(Gdiplus, SaveAndReloadPngAndBmp) {
  Session s;
  TempDir dir;
  const Pixels p = pattern(37, 21, false);
  HBITMAP hbm = bitmapOf(p);
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(hbm, nullptr, &image), Ok);
  PixelFormat f;
  GUID raw;
  REAL dpi;
  EXPECT_EQ(GdipGetImagePixelFormat(image, &f), Ok);
  EXPECT_EQ(GdipGetImageRawFormat(image, &raw), Ok);
  EXPECT_EQ(GdipGetImageHorizontalResolution(image, &dpi), Ok);
  EXPECT_EQ(f, PixelFormat32bppRGB);
  EXPECT_EQ(raw, gp::ImageFormatMemoryBMP);
  EXPECT_EQ(dpi, 96.0f);
  // One parameter entry of zeros, as callers pass it.
  struct {
    UINT Count;
    EncoderParameter Parameter[10];
  } params{};
  params.Count = 1;
  const auto* ep = reinterpret_cast<const EncoderParameters*>(&params);
  for (bool png : {true, false}) {
    SCOPED_TRACE(png ? "png" : "bmp");
    const std::string out = dir.file(png ? "out put.png" : "out put.bmp");
    ASSERT_EQ(GdipSaveImageToFile(image, u16(out).c_str(), png ? &gp::EncoderPNG : &gp::EncoderBMP, ep), Ok);
    if (png) {
      EXPECT_TRUE(pngcheckAccepts(out));
    }
    GpBitmap* back = nullptr;
    ASSERT_EQ(load(out, &back), Ok);
    EXPECT_EQ(GdipGetImagePixelFormat(back, &f), Ok);
    EXPECT_EQ(f, png ? PixelFormat24bppRGB : PixelFormat32bppRGB);
    EXPECT_EQ(rowsOf(back), p.argb);
    EXPECT_EQ(GdipDisposeImage(back), Ok);
  }
  EXPECT_EQ(GdipDisposeImage(image), Ok);
  // A picture with alpha is written as RGBA PNG and 32-bit BMP, alpha kept.
  const Pixels a = pattern(9, 5, true);
  writeFile(dir.file("a.png"), makePng(a, PNG_COLOR_TYPE_RGBA, 8, false));
  ASSERT_EQ(load(dir.file("a.png"), &image), Ok);
  for (bool png : {true, false}) {
    const std::string out = dir.file(png ? "b.png" : "b.bmp");
    ASSERT_EQ(GdipSaveImageToFile(image, u16(out).c_str(), png ? &gp::EncoderPNG : &gp::EncoderBMP, nullptr), Ok);
    GpBitmap* back = nullptr;
    ASSERT_EQ(load(out, &back), Ok);
    if (png) {
      EXPECT_EQ(rowsOf(back), a.argb);
    }
    EXPECT_EQ(GdipDisposeImage(back), Ok);
  }
  EXPECT_EQ(GdipDisposeImage(image), Ok);
  EXPECT_TRUE(DeleteObject(hbm));
}

class Doubled final : public quendel::gdi::RowSource {
 public:
  explicit Doubled(Pixels p) : p_(std::move(p)) {}
  int width() const override { return p_.width * 2; }
  int height() const override { return p_.height * 2; }
  const std::uint32_t* row(int y, std::uint32_t* s) const override {
    for (int x = 0; x < width(); ++x) s[x] = p_.at(x / 2, y / 2);
    return s;
  }
  bool repeatsPreviousRow(int y) const override { return y % 2 == 1; }

 private:
  Pixels p_;
};

TEST(Gdiplus, VirtualBitmapStreamsIntoTheEncoders) {
  Session s;
  TempDir dir;
  const Pixels p = pattern(50, 30, false);
  HBITMAP hbm = quendel::gdi::createVirtualBitmap(std::make_shared<Doubled>(p), 32);
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(hbm, nullptr, &image), Ok);
  ASSERT_EQ(GdipSaveImageToFile(image, u16(dir.file("d.png")).c_str(), &gp::EncoderPNG, nullptr), Ok);
  EXPECT_TRUE(pngcheckAccepts(dir.file("d.png")));
  GpBitmap* back = nullptr;
  ASSERT_EQ(load(dir.file("d.png"), &back), Ok);
  const auto got = rowsOf(back);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(got[y * 100 + x], p.at(x / 2, y / 2)) << x << "," << y;
  EXPECT_EQ(GdipDisposeImage(back), Ok);
  EXPECT_EQ(GdipDisposeImage(image), Ok);
  EXPECT_TRUE(DeleteObject(hbm));
}

// An enlargement that fills three of each 2 x 2 block (the fourth black), with the hint
// that odd rows keep the even columns of the row above; `honest` false gives the hint
// for rows that do not, which the PNG encoder must survive.
class PartlyDoubled final : public quendel::gdi::RowSource {
 public:
  PartlyDoubled(Pixels p, bool honest) : p_(std::move(p)), honest_(honest) {}
  int width() const override { return p_.width * 2; }
  int height() const override { return p_.height * 2; }
  const std::uint32_t* row(int y, std::uint32_t* s) const override {
    for (int x = 0; x < width(); ++x) s[x] = expected(x, y);
    return s;
  }
  bool keepsEvenColumnsOfPreviousRow(int y) const override { return honest_ ? y % 2 == 1 : y % 3 != 0; }
  std::uint32_t expected(int x, int y) const {
    const std::uint32_t c = p_.at(x / 2, y / 2);
    if (honest_) return (y % 2 == 1 && x % 2 == 1) ? (c & 0xFF000000u) : c;
    return p_.at((x + y) % p_.width, (x * y) % p_.height);
  }

 private:
  Pixels p_;
  bool honest_;
};

TEST(Gdiplus, PartlyDoubledRowsReadBackExactly) {
  Session s;
  TempDir dir;
  // 1 and 3 pixels wide for the smallest and odd units; 40 x 25 with alpha across
  // several rows of each kind; 6000 wide (12000 enlarged) puts the row above out of the
  // coder's window.
  for (auto [w, h, alpha] : {std::tuple{1, 1, false}, {3, 2, false}, {40, 25, true}, {40, 25, false}, {6000, 2, false}})
    for (bool honest : {true, false}) {
      SCOPED_TRACE(testing::Message() << w << "x" << h << (alpha ? " alpha" : "") << (honest ? "" : " wrong hint"));
      const PartlyDoubled rows(pattern(w, h, alpha), honest);
      const std::string path = dir.file("partly.png");
      {
        quendel::codecs::FileSink sink;
        ASSERT_EQ(sink.open(path), 0);
        quendel::codecs::PngOptions options;
        options.alpha = alpha;
        ASSERT_TRUE(quendel::codecs::writePng(rows, options, sink));
        ASSERT_EQ(sink.commit(), 0);
      }
      EXPECT_TRUE(pngcheckAccepts(path));
      GpBitmap* back = nullptr;
      ASSERT_EQ(load(path, &back), Ok);
      const auto got = rowsOf(back);
      ASSERT_EQ(got.size(), static_cast<std::size_t>(rows.width()) * rows.height());
      const std::uint32_t mask = alpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
      for (int y = 0; y < rows.height(); ++y)
        for (int x = 0; x < rows.width(); ++x)
          ASSERT_EQ(got[static_cast<std::size_t>(y) * rows.width() + x] & mask, rows.expected(x, y) & mask)
              << x << "," << y;
      EXPECT_EQ(GdipDisposeImage(back), Ok);
    }
}

class Huge final : public quendel::gdi::RowSource {
 public:
  int width() const override { return 40000; }
  int height() const override { return 40000; }
  const std::uint32_t* row(int, std::uint32_t* s) const override {
    std::fill(s, s + 40000, 0xFF000000u);
    return s;
  }
};

TEST(Gdiplus, FailedSavesKeepTheExistingFile) {
  Session s;
  TempDir dir;
  HBITMAP small = bitmapOf(pattern(4, 4, false));
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(small, nullptr, &image), Ok);
  const std::string target = dir.file("keep.bmp");
  writeFile(target, {'o', 'l', 'd'});
  const GUID jpegEncoder = quendel::guidFromLiteral("{557CF401-1A04-11D3-9A73-0000F81EF32E}");
  EXPECT_EQ(GdipSaveImageToFile(image, u16(target).c_str(), &jpegEncoder, nullptr), FileNotFound);
  EXPECT_EQ(GdipSaveImageToFile(image, u16(dir.file("no/such/folder.png")).c_str(), &gp::EncoderPNG, nullptr),
            Win32Error);
  EXPECT_EQ(GdipSaveImageToFile(image, u16(dir.file("keep.bmp/x.png")).c_str(), &gp::EncoderPNG, nullptr), Win32Error)
      << "a file where a folder should be";
  ::mkdir(dir.file("sub").c_str(), 0755);
  EXPECT_EQ(GdipSaveImageToFile(image, u16(dir.file("sub")).c_str(), &gp::EncoderPNG, nullptr), Win32Error);
  if (::geteuid() != 0) {
    ::mkdir(dir.file("ro").c_str(), 0555);
    EXPECT_EQ(GdipSaveImageToFile(image, u16(dir.file("ro/a.png")).c_str(), &gp::EncoderPNG, nullptr), Win32Error);
  }
  EXPECT_EQ(GdipDisposeImage(image), Ok);
  // An encoder that fails after the output was opened: a BMP past 4 GiB.
  HBITMAP huge = quendel::gdi::createVirtualBitmap(std::make_shared<Huge>(), 32);
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(huge, nullptr, &image), Ok);
  EXPECT_EQ(GdipSaveImageToFile(image, u16(target).c_str(), &gp::EncoderBMP, nullptr), ValueOverflow);
  EXPECT_EQ(GdipDisposeImage(image), Ok);
  EXPECT_EQ(readFile(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  std::size_t files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2u) << "no temporary file is left behind";
  EXPECT_TRUE(DeleteObject(huge));
  EXPECT_TRUE(DeleteObject(small));
  GpBitmap* out;
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(reinterpret_cast<HBITMAP>(small), nullptr, &out), InvalidParameter);
}

}  // namespace
