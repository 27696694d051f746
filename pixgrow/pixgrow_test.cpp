#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "automation/std_picture.h"
#include "pixgrow/enlarged_rows.h"
#include "pixgrow/memory_canvas.h"
#include "pixgrow/mod_gdiplus_load_and_save.h"
#include "pixgrow/mod_main.h"
#include "platform/codecs/test_metafiles.h"
#include "platform/codecs/test_pictures.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/ole/load_picture.h"
#include "platform/resources/load_image.h"
#include "platform/resources/version_info.h"
#include "support/codepage.h"
#include "support/testing.h"

namespace {

using quendel::ErrorInfo;
using quendel::testing::errorInfoOf;
using quendel::testing::errorOf;
using namespace quendel::pixgrow;
using namespace quendel::testpics;

TEST(ParseMethod, KeysAndNonKeys) {
  struct {
    const char16_t* text;
    bool ok;
    LONG method;
    bool png;
  } rows[] = {{u"1", true, 1, false},   {u"4", true, 4, false},   {u"1P", true, 1, true},    {u"3p", true, 3, true},
              {u"4P", true, 4, true},   {u"0", false, 0, false},  {u"5", false, 0, false},   {u"P3", false, 0, false},
              {u" 3", false, 0, false}, {u"3 ", false, 0, false}, {u"3 P", false, 0, false}, {u"3PP", false, 0, false},
              {u"", false, 0, false},   {u"33", false, 0, false}};
  for (auto& r : rows) {
    LONG method = -7;
    bool png = false;
    EXPECT_EQ(ParseMethod(r.text, method, png), r.ok) << quendel::cp::toUtf8(r.text);
    if (r.ok) {
      EXPECT_EQ(method, r.method);
      EXPECT_EQ(png, r.png);
    } else {
      EXPECT_EQ(method, -7) << "untouched";
    }
  }
}

TEST(Tables, ImageTypesAndStatusTexts) {
  EXPECT_EQ(ImageTypeFromFormatGuid(u"{b96b3caf-0728-11d3-9d7b-0000f81ef32e}"), 8);
  EXPECT_EQ(ImageTypeFromFormatGuid(u"{B96B3CAA-0728-11D3-9D7B-0000F81EF32E}"), 69);
  EXPECT_EQ(ImageTypeFromFormatGuid(u"{B96B3CA9-0728-11D3-9D7B-0000F81EF32E}"), 98);
  EXPECT_EQ(ImageTypeFromFormatGuid(u"{B96B3CB5-0728-11D3-9D7B-0000F81EF32E}"), 6);
  EXPECT_EQ(ImageTypeFromFormatGuid(u" {B96B3CAF-0728-11D3-9D7B-0000F81EF32E}"), 99);
  EXPECT_EQ(ImageTypeName(0), u"Nothing");
  EXPECT_EQ(ImageTypeName(7), u"Windows cursor");
  EXPECT_EQ(ImageTypeName(13), u"Exchangable Image Format");
  for (LONG c : {9, 10, 11, 16, 99, -1}) EXPECT_EQ(ImageTypeName(c), u"Unknown");
  EXPECT_EQ(GdiplusStatusText(0), u"Unknown error");
  EXPECT_EQ(GdiplusStatusText(3), u"Invalid picture");
  EXPECT_EQ(GdiplusStatusText(12), u"Accedd denied");
  EXPECT_EQ(GdiplusStatusText(20), u"Property not supported");
  EXPECT_EQ(GdiplusStatusText(21), u"Unknown error 21");
  EXPECT_EQ(GdiplusStatusText(-3), u"Unknown error -3");
}

// The per-pixel algorithm itself, on canvases, as the reference for the fast path.
std::vector<COLORREF> perPixel(const ObjectPtr& picture, LONG w, LONG h, LONG method) {
  MemoryCanvas source, target;
  source.Create(w, h, 0);
  source.DrawPicture(picture, 0, 0, w, h, 0, 0, SRCCOPY);
  target.Create(2 * w, 2 * h, 0);
  for (LONG y = 0; y < h; ++y)
    for (LONG x = 0; x < w; ++x) {
      const COLORREF c = GetPixel(source.hDC(), x, y);
      SetPixel(target.hDC(), 2 * x, 2 * y, c);
      if (method >= 2) SetPixel(target.hDC(), 2 * x + 1, 2 * y, c);
      if (method >= 3) SetPixel(target.hDC(), 2 * x, 2 * y + 1, c);
      if (method == 4) SetPixel(target.hDC(), 2 * x + 1, 2 * y + 1, c);
    }
  std::vector<COLORREF> out;
  for (LONG y = 0; y < 2 * h; ++y)
    for (LONG x = 0; x < 2 * w; ++x) out.push_back(GetPixel(target.hDC(), x, y));
  return out;
}

ObjectPtr bitmapPicture(const Pixels& p) {
  auto store = quendel::gdi::PixelStore::create(p.width, p.height, false);
  std::copy(p.argb.begin(), p.argb.end(), store->data());
  quendel::automation::PictureDesc d;
  d.type = quendel::automation::Integer{PICTYPE_BITMAP};
  d.handle = reinterpret_cast<std::uintptr_t>(quendel::gdi::createBitmapFromStore(store, 32));
  return quendel::automation::StdPicture::create(
      d, [](const quendel::automation::PictureDesc& x) { (void)DeleteObject(reinterpret_cast<HBITMAP>(x.handle)); });
}

TEST(EnlargePicture, EveryMethodGivesThePerPixelResult) {
  for (auto [w, h] : {std::pair{5, 3}, {1, 1}, {0, 0}, {7, 1}}) {
    const Pixels p = pattern(w, h, true);  // alpha must not leak into the colours
    ObjectPtr picture = bitmapPicture(p);
    for (LONG method = 1; method <= 4; ++method) {
      SCOPED_TRACE(testing::Message() << w << "x" << h << " method " << method);
      MemoryCanvas source, target;
      EnlargePicture(picture, w, h, method, source, target);
      std::vector<COLORREF> fast;
      for (LONG y = 0; y < 2 * h; ++y)
        for (LONG x = 0; x < 2 * w; ++x) fast.push_back(GetPixel(target.hDC(), x, y));
      const auto reference = perPixel(picture, w, h, method);
      EXPECT_EQ(fast, reference);
      if (w == 1 && h == 1) {
        const COLORREF c = quendel::gdi::colorFromPixel(p.argb[0]);
        const std::vector<COLORREF> expect[5] = {{}, {c, 0, 0, 0}, {c, c, 0, 0}, {c, c, c, 0}, {c, c, c, c}};
        EXPECT_EQ(fast, expect[method]);
      }
    }
  }
}

// The encoders trust repeatsPreviousRow and use keepsEvenColumnsOfPreviousRow to copy:
// each must be true only of rows that are so.
TEST(EnlargedRows, RowHintsHoldForEveryMethod) {
  const Pixels p = pattern(6, 4, true);
  auto store = quendel::gdi::PixelStore::create(p.width, p.height, false);
  std::copy(p.argb.begin(), p.argb.end(), store->data());
  const auto source = std::make_shared<quendel::gdi::StoreRowSource>(store);
  for (int method = 1; method <= 4; ++method) {
    SCOPED_TRACE(testing::Message() << "method " << method);
    const EnlargedRows rows(source, method);
    const std::size_t w = static_cast<std::size_t>(rows.width());
    std::vector<std::uint32_t> above(w), scratch(w);
    int repeats = 0, keeps = 0;
    for (int y = 0; y < rows.height(); ++y) {
      const std::uint32_t* r = rows.row(y, scratch.data());
      if (y > 0 && rows.repeatsPreviousRow(y)) {
        ++repeats;
        EXPECT_TRUE(std::equal(r, r + w, above.begin())) << "row " << y;
      }
      if (y > 0 && rows.keepsEvenColumnsOfPreviousRow(y)) {
        ++keeps;
        for (std::size_t x = 0; x < w; ++x) EXPECT_EQ(r[x], x % 2 ? r[1] : above[x]) << "row " << y << " column " << x;
      }
      std::copy(r, r + w, above.begin());
    }
    // Every odd row of methods 4 and 3 says so, or the PNG encoder codes it in full.
    EXPECT_EQ(repeats, method == 4 ? p.height : 0);
    EXPECT_EQ(keeps, method == 3 ? p.height : 0);
  }
}

TEST(EnlargePicture, DoubledSizeMustFitIn32Bits) {
  MemoryCanvas source, target;
  EXPECT_EQ(errorOf([&] { EnlargePicture(bitmapPicture(pattern(1, 1, false)), 0x40000000, 1, 4, source, target); }), 6);
}

TEST(LoadPictureFile, InfoOfEveryRoute) {
  TempDir dir;
  BmpShape bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.bits = 8;
  bmp.palette = {0x102030, 0x405060};
  bmp.values = {0, 1, 0, 1, 0, 1};
  writeFile(dir.file("a.bmp"), makeBmp(bmp));
  const Pixels px = pattern(6, 4, false);
  writeFile(dir.file("a.jpg"), makeJpeg(px, 0, false));
  Pixels idx;
  idx.width = 2;
  idx.height = 2;
  idx.argb = {0, 1, 1, 0};
  makeGif(dir.file("a.gif"), idx, {0xFF0000, 0x00FF00}, -1, false);
  writeFile(dir.file("a.ico"), makeIcon({{16, 32}, {32, 24}}, false));
  writeFile(dir.file("a.cur"), makeIcon({{32, 32}}, true));
  writeFile(dir.file("a.png"), makePng(pattern(6, 4, true), PNG_COLOR_TYPE_RGBA, 8, false, {}, 72));
  makeTiff(dir.file("a.tif"), px, COMPRESSION_LZW, 2, 8, false);
  struct {
    const char* name;
    LONG type;
    const char16_t* typeName;
    LONG w, h, bits;
    float dpi;
  } rows[] = {
      {"a.bmp", kImageTypeBitmap, u"Windows bitmap", 3, 2, 8, 0},
      {"a.jpg", kImageTypeJpeg, u"JPEG", 6, 4, 24, 0},
      {"a.gif", kImageTypeGif, u"CompuServe GIF", 2, 2, 8, 0},
      {"a.ico", kImageTypeIcon, u"Windows icon", 32, 32, 32, 0},
      {"a.cur", kImageTypeCursor, u"Windows cursor", 32, 32, 32, 0},
      {"a.png", kImageTypePng, u"Portable network graphics", 6, 4, 32, 72},
      {"a.tif", kImageTypeTiff, u"Tagged image file format", 6, 4, 24, 96},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.name);
    PictureInfo info;
    ObjectPtr picture = LoadPictureFile(u16(dir.file(r.name)), info, 0, false);
    ASSERT_TRUE(picture);
    EXPECT_EQ(info.ImageType, r.type);
    EXPECT_EQ(info.ImageTypeName, r.typeName);
    EXPECT_EQ(info.Width, r.w);
    EXPECT_EQ(info.Height, r.h);
    EXPECT_EQ(info.BitsPerPixel, r.bits);
    EXPECT_NEAR(info.HorizontalResolution, r.dpi, 0.01);
    EXPECT_NEAR(info.VerticalResolution, r.dpi, 0.01);
  }
  // Forcing GDI+ for a bitmap: its resolution and pixel format come from GDI+.
  PictureInfo info;
  LoadPictureFile(u16(dir.file("a.bmp")), info, 0, true);
  EXPECT_EQ(info.ImageType, kImageTypeBitmap);
  EXPECT_EQ(info.BitsPerPixel, 8);
  EXPECT_NEAR(info.HorizontalResolution, 96.012, 0.01);
}

