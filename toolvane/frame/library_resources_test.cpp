// The resources the library carries: its version block and the pictures of its About box.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/cursor/cursor.h"
#include "platform/resources/version_info.h"
#include "support/elf_section.h"
#include "support/formatted.h"

namespace {

HMODULE library() { return GetModuleHandleA("toolvane0305"); }

std::string libraryPath() {
  std::string path;
  EXPECT_TRUE(quendel::loadedModulePath(reinterpret_cast<std::uintptr_t>(library()), &path));
  return path;
}

TEST(LibraryResources, VersionBlockReadsBackByteForByte) {
  const std::string path = libraryPath();
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
  ASSERT_GT(size, 0u) << path;
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00030005u);
  EXPECT_EQ(fixed.dwFileVersionLS, 301u);
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00030005u);
  EXPECT_EQ(fixed.dwProductVersionLS, 301u);
  EXPECT_EQ(fixed.dwFileType, 2u);  // a library

  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  WORD pair[2];
  std::memcpy(pair, value, sizeof pair);
  const std::string key = quendel::formatted("%04X%04X", pair[0], pair[1]);
  EXPECT_EQ(key, "041904E3");

  // Texts in the ANSI code page, here UTF-8.
  struct Case {
    const char* name;
    const char* text;
  } cases[] = {
      {"CompanyName", "Kestrane"},      {"FileDescription", "Quendel - Библиотека общих функций 3.05"},
      {"FileVersion", "3.05.0301"},     {"ProductVersion", "3.05.0301"},
      {"InternalName", "Toolvane0305"}, {"OriginalFilename", "Toolvane0305.DLL"},
      {"OLESelfRegister", ""},
  };
  for (const auto& c : cases) {
    std::string query = std::string("\\StringFileInfo\\") + key + "\\" + c.name;
    ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), &value, &length)) << c.name;
    EXPECT_EQ(std::string(static_cast<const char*>(value), length), std::string(c.text, std::strlen(c.text) + 1))
        << c.name;
  }
}

struct Size {
  int width, height, bits;
};

Size bitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  EXPECT_GT(GetObjectA(bitmap, sizeof bm, &bm), 0);
  return {bm.bmWidth, bm.bmHeight, bm.bmBitsPixel};
}

TEST(LibraryResources, EveryPictureLoadsAtEverySizeItHas) {
  ASSERT_NE(library(), nullptr);
  struct Bitmap {
    const char* name;
    int width, height;
  } bitmaps[] = {{"NOEMI_0000", 64, 62}, {"NOEMI_0001", 290, 160}};
  for (const auto& b : bitmaps) {
    HBITMAP bitmap = LoadBitmapA(library(), b.name);
    ASSERT_NE(bitmap, nullptr) << b.name;
    Size size = bitmapSize(bitmap);
    EXPECT_EQ(size.width, b.width) << b.name;
    EXPECT_EQ(size.height, b.height) << b.name;
    EXPECT_EQ(size.bits, 24) << b.name;
    EXPECT_TRUE(DeleteObject(bitmap));
  }
  for (const char* name : {"NOEMI_0000", "noemi_0000", "PROXY"}) {
    for (int edge : {32, 16}) {
      HICON icon = static_cast<HICON>(LoadImageA(library(), name, IMAGE_ICON, edge, edge, 0));
      ASSERT_NE(icon, nullptr) << name << " " << edge;
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      Size size = bitmapSize(info.hbmColor);
      EXPECT_EQ(size.width, edge) << name;
      EXPECT_EQ(size.height, edge) << name;
      EXPECT_TRUE(DeleteObject(info.hbmColor));
      EXPECT_TRUE(DeleteObject(info.hbmMask));
      EXPECT_TRUE(DestroyIcon(icon));
    }
  }
}

TEST(LibraryResources, MercuryCursorIsAMonochromeArrowWithItsHotSpotAtTheTip) {
  HCURSOR cursor = LoadCursorA(library(), "MERCURY_CURSOR");
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 20u);
  EXPECT_EQ(info.yHotspot, 16u);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, info.hbmColor);
  // Every opaque pixel is black or white; the tip itself is drawn.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      COLORREF c = GetPixel(dc, x, y);
      EXPECT_TRUE(c == 0 || c == 0xFFFFFF) << x << "," << y;
    }
  SelectObject(dc, info.hbmMask);
  EXPECT_EQ(GetPixel(dc, 20, 17), 0u) << "the arrow starts at the hot spot";
  EXPECT_EQ(GetPixel(dc, 0, 31), 0xFFFFFFu) << "a transparent corner";
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(info.hbmColor));
  EXPECT_TRUE(DeleteObject(info.hbmMask));
  EXPECT_TRUE(DestroyCursor(cursor));
}

TEST(LibraryResources, UnknownNamesFailAsThePlatformsCall) {
  SetLastError(0);
  EXPECT_EQ(LoadBitmapA(library(), "NOEMI_0002"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(LoadIconA(library(), "A_MAIN"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
