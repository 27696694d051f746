#include "platform/resources/load_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/codecs/bmp_reader.h"
#include "platform/codecs/ico_reader.h"
#include "platform/cursor/cursor.h"

namespace {

// The files this program's resources were made from (see CMakeLists.txt).
std::vector<std::uint8_t> sourceFile(const char* name) {
  const char* root = std::getenv("QUENDEL_TEST_SOURCE_DIR");
  std::ifstream in(std::string(root ? root : ".") + "/toolvane/frame/resources/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint32_t> pixelsOf(HBITMAP bitmap) {
  auto rows = quendel::gdi::bitmapRowSource(bitmap);
  std::vector<std::uint32_t> out, scratch(static_cast<std::size_t>(rows->width()));
  for (int y = 0; y < rows->height(); ++y) {
    const std::uint32_t* row = rows->row(y, scratch.data());
    out.insert(out.end(), row, row + rows->width());
  }
  return out;
}

std::vector<std::uint32_t> pixelsOf(const quendel::gdi::PixelStore& store) {
  return {store.data(), store.data() + store.pixelCount()};
}

struct IconPixels {
  bool isIcon = false;
  DWORD hotX = 0, hotY = 0;
  int width = 0, height = 0;
  std::vector<std::uint32_t> color, mask;
};

IconPixels iconPixels(HICON icon) {
  IconPixels out;
  ICONINFO info{};
  EXPECT_TRUE(GetIconInfo(icon, &info));
  BITMAP bm{};
  EXPECT_GT(GetObjectA(info.hbmColor, sizeof bm, &bm), 0);
  out = {info.fIcon != FALSE, info.xHotspot,           info.yHotspot,         bm.bmWidth,
         bm.bmHeight,         pixelsOf(info.hbmColor), pixelsOf(info.hbmMask)};
  EXPECT_TRUE(DeleteObject(info.hbmColor));
  EXPECT_TRUE(DeleteObject(info.hbmMask));
  return out;
}

// What the ICO reader makes of the file itself at a size.
IconPixels decodedIcon(const std::vector<std::uint8_t>& file, int size) {
  quendel::codecs::DecodedIcon icon;
  EXPECT_EQ(quendel::codecs::decodeIcon(file.data(), file.size(), size, size, quendel::codecs::kDisplayBits, &icon),
            quendel::codecs::DecodeStatus::Ok);
  return {icon.isIcon,
          icon.hotspotX,
          icon.hotspotY,
          icon.color.pixels->width(),
          icon.color.pixels->height(),
          pixelsOf(*icon.color.pixels),
          {}};
}

HMODULE self() { return GetModuleHandleA(nullptr); }

TEST(LoadImage, LoadsEveryIconAtEverySizeItHas) {
  const auto file = sourceFile("noemi_0000.ico");
  for (int size : {32, 16}) {
    for (const char* name : {"App", "APP", "app"}) {
      HANDLE icon = LoadImageA(self(), name, IMAGE_ICON, size, size, 0);
      ASSERT_NE(icon, nullptr) << name << " " << size;
      IconPixels got = iconPixels(static_cast<HICON>(icon)), want = decodedIcon(file, size);
      EXPECT_TRUE(got.isIcon);
      EXPECT_EQ(got.width, size);
      EXPECT_EQ(got.height, size);
      EXPECT_EQ(got.color, want.color) << "the pixels of the " << size << " px image";
      EXPECT_TRUE(DestroyIcon(static_cast<HICON>(icon)));
    }
  }
  HICON standard = LoadIconA(self(), "app");
  ASSERT_NE(standard, nullptr);
  EXPECT_EQ(iconPixels(standard).width, quendel::resources::kSystemIconSize);
  EXPECT_TRUE(DestroyIcon(standard));
}

TEST(LoadImage, ScalesAnIconToASizeItLacks) {
  HICON icon = static_cast<HICON>(LoadImageA(self(), "App", IMAGE_ICON, 48, 24, 0));
  ASSERT_NE(icon, nullptr);
  IconPixels got = iconPixels(icon), big = decodedIcon(sourceFile("noemi_0000.ico"), 32);
  EXPECT_EQ(got.width, 48);
  EXPECT_EQ(got.height, 24);
  // Nearest pixel: target (x, y) shows source (x * 32 / 48, y * 32 / 24).
  for (auto [x, y] : {std::pair{0, 0}, {20, 10}, {47, 23}, {31, 5}})
    EXPECT_EQ(got.color[static_cast<std::size_t>(y * 48 + x)],
              big.color[static_cast<std::size_t>(y * 32 / 24 * 32 + x * 32 / 48)]);
  EXPECT_TRUE(DestroyIcon(icon));
}

TEST(LoadImage, IntegerIdsAndTheirHashNamesAreOneResource) {
  HANDLE a = LoadImageA(self(), "#7", IMAGE_ICON, 16, 16, 0);
  HANDLE b = LoadImageA(self(), MAKEINTRESOURCEA(7), IMAGE_ICON, 16, 16, LR_SHARED);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b) << "every call makes a new icon";
  EXPECT_EQ(iconPixels(static_cast<HICON>(a)).color, decodedIcon(sourceFile("proxy.ico"), 16).color);
  EXPECT_EQ(iconPixels(static_cast<HICON>(a)).color, iconPixels(static_cast<HICON>(b)).color);
  EXPECT_TRUE(DestroyIcon(static_cast<HICON>(a)));
  EXPECT_TRUE(DestroyIcon(static_cast<HICON>(b)));
}

TEST(LoadImage, LoadsBitmapsAtTheirOwnSize) {
  const auto file = sourceFile("noemi_0000.bmp");
  quendel::codecs::DecodedPicture want;
  ASSERT_EQ(quendel::codecs::decodeBmp(file.data(), file.size(), &want), quendel::codecs::DecodeStatus::Ok);
  HBITMAP bitmap = LoadBitmapA(self(), "meadow");
  ASSERT_NE(bitmap, nullptr);
  BITMAP bm{};
  ASSERT_GT(GetObjectA(bitmap, sizeof bm, &bm), 0);
  EXPECT_EQ(bm.bmWidth, 64);
  EXPECT_EQ(bm.bmHeight, 62);
  EXPECT_EQ(bm.bmBitsPixel, 24);
  EXPECT_EQ(pixelsOf(bitmap), pixelsOf(*want.pixels));
  EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(LoadImage, LoadsCursorsWithTheirHotSpot) {
  HCURSOR cursor = LoadCursorA(self(), "Pointer");
  ASSERT_NE(cursor, nullptr);
  IconPixels got = iconPixels(cursor), want = decodedIcon(sourceFile("mercury.cur"), 32);
  EXPECT_FALSE(got.isIcon);
  EXPECT_EQ(got.hotX, 20u);
  EXPECT_EQ(got.hotY, 16u);
  EXPECT_EQ(got.width, 32);
  // A cursor without alpha: its colours count, the mask decides what shows.
  auto rgb = [](std::vector<std::uint32_t> pixels) {
    for (auto& p : pixels) p &= 0x00FFFFFF;
    return pixels;
  };
  EXPECT_EQ(rgb(got.color), rgb(want.color));
  EXPECT_TRUE(DestroyCursor(cursor));
}

TEST(LoadImage, FailsAsThePlatformDoes) {
  struct Case {
    const char* what;
    HINSTANCE module;
    const char* name;
    UINT type;
    int cx;
    UINT flags;
    DWORD error;
  } cases[] = {
      {"unknown name", self(), "NO_SUCH_ICON", IMAGE_ICON, 0, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"unknown id", self(), "#8", IMAGE_ICON, 0, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"malformed name", self(), "#x", IMAGE_BITMAP, 0, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"icon name as bitmap", self(), "App", IMAGE_BITMAP, 0, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"module without resources", GetModuleHandleA("quendelplatform"), "App", IMAGE_ICON, 0, 0,
       ERROR_RESOURCE_DATA_NOT_FOUND},
      {"system images", nullptr, "App", IMAGE_ICON, 0, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
      {"no module", reinterpret_cast<HINSTANCE>(0x1000), "App", IMAGE_ICON, 0, 0, ERROR_MOD_NOT_FOUND},
      {"unknown type", self(), "App", 3, 0, 0, ERROR_INVALID_PARAMETER},
      {"negative size", self(), "App", IMAGE_ICON, -1, 0, ERROR_INVALID_PARAMETER},
      {"from a file", self(), "App", IMAGE_ICON, 0, LR_LOADFROMFILE, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(LoadImageA(c.module, c.name, c.type, c.cx, c.cx, c.flags), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
}

}  // namespace