TEST(LoadPictureFile, MetafileInfoThroughBothRoutes) {
  TempDir dir;
  const std::vector<FilledRect> square = {{0, 0, 10, 10, RGB(255, 0, 0)}};
  writeFile(dir.file("a.wmf"), makeWmf(40, 20, square));
  writeFile(dir.file("twips.wmf"), makeWmf(1440, 960, square, true, 1440));
  writeFile(dir.file("plain.wmf"), makeWmf(30, 10, square, false));
  writeFile(dir.file("a.emf"), makeEmf(40, 20, square));
  struct {
    const char* name;
    bool gdiplus;
    LONG type;
    const char16_t* typeName;
    LONG w, h, bits;
    float dpi;
  } rows[] = {
      // The OLE route: the size from HIMETRIC, or the EMF bounds plus one; no depth.
      {"a.wmf", false, kImageTypeMetafile, u"Windows metafile", 40, 20, 0, 0},
      {"twips.wmf", false, kImageTypeMetafile, u"Windows metafile", 96, 64, 0, 0},
      {"a.emf", false, kImageTypeEnhMetafile, u"Enhanced metafile", 40, 20, 0, 0},
      // A plain WMF is no OLE picture, so it takes the GDI+ route by itself.
      {"plain.wmf", false, kImageTypeMetafile, u"Windows metafile", 30, 10, 32, 96},
      {"a.wmf", true, kImageTypeMetafile, u"Windows metafile", 40, 20, 32, 96},
      {"a.emf", true, kImageTypeEnhMetafile, u"Enhanced metafile", 40, 20, 32, 96},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.name << (r.gdiplus ? " through GDI+" : ""));
    PictureInfo info;
    ObjectPtr picture = LoadPictureFile(u16(dir.file(r.name)), info, 0, r.gdiplus);
    ASSERT_TRUE(picture);
    EXPECT_EQ(info.ImageType, r.type);
    EXPECT_EQ(info.ImageTypeName, r.typeName);
    EXPECT_EQ(info.Width, r.w);
    EXPECT_EQ(info.Height, r.h);
    EXPECT_EQ(info.BitsPerPixel, r.bits);
    EXPECT_NEAR(info.HorizontalResolution, r.dpi, 0.01);
    EXPECT_NEAR(info.VerticalResolution, r.dpi, 0.01);
  }
}

