// Metafiles through GdipCreateBitmapFromFile: drawn at their own size, raw formats,
// resolutions, the background behind what the records leave unpainted, refusals.
#include <gtest/gtest.h>

#include "platform/codecs/test_metafiles.h"
#include "platform/codecs/test_pictures.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/gdiplus/image_formats.h"
#include "platform/gdiplus/test_session.h"

namespace {

using namespace quendel::testpics;
namespace gp = quendel::gdiplus;

constexpr std::uint32_t kGreen = 0x00FF00;

// A green square over the left half of the picture; the right half is left unpainted.
std::vector<FilledRect> leftHalf(int w, int h) { return {{0, 0, w / 2, h, kGreen}}; }

TEST(GdiplusMetafile, DrawnAtTheirOwnSizeWithTheirRawFormat) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    UINT width, height;
    GUID raw;
    REAL dpi;
  };
  const Case cases[] = {
      {"placeable wmf", makeWmf(40, 20, leftHalf(40, 20)), 40, 20, gp::ImageFormatWMF, 96},
      {"placeable wmf in twips", makeWmf(1440, 720, leftHalf(1440, 720), true, 1440), 96, 48, gp::ImageFormatWMF, 96},
      {"plain wmf", makeWmf(30, 10, leftHalf(30, 10), false), 30, 10, gp::ImageFormatWMF, 96},
      {"emf", makeEmf(40, 20, leftHalf(40, 20)), 40, 20, gp::ImageFormatEMF, 96},
  };
  Session s;
  ASSERT_EQ(s.status, Ok);
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir.file("m"), c.bytes);
    GpBitmap* image = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromFile(u16(dir.file("m")).c_str(), &image), Ok);
    UINT w = 0, h = 0;
    REAL dpiX = 0, dpiY = 0;
    GUID raw{};
    PixelFormat format = 0;
    ASSERT_EQ(GdipGetImageWidth(image, &w), Ok);
    ASSERT_EQ(GdipGetImageHeight(image, &h), Ok);
    ASSERT_EQ(GdipGetImageHorizontalResolution(image, &dpiX), Ok);
    ASSERT_EQ(GdipGetImageVerticalResolution(image, &dpiY), Ok);
    ASSERT_EQ(GdipGetImageRawFormat(image, &raw), Ok);
    ASSERT_EQ(GdipGetImagePixelFormat(image, &format), Ok);
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    EXPECT_EQ(raw, c.raw);
    EXPECT_FLOAT_EQ(dpiX, c.dpi);
    EXPECT_FLOAT_EQ(dpiY, c.dpi);
    EXPECT_EQ(format, PixelFormat32bppRGB);
    // The GDI bitmap: green where painted, the background (here blue) elsewhere.
    HBITMAP bitmap = nullptr;
    ASSERT_EQ(GdipCreateHBITMAPFromBitmap(image, &bitmap, 0xFF0000FFu), Ok);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, static_cast<int>(w / 4), static_cast<int>(h / 2)), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, static_cast<int>(w * 3 / 4), static_cast<int>(h / 2)), RGB(0, 0, 255));
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(GdipDisposeImage(image), Ok);
  }
}

TEST(GdiplusMetafile, DamagedAndOversizedFilesAreRefused) {
  auto cut = makeEmf(40, 20, leftHalf(40, 20));
  cut.resize(cut.size() - 8);
  auto badRecord = makeWmf(40, 20, leftHalf(40, 20));
  badRecord[kWmfPlaceableBytes + kWmfHeaderBytes] = 0;  // first record of zero words
  badRecord[kWmfPlaceableBytes + kWmfHeaderBytes + 1] = 0;
  const auto tooMany = makeEmf(4, 4, std::vector<FilledRect>(260000, {0, 0, 1, 1, kGreen}));
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    Status status;
  };
  const Case cases[] = {
      {"emf cut short", cut, InvalidParameter},
      {"wmf record of zero words", badRecord, InvalidParameter},
      {"box beyond the pixel limit", makeWmf(20000, 20000, {}, true, 2), OutOfMemory},
      {"more records than allowed", tooMany, OutOfMemory},
  };
  Session s;
  ASSERT_EQ(s.status, Ok);
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir.file("m"), c.bytes);
    GpBitmap* image = reinterpret_cast<GpBitmap*>(&dir);
    EXPECT_EQ(GdipCreateBitmapFromFile(u16(dir.file("m")).c_str(), &image), c.status);
    EXPECT_EQ(image, reinterpret_cast<GpBitmap*>(&dir)) << "the output is untouched";
  }
}

}  // namespace
