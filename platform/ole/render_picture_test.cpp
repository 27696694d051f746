// Metafile pictures through the OLE loader: loading, sizes, refusals, and drawing.
#include "platform/ole/render_picture.h"

#include <gtest/gtest.h>

#include "platform/codecs/test_metafiles.h"
#include "platform/codecs/test_pictures.h"
#include "platform/gdi/gdi.h"

namespace {

using namespace quendel::testpics;

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGrey = RGB(128, 128, 128);

// A red left half and a blue right half on a 40 x 20 picture.
std::vector<FilledRect> halves() { return {{0, 0, 20, 20, kRed}, {20, 0, 40, 20, kBlue}}; }

void release(const PictureDescription& p) {
  if (p.Type == PICTYPE_METAFILE) {
    EXPECT_TRUE(DeleteMetaFile(reinterpret_cast<HMETAFILE>(p.Handle)));
  } else if (p.Type == PICTYPE_ENHMETAFILE) {
    EXPECT_TRUE(DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(p.Handle)));
  }
}

TEST(LoadPictureMetafile, TypesAndHimetricSizes) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    HRESULT hr;
    short type;
    LONG width, height;
  };
  auto recordPastEnd = makeEmf(40, 20, halves());
  recordPastEnd[kEmfHeaderBytes + 4] = 0xF0;  // the first record's size
  auto hugeBox = makeWmf(30000, 30000, halves(), true, 10);
  const Case cases[] = {
      {"placeable wmf at 96 per inch", makeWmf(40, 20, halves()), S_OK, PICTYPE_METAFILE, 1058, 529},
      {"placeable wmf in twips", makeWmf(2880, 1440, halves(), true, 1440), S_OK, PICTYPE_METAFILE, 5080, 2540},
      {"emf: its frame", makeEmf(40, 20, halves()), S_OK, PICTYPE_ENHMETAFILE, 1057, 528},
      {"plain wmf is no OLE picture", makeWmf(40, 20, halves(), false), CTL_E_INVALIDPICTURE, 0, 0, 0},
      {"emf record past the end", recordPastEnd, CTL_E_INVALIDPICTURE, 0, 0, 0},
      {"wmf cut short", std::vector<std::uint8_t>(halves().size() + 40, 0), CTL_E_INVALIDPICTURE, 0, 0, 0},
      {"box beyond the pixel limit", hugeBox, E_OUTOFMEMORY, 0, 0, 0},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> bytes = c.bytes;
    if (std::string(c.name) == "wmf cut short") {
      bytes = makeWmf(40, 20, halves());
      bytes.resize(bytes.size() - 10);
    }
    writeFile(dir.file("p"), bytes);
    PictureDescription pic;
    pic.Width = -5;
    ASSERT_EQ(LoadPicture(u16(dir.file("p")).c_str(), &pic), c.hr);
    if (FAILED(c.hr)) {
      EXPECT_EQ(pic.Width, -5);
      continue;
    }
    EXPECT_EQ(pic.Type, c.type);
    EXPECT_EQ(pic.Width, c.width);
    EXPECT_EQ(pic.Height, c.height);
    EXPECT_EQ(pic.hPal, nullptr);
    release(pic);
  }
}

struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  Canvas(int w, int h) : bitmap(CreateCompatibleBitmap(nullptr, w, h)), old(SelectObject(dc, bitmap)) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) SetPixel(dc, x, y, kGrey);
  }
  ~Canvas() {
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bitmap));
  }
};

TEST(RenderPicture, MetafilesAreStretchedOntoTheirRectangle) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    LONG x, y, cx, cy;  // on a 100 x 50 canvas
  };
  const Case cases[] = {
      {"wmf at its size", makeWmf(40, 20, halves()), 0, 0, 40, 20},
      {"wmf stretched", makeWmf(40, 20, halves()), 10, 5, 80, 40},
      {"emf at its size", makeEmf(40, 20, halves()), 0, 0, 40, 20},
      {"emf stretched", makeEmf(40, 20, halves()), 10, 5, 80, 40},
      {"emf partly off the canvas", makeEmf(40, 20, halves()), 60, 30, 80, 40},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir.file("p"), c.bytes);
    PictureDescription pic;
    ASSERT_EQ(LoadPicture(u16(dir.file("p")).c_str(), &pic), S_OK);
    Canvas canvas(100, 50);
    ASSERT_EQ(RenderPicture(&pic, canvas.dc, c.x, c.y, c.cx, c.cy), S_OK);
    for (int y = 0; y < 50; y += 3) {
      for (int x = 0; x < 100; x += 3) {
        const double fx = (x + 0.5 - c.x) / c.cx, fy = (y + 0.5 - c.y) / c.cy;
        const bool inside = fx >= 0 && fx < 1 && fy >= 0 && fy < 1;
        const double edgeX = std::min({std::abs(fx), std::abs(fx - 0.5), std::abs(fx - 1)}) * c.cx;
        const double edgeY = std::min(std::abs(fy), std::abs(fy - 1)) * c.cy;
        if (edgeX < 2 || edgeY < 2) continue;  // edges may round either way
        const COLORREF want = !inside ? kGrey : fx < 0.5 ? kRed : kBlue;
        ASSERT_EQ(GetPixel(canvas.dc, x, y), want) << x << "," << y;
      }
    }
    release(pic);
  }
}

TEST(RenderPicture, RefusalsLeaveTheCanvasAlone) {
  TempDir dir;
  writeFile(dir.file("p.emf"), makeEmf(40, 20, halves()));
  PictureDescription emf;
  ASSERT_EQ(LoadPicture(u16(dir.file("p.emf")).c_str(), &emf), S_OK);
  Canvas canvas(10, 10);
  PictureDescription bitmap{PICTYPE_BITMAP, reinterpret_cast<UINT_PTR>(canvas.bitmap), nullptr, 1, 1};
  PictureDescription stale = emf;
  stale.Handle += 1000;
  HDC bare = CreateCompatibleDC(nullptr);
  struct Case {
    const char* name;
    const PictureDescription* pic;
    HDC dc;
    LONG cx, cy;
    HRESULT hr;
  };
  const Case cases[] = {
      {"null picture", nullptr, canvas.dc, 10, 10, E_POINTER},
      {"a bitmap picture", &bitmap, canvas.dc, 10, 10, E_INVALIDARG},
      {"made-up handle", &stale, canvas.dc, 10, 10, E_INVALIDARG},
      {"dc without a bitmap of its own", &emf, nullptr, 10, 10, E_INVALIDARG},
      {"empty rectangle", &emf, canvas.dc, 0, 10, E_INVALIDARG},
      {"rectangle beyond the pixel limit", &emf, canvas.dc, 100000, 10, E_OUTOFMEMORY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RenderPicture(c.pic, c.dc, 0, 0, c.cx, c.cy), c.hr);
    EXPECT_EQ(GetPixel(canvas.dc, 5, 5), kGrey);
  }
  EXPECT_TRUE(DeleteDC(bare));
  release(emf);
}

}  // namespace