TEST(LoadPictureFile, TransparentPixelsBecomeBlack) {
  TempDir dir;
  Pixels p;
  p.width = 2;
  p.height = 1;
  p.argb = {0x00FFFFFF, 0xFF123456};
  writeFile(dir.file("t.png"), makePng(p, PNG_COLOR_TYPE_RGBA, 8, false));
  PictureInfo info;
  ObjectPtr picture = LoadPictureFile(u16(dir.file("t.png")), info, 0, false);
  MemoryCanvas source, target;
  EnlargePicture(picture, info.Width, info.Height, 4, source, target);
  EXPECT_EQ(GetPixel(target.hDC(), 0, 0), 0u);
  EXPECT_EQ(GetPixel(target.hDC(), 1, 1), 0u);
  EXPECT_EQ(GetPixel(target.hDC(), 2, 0), RGB(0x12, 0x34, 0x56));
}

void expectError(const std::function<void()>& f, LONG number, const std::u16string& description) {
  ErrorInfo e = errorInfoOf(f);
  EXPECT_EQ(e.number, number);
  EXPECT_EQ(quendel::cp::toUtf8(e.description), quendel::cp::toUtf8(description));
}

TEST(LoadAndSave, RaisedErrors) {
  TempDir dir;
  writeFile(dir.file("text.txt"), {'x'});
  PictureInfo info;
  expectError([&] { LoadPictureFile(u16(dir.file("text.txt")), info, 0, false); }, kObjectError,
              u"Can't load bitmap file. Unknown image format");
  expectError([&] { LoadPictureFile(u16(dir.file("missing.png")), info, 0, true); }, 53, u"File not found");
  ObjectPtr picture = bitmapPicture(pattern(2, 2, false));
  expectError([&] { SavePictureAsPng(picture, u16(dir.file("no/such.png"))); }, kObjectError,
              u"Can't save bitmap. Win32 error");
  quendel::automation::PictureDesc bogus;
  bogus.type = quendel::automation::Integer{PICTYPE_BITMAP};
  bogus.handle = 0x1234;
  expectError([&] { SavePictureAsBmp(quendel::automation::StdPicture::create(bogus), u16(dir.file("x.bmp"))); },
              kObjectError, u"Can't get bitmap object. Invalid parameter");
}

