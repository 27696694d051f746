// The metafile header readers and the renderer, on metafiles packed here.
#include <gtest/gtest.h>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#include <functional>

#include "platform/codecs/metafile_header.h"
#include "platform/codecs/metafile_renderer.h"
#include "platform/codecs/test_metafiles.h"

using namespace quendel::codecs;
using quendel::gdi::PixelStore;
using quendel::testpics::FilledRect;
using quendel::testpics::kEmfHeaderBytes;
using quendel::testpics::kWmfHeaderBytes;
using quendel::testpics::kWmfPlaceableBytes;

namespace {

constexpr std::uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
constexpr std::uint32_t kRedPixel = 0xFFFF0000u, kGreenPixel = 0xFF00FF00u, kBluePixel = 0xFF0000FFu;
constexpr std::uint32_t kGreyPixel = 0xFF808080u;

void setU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct HeaderCase {
  const char* name;
  std::function<std::vector<std::uint8_t>()> bytes;
  DecodeStatus status;
  MetafileKind kind;
  int width = 0, height = 0;
  std::int32_t himetricWidth = 0, himetricHeight = 0;
};

TEST(MetafileHeader, ReadsSizesAndRefusesDamage) {
  using quendel::testpics::makeEmf;
  using quendel::testpics::makeWmf;
  const std::vector<FilledRect> one = {{0, 0, 10, 10, kRed}};
  const HeaderCase cases[] = {
      {"placeable at 96 per inch", [&] { return makeWmf(40, 30, one); }, DecodeStatus::Ok, MetafileKind::PlaceableWmf,
       40, 30, 1058, 794},
      {"placeable in twips", [&] { return makeWmf(1440, 720, one, true, 1440); }, DecodeStatus::Ok,
       MetafileKind::PlaceableWmf, 96, 48, 2540, 1270},
      {"plain: the window extent", [&] { return makeWmf(50, 20, one, false); }, DecodeStatus::Ok,
       MetafileKind::PlainWmf, 50, 20, 1323, 529},
      {"emf: bounds plus one, frame", [&] { return makeEmf(40, 30, one); }, DecodeStatus::Ok, MetafileKind::Emf, 40, 30,
       1057, 793},
      {"empty", [] { return std::vector<std::uint8_t>{}; }, DecodeStatus::UnknownFormat, MetafileKind::None},
      {"a png", [] { return std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', 13, 10, 26, 10}; },
       DecodeStatus::UnknownFormat, MetafileKind::None},
      {"placeable cut in its header",
       [&] {
         auto b = makeWmf(4, 4, one);
         b.resize(12);
         return b;
       },
       DecodeStatus::Damaged, MetafileKind::None},
      {"wmf without its end record",
       [&] {
         auto b = makeWmf(4, 4, one);
         b.resize(b.size() - 6);
         return b;
       },
       DecodeStatus::Damaged, MetafileKind::None},
      {"wmf record longer than the file",
       [&] {
         auto b = makeWmf(4, 4, one);
         setU32(b, kWmfPlaceableBytes + kWmfHeaderBytes, 0x7FFFFFFF);
         return b;
       },
       DecodeStatus::Damaged, MetafileKind::None},
      {"wmf record of zero words",
       [&] {
         auto b = makeWmf(4, 4, one);
         setU32(b, kWmfPlaceableBytes + kWmfHeaderBytes, 0);
         return b;
       },
       DecodeStatus::Damaged, MetafileKind::None},
      {"placeable with zero units per inch", [&] { return makeWmf(40, 30, one, true, 0); }, DecodeStatus::Damaged,
       MetafileKind::None},
      {"placeable box of zero width", [&] { return makeWmf(0, 30, one); }, DecodeStatus::Damaged, MetafileKind::None},
      {"placeable box beyond the pixel limit", [&] { return makeWmf(30000, 30000, one, true, 1); },
       DecodeStatus::TooLarge, MetafileKind::None},
      {"emf bounds beyond the pixel limit",
       [&] {
         auto b = makeEmf(4, 4, one);
         setU32(b, 16, 200000);
         return b;
       },
       DecodeStatus::TooLarge, MetafileKind::None},
      {"emf inverted bounds",
       [&] {
         auto b = makeEmf(4, 4, one);
         setU32(b, 8, 50);
         return b;
       },
       DecodeStatus::Damaged, MetafileKind::None},
      {"emf header size past the file",
       [&] {
         auto b = makeEmf(4, 4, one);
         setU32(b, 4, 0x10000);
         return b;
       },
       DecodeStatus::Damaged, MetafileKind::None},
      {"emf record size not a multiple of four",
       [&] {
         auto b = makeEmf(4, 4, one);
         setU32(b, kEmfHeaderBytes + 4, 13);
         return b;
       },
       DecodeStatus::Damaged, MetafileKind::None},
      {"emf without its end record",
       [&] {
         auto b = makeEmf(4, 4, one);
         b.resize(b.size() - 20);
         return b;
       },
       DecodeStatus::Damaged, MetafileKind::None},
      {"emf of more records than allowed",
       [&] { return makeEmf(4, 4, std::vector<FilledRect>(kMaxMetafileRecords / 4 + 1, one[0])); },
       DecodeStatus::TooLarge, MetafileKind::None},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> b = c.bytes();
    MetafileHeader h;
    h.widthPixels = -7;
    ASSERT_EQ(readMetafileHeader(b.data(), b.size(), &h), c.status);
    if (c.status != DecodeStatus::Ok) {
      EXPECT_EQ(h.widthPixels, -7) << "the header is untouched on failure";
      continue;
    }
    EXPECT_EQ(h.kind, c.kind);
    EXPECT_EQ(h.widthPixels, c.width);
    EXPECT_EQ(h.heightPixels, c.height);
    EXPECT_EQ(h.widthHimetric, c.himetricWidth);
    EXPECT_EQ(h.heightHimetric, c.himetricHeight);
  }
}

struct RenderCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  int width, height;  // drawn at this size
};

// Two rectangles: red over the top-left quarter, blue over the bottom-right quarter of a
// 40 x 20 picture; the rest is left unpainted.
std::vector<FilledRect> quarters() { return {{0, 0, 20, 10, kRed}, {20, 10, 40, 20, kBlue}}; }

TEST(MetafileRenderer, RectanglesLandOnTheirPixelsAtTheDrawnSize) {
  using quendel::testpics::makeEmf;
  using quendel::testpics::makeWmf;
  const RenderCase cases[] = {
      {"placeable wmf at its size", makeWmf(40, 20, quarters()), 40, 20},
      {"placeable wmf doubled", makeWmf(40, 20, quarters()), 80, 40},
      {"placeable wmf squeezed", makeWmf(40, 20, quarters()), 20, 30},
      {"placeable wmf in twips", makeWmf(40, 20, quarters(), true, 1440), 40, 20},
      {"plain wmf", makeWmf(40, 20, quarters(), false), 40, 20},
      {"emf at its size", makeEmf(40, 20, quarters()), 40, 20},
      {"emf doubled", makeEmf(40, 20, quarters()), 80, 40},
      {"emf squeezed", makeEmf(40, 20, quarters()), 20, 30},
  };
  for (const RenderCase& c : cases) {
    SCOPED_TRACE(c.name);
    MetafileHeader h;
    ASSERT_EQ(readMetafileHeader(c.bytes.data(), c.bytes.size(), &h), DecodeStatus::Ok);
    auto store = PixelStore::create(c.width, c.height, false);
    std::fill(store->data(), store->data() + store->pixelCount(), kGreyPixel);
    ASSERT_EQ(renderMetafile(c.bytes.data(), c.bytes.size(), h, *store), DecodeStatus::Ok);
    // Points well inside each quarter, in fractions of the picture (edges may round
    // either way by a pixel).
    struct Probe {
      double fx, fy;
      std::uint32_t pixel;
    };
    const Probe probes[] = {{0.1, 0.1, kRedPixel},  {0.4, 0.4, kRedPixel},  {0.6, 0.6, kBluePixel},
                            {0.9, 0.9, kBluePixel}, {0.9, 0.1, kGreyPixel}, {0.1, 0.9, kGreyPixel},
                            {0.6, 0.4, kGreyPixel}, {0.4, 0.6, kGreyPixel}};
    for (const Probe& p : probes) {
      const int x = static_cast<int>(p.fx * c.width), y = static_cast<int>(p.fy * c.height);
      EXPECT_EQ(store->row(y)[x], p.pixel) << "at " << x << "," << y;
    }
  }
}

TEST(MetafileRenderer, WmfColoursLandExactlyNotAsTheNearestNamedColour) {
  // Colours that are no SVG colour name, and one that is, each fill the whole picture.
  const std::uint32_t colours[] = {0x00703B96u, 0x00010203u, 0x00FEFDFCu, 0x00000080u};
  for (const std::uint32_t colorref : colours) {
    SCOPED_TRACE(colorref);
    const auto b = quendel::testpics::makeWmf(16, 16, {{0, 0, 16, 16, colorref}});
    MetafileHeader h;
    ASSERT_EQ(readMetafileHeader(b.data(), b.size(), &h), DecodeStatus::Ok);
    auto store = PixelStore::create(16, 16, false);
    std::fill(store->data(), store->data() + store->pixelCount(), kGreyPixel);
    ASSERT_EQ(renderMetafile(b.data(), b.size(), h, *store), DecodeStatus::Ok);
    const std::uint32_t want =
        0xFF000000u | ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
    EXPECT_EQ(store->row(8)[8], want) << std::hex << store->row(8)[8];
  }
}

TEST(MetafileRenderer, DrawsWithoutAntialiasing) {
  // A rectangle whose edges fall between pixels: every pixel is either the fill or the
  // background, never a blend.
  const auto b = quendel::testpics::makeEmf(30, 30, {{3, 3, 17, 17, kGreen}});
  MetafileHeader h;
  ASSERT_EQ(readMetafileHeader(b.data(), b.size(), &h), DecodeStatus::Ok);
  auto store = PixelStore::create(41, 43, false);
  std::fill(store->data(), store->data() + store->pixelCount(), kGreyPixel);
  ASSERT_EQ(renderMetafile(b.data(), b.size(), h, *store), DecodeStatus::Ok);
  int green = 0;
  for (std::size_t i = 0; i < store->pixelCount(); ++i) {
    const std::uint32_t p = store->data()[i];
    ASSERT_TRUE(p == kGreenPixel || p == kGreyPixel) << std::hex << p;
    green += p == kGreenPixel;
  }
  EXPECT_GT(green, 0);
}

TEST(MetafileRenderer, OverTransparentPixelsTheUnpaintedStayTransparent) {
  const auto b = quendel::testpics::makeWmf(20, 20, {{0, 0, 10, 20, kGreen}});
  MetafileHeader h;
  ASSERT_EQ(readMetafileHeader(b.data(), b.size(), &h), DecodeStatus::Ok);
  auto store = PixelStore::create(20, 20, true);
  ASSERT_EQ(renderMetafile(b.data(), b.size(), h, *store), DecodeStatus::Ok);
  EXPECT_EQ(store->row(10)[2], kGreenPixel);
  EXPECT_EQ(store->row(10)[17], 0u);
}

}  // namespace