// --- The program itself ---

struct RunResult {
  int status;
  std::string out;
};

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string program() {
  const char* build = std::getenv("QUENDEL_BUILD_DIR");
  return std::string(build ? build : ".") + "/bin/pixgrow";
}

// env: assignments put in front of the command ("NAME=value ...").
RunResult run(const std::vector<std::string>& args, const std::string& env = "") {
  std::string cmd = env + " " + quote(program());
  for (const auto& a : args) cmd += " " + quote(a);
  RunResult r{-1, {}};
  FILE* p = ::popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

class Program : public testing::Test {
 protected:
  void SetUp() override {
    // A missing program is a broken build, not a reason to skip its tests.
    ASSERT_EQ(::access(program().c_str(), X_OK), 0) << "pixgrow not built at " << program();
  }
};

const char* const kUsage =
    "Usage:\n\n    pixgrow[.EXE] Method InFileName OutFileName\n\n"
    "InFileName  - input file name of picture in supported format.\n"
    "OutFileName - output file name to be created in BMP format.\n\n"
    "Method: \n\n    1 - one pixel to four.\n    2 - two pixels to four (scanline).\n"
    "    3 - three pixels to four.\n    4 - four pixels to four.\n\n"
    "Specify method with \"P\" (eg. \"3P\") to create output file in PNG format.\n";

TEST_F(Program, CarriesItsVersionBlockAndIcon) {
  const std::string path = program();
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  auto text = [&](const char* name) {
    void* value = nullptr;
    UINT length = 0;
    std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), &value, &length)) return std::string("<none>");
    return std::string(static_cast<const char*>(value), length);
  };
  EXPECT_EQ(text("FileVersion"), std::string("1.01.0023") + '\0');
  EXPECT_EQ(text("InternalName"), std::string("Pixgrow") + '\0');
  EXPECT_EQ(text("FileDescription"), std::string("Quendel - Pixgrow") + '\0');
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010001u);
  EXPECT_EQ(fixed.dwFileVersionLS, 23u);
  // The icon is in the program's file, not in this test program.
  EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "A_MAIN"), nullptr);
}

// Files in the current folder named as the libraries the program needs are never taken
// for them: the run path has no empty entry. (The loader stops at a file it cannot read
// as a library, so the run would fail.)
constexpr std::size_t kNotAnElfFileSize = 256;

TEST_F(Program, IgnoresLibrariesInTheCurrentFolder) {
  TempDir dir;
  writeFile(dir.file("sprite.png"), makePng(pattern(4, 4, false), PNG_COLOR_TYPE_RGB, 8, false));
  for (const char* name : {"libstdc++.so.6", "libpng16.so.16", "libquendelplatform.so.3", "libtoolvane0305.so"})
    writeFile(dir.file(name), std::vector<std::uint8_t>(kNotAnElfFileSize, 'x'));
  const RunResult r = run({"4P", "sprite.png", "out.png"}, "cd " + quote(dir.path()) + " &&");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(::access(dir.file("out.png").c_str(), F_OK), 0);
}

TEST_F(Program, UsageForWrongArguments) {
  for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                {"4", "a"},
                                                                {"4", "a", "b", "c"},
                                                                {"5", "a", "b"},
                                                                {"P4", "a", "b"},
                                                                {" 4", "a", "b"},
                                                                {"4", "", "b"},
                                                                {"4", "a", ""}}) {
    const RunResult r = run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, kUsage);
  }
}

TEST_F(Program, EnlargesEveryFormatWithEveryMethod) {
  TempDir dir;
  const Pixels p = pattern(5, 3, false);
  writeFile(dir.file("in put.png"), makePng(p, PNG_COLOR_TYPE_RGB, 8, false));
  for (int method = 1; method <= 4; ++method)
    for (bool png : {true, false}) {
      SCOPED_TRACE(testing::Message() << method << (png ? "P" : ""));
      const std::string key = std::to_string(method) + (png ? "p" : "");
      const std::string in = dir.file("in put.png"), out = dir.file("пиксели " + key + ".out");
      const RunResult r = run({key, in, out});
      EXPECT_EQ(r.status, 0);
      std::string expected = "Method:   " + std::to_string(method);
      expected += png ? " (PNG)" : " (BMP)";
      expected += "\nIn file:  " + in;
      expected += "\nOut file: " + out;
      expected += "\n\nAll done! ^_^v\n";
      EXPECT_EQ(r.out, expected);
      const auto bytes = readFile(out);
      ASSERT_GE(bytes.size(), 2u);
      EXPECT_EQ(bytes[0], png ? 0x89 : 'B');
      PictureInfo info;
      ObjectPtr back = LoadPictureFile(u16(out), info, 0, false);
      ASSERT_EQ(info.Width, 10);
      MemoryCanvas c;
      c.Create(10, 6, 0);
      c.DrawPicture(back, 0, 0, 10, 6, 0, 0, SRCCOPY);
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
          const bool written =
              method == 4 || (y % 2 == 0 && (x % 2 == 0 || method >= 2)) || (method == 3 && y % 2 == 1 && x % 2 == 0);
          const COLORREF want = written ? quendel::gdi::colorFromPixel(p.at(x / 2, y / 2)) : 0;
          ASSERT_EQ(GetPixel(c.hDC(), x, y), want) << x << "," << y;
        }
    }
}

TEST_F(Program, EnlargesMetafilesWithEveryMethod) {
  // A red left part over the canvas's black: columns 0-2 red, 6-7 black; the edge
  // between may round either way.
  TempDir dir;
  const std::vector<FilledRect> left = {{0, 0, 4, 6, RGB(255, 0, 0)}};
  writeFile(dir.file("in.wmf"), makeWmf(8, 6, left));
  writeFile(dir.file("in.emf"), makeEmf(8, 6, left));
  writeFile(dir.file("plain.wmf"), makeWmf(8, 6, left, false));
  for (const char* name : {"in.wmf", "in.emf", "plain.wmf"})
    for (int method = 1; method <= 4; ++method)
      for (bool png : {true, false}) {
        SCOPED_TRACE(testing::Message() << name << " " << method << (png ? "P" : ""));
        const std::string key = std::to_string(method) + (png ? "P" : "");
        const std::string out = dir.file(std::string("out ") + key);
        const RunResult r = run({key, dir.file(name), out});
        ASSERT_EQ(r.status, 0) << r.out;
        PictureInfo info;
        ObjectPtr back = LoadPictureFile(u16(out), info, 0, false);
        ASSERT_EQ(info.Width, 16);
        ASSERT_EQ(info.Height, 12);
        MemoryCanvas c;
        c.Create(16, 12, 0);
        c.DrawPicture(back, 0, 0, 16, 12, 0, 0, SRCCOPY);
        for (int y = 0; y < 12; ++y)
          for (int x = 0; x < 16; ++x) {
            const int sx = x / 2;
            if (sx >= 3 && sx <= 5) continue;
            const bool written =
                method == 4 || (y % 2 == 0 && (x % 2 == 0 || method >= 2)) || (method == 3 && y % 2 == 1 && x % 2 == 0);
            const COLORREF want = written && sx <= 2 ? RGB(255, 0, 0) : 0;
            ASSERT_EQ(GetPixel(c.hDC(), x, y), want) << x << "," << y;
          }
      }
}

TEST_F(Program, BadInputFailsWithExitOneAndWritesNothing) {
  TempDir dir;
  writeFile(dir.file("empty.png"), {});
  auto cut = makePng(pattern(30, 30, false), PNG_COLOR_TYPE_RGB, 8, false);
  cut.resize(cut.size() / 2);
  writeFile(dir.file("cut.png"), cut);
  auto jpeg = makeJpeg(pattern(30, 30, false), 0, false);
  jpeg.resize(jpeg.size() / 2);
  writeFile(dir.file("cut.jpg"), jpeg);
  BmpShape s;
  s.width = s.height = 8;
  s.values.assign(64, 0x123456);
  auto bmp = makeBmp(s);
  bmp.resize(bmp.size() - 20);
  writeFile(dir.file("cut.bmp"), bmp);
  auto huge = makeBmp(s);
  huge[18] = 0xA0, huge[19] = 0x86, huge[20] = 0x01;  // 100000 x 8
  writeFile(dir.file("huge.bmp"), huge);
  auto cutEmf = makeEmf(8, 8, {{0, 0, 4, 4, 0x0000FF}});
  cutEmf.resize(cutEmf.size() - 12);
  writeFile(dir.file("cut.emf"), cutEmf);
  auto cutWmf = makeWmf(8, 8, {{0, 0, 4, 4, 0x0000FF}});
  cutWmf.resize(cutWmf.size() - 4);
  writeFile(dir.file("cut.wmf"), cutWmf);
  writeFile(dir.file("huge.wmf"), makeWmf(20000, 20000, {}, true, 4));
  writeFile(dir.file("records.emf"), makeEmf(8, 8, std::vector<FilledRect>(260000, {0, 0, 1, 1, 0x00FF00})));
  ::mkdir(dir.file("folder").c_str(), 0755);
  struct {
    std::string name;
    std::string tail;  // the end of the console text
  } rows[] = {
      {"empty.png", "Description:  Can't load bitmap file. Unknown image format\n"},
      {"cut.png", "Description:  Can't load bitmap file. Invalid parameter\n"},
      {"cut.jpg", "Description:  Can't load bitmap file. Invalid parameter\n"},
      {"cut.bmp", "Description:  Can't load bitmap file. Invalid parameter\n"},
      {"huge.bmp", "Description:  Can't load bitmap file. Invalid picture\n"},
      {"cut.emf", "Description:  Can't load bitmap file. Invalid parameter\n"},
      {"cut.wmf", "Description:  Can't load bitmap file. Invalid parameter\n"},
      {"huge.wmf", "Description:  Can't load bitmap file. Invalid picture\n"},
      {"records.emf", "Description:  Can't load bitmap file. Invalid picture\n"},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string in = dir.file(r.name), out = dir.file("out.bmp");
    const RunResult run1 = run({"4", in, out});
    EXPECT_EQ(run1.status, 1);
    EXPECT_NE(run1.out.find("\n" + in + "\n\nCan't load picture.\n\nError number: "), std::string::npos) << run1.out;
    EXPECT_TRUE(run1.out.size() >= r.tail.size() &&
                run1.out.compare(run1.out.size() - r.tail.size(), r.tail.size(), r.tail) == 0)
        << run1.out;
    EXPECT_FALSE(std::filesystem::exists(out));
  }
  std::string deep = "missing";  // a command line longer than the first read of it
  for (int k = 0; k < 1000; ++k) deep += "/deep";
  for (const std::string& missing : {dir.file("missing.png"), dir.file("folder"), dir.file(deep + ".png")}) {
    const RunResult r = run({"4", missing, dir.file("out.bmp")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "File not exist: " + missing + "\n");
  }
}

TEST_F(Program, FailedSaveKeepsTheExistingFile) {
  TempDir dir;
  writeFile(dir.file("in.png"), makePng(pattern(3, 3, false), PNG_COLOR_TYPE_RGB, 8, false));
  const RunResult r = run({"4P", dir.file("in.png"), dir.file("no folder/out.png")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Description:  Can't save bitmap. Win32 error\n"), std::string::npos) << r.out;
  // A target that is a folder cannot be replaced; the folder stays as it was.
  ::mkdir(dir.file("target").c_str(), 0755);
  writeFile(dir.file("target/keep"), {'k'});
  const RunResult r2 = run({"4", dir.file("in.png"), dir.file("target")});
  EXPECT_EQ(r2.status, 1);
  EXPECT_EQ(readFile(dir.file("target/keep")), std::vector<std::uint8_t>{'k'});
  std::size_t files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2u) << "no temporary file left";
}

// The outside libraries of the routes a PNG run never takes, as the loader names them.
const char* const kHeavyLibraries[] = {"librsvg", "libcurl", "libtiff",    "libjpeg",
                                       "libgif",  "libwmf",  "libemf2svg", "libcairo"};

// The libraries the dynamic loader looked for in a run under LD_DEBUG=libs.
std::vector<std::string> librariesSought(const std::string& loaderLog) {
  std::vector<std::string> names;
  const std::string key = "find library=";
  for (std::size_t at = loaderLog.find(key); at != std::string::npos; at = loaderLog.find(key, at + 1)) {
    const std::size_t start = at + key.size();
    names.push_back(loaderLog.substr(start, loaderLog.find(';', start) - start));
  }
  return names;
}

bool sought(const std::vector<std::string>& names, const std::string& prefix) {
  for (const auto& n : names)
    if (n.rfind(prefix, 0) == 0) return true;
  return false;
}

// GIF palette indices 0 and 1 in turn.
Pixels twoColourIndices(int width, int height) {
  Pixels p;
  p.width = width;
  p.height = height;
  for (int i = 0; i < width * height; ++i) p.argb.push_back(static_cast<std::uint32_t>(i % 2));
  return p;
}

// With the library found beside the program and no hive yet, nothing opens SQLite either.
TEST_F(Program, APngRunMapsNoLibraryOfTheOtherRoutes) {
  TempDir dir;
  writeFile(dir.file("sprite.png"), makePng(pattern(16, 16, true), PNG_COLOR_TYPE_RGBA, 8, false));
  const RunResult r = run({"4P", dir.file("sprite.png"), dir.file("out.png")},
                          "QUENDEL_REGISTRY_DIR=" + quote(dir.file("registry")) + " LD_DEBUG=libs");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto names = librariesSought(r.out);
  ASSERT_TRUE(sought(names, "libpng")) << "the loader's log was not read:\n" << r.out;
  for (const char* heavy : kHeavyLibraries) EXPECT_FALSE(sought(names, heavy)) << heavy << " was loaded";
  EXPECT_FALSE(sought(names, "libsqlite3")) << "SQLite was loaded";
  for (const char* module : {"libquendeltiff.so", "libquendeljpeg.so", "libquendelgif.so", "libquendelmetafile.so"})
    EXPECT_EQ(r.out.find(module), std::string::npos) << module << " was loaded";
}

TEST_F(Program, RunsOfTheOtherRoutesLoadTheirModules) {
  TempDir dir;
  makeTiff(dir.file("in.tif"), pattern(6, 4, false), COMPRESSION_LZW, 2, 8, false);
  writeFile(dir.file("in.jpg"), makeJpeg(pattern(6, 4, false), 0, false));
  makeGif(dir.file("in.gif"), twoColourIndices(6, 4), {0xFF0000, 0x0000FF}, -1, false);
  writeFile(dir.file("in.emf"), makeEmf(8, 6, {{0, 0, 4, 6, RGB(255, 0, 0)}}));
  const struct {
    const char* name;
    const char* library;
    LONG width;  // of the enlarged picture
  } rows[] = {
      {"in.tif", "libtiff", 12}, {"in.jpg", "libjpeg", 12}, {"in.gif", "libgif", 12}, {"in.emf", "librsvg", 16}};
  for (const auto& [name, library, width] : rows) {
    SCOPED_TRACE(name);
    const RunResult r = run({"4P", dir.file(name), dir.file("out.png")}, "LD_DEBUG=libs");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(sought(librariesSought(r.out), library));
    PictureInfo info;
    (void)LoadPictureFile(u16(dir.file("out.png")), info, 0, false);
    EXPECT_EQ(info.Width, width);
  }
}

TEST_F(Program, AMissingModuleFailsLikeADamagedFileAndSaysWhy) {
  TempDir dir;
  ::mkdir(dir.file("no modules").c_str(), 0755);
  makeTiff(dir.file("in.tif"), pattern(6, 4, false), COMPRESSION_LZW, 2, 8, false);
  writeFile(dir.file("in.jpg"), makeJpeg(pattern(6, 4, false), 0, false));
  makeGif(dir.file("in.gif"), twoColourIndices(6, 4), {0xFF0000, 0x0000FF}, -1, false);
  writeFile(dir.file("in.wmf"), makeWmf(8, 6, {{0, 0, 4, 6, RGB(255, 0, 0)}}));
  const std::string env = "QUENDEL_DEBUG=1 QUENDEL_MODULE_DIR=" + quote(dir.file("no modules"));
  // A TIFF goes through GDI+, a metafile through the OLE loader, a JPEG and a GIF through
  // the OLE loader and then GDI+: each fails as a damaged file would there.
  const struct {
    const char* name;
    const char* module;
    const char* description;
  } rows[] = {{"in.tif", "libquendeltiff.so", "Description:  Can't load bitmap file. Invalid parameter\n"},
              {"in.jpg", "libquendeljpeg.so", "Description:  Can't load bitmap file. Invalid parameter\n"},
              {"in.gif", "libquendelgif.so", "Description:  Can't load bitmap file. Invalid parameter\n"},
              {"in.wmf", "libquendelmetafile.so", "Error number: 481\nDescription:  Invalid picture\n"}};
  for (const auto& [name, module, description] : rows) {
    SCOPED_TRACE(name);
    const std::string out = dir.file("out.png");
    const RunResult r = run({"4P", dir.file(name), out}, env);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(description), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::string("module ") + module + ": " + dir.file("no modules") + "/" + module),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

}  // namespace
