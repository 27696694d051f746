#include "toolvane/general/icon_picture.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/ole/load_picture.h"
#include "support/quendelsupportfbe.h"
#include "support/testing.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;

LONG himetric(int pixels, LONG dpi) { return static_cast<LONG>(std::lround(pixels * 2540.0 / dpi)); }

TEST(BitmapPicture, OwnsTheBitmap) {
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 48, 24);
  auto picture = asGetBitmapFromHandle(bitmap);
  ASSERT_TRUE(picture);
  const QuendelScreenInfo screen = esGetScreenInfo();
  EXPECT_EQ(picture->Type().value, PICTYPE_BITMAP);
  EXPECT_EQ(picture->Handle(), reinterpret_cast<std::uintptr_t>(bitmap));
  EXPECT_EQ(picture->Width(), himetric(48, screen.logicalDpiX));
  EXPECT_EQ(picture->Height(), himetric(24, screen.logicalDpiY));
  EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP);
  picture.reset();
  EXPECT_EQ(GetObjectType(bitmap), 0u) << "deleted with the picture";
  EXPECT_EQ(errorOf([&] { asGetBitmapFromHandle(bitmap); }), 5);
  EXPECT_EQ(errorOf([] { asGetBitmapFromHandle(nullptr); }), 5);
}

TEST(IconPicture, CopyKeepsAMonochromeCursor) {
  const std::uint8_t bits[] = {0x80, 0, 0x40, 0};  // 16 x 1 AND row over a 16 x 1 XOR row
  HBITMAP mask = CreateBitmap(16, 2, 1, 1, bits);
  ICONINFO ii{0, 1, 0, mask, nullptr};
  HICON cursor = CreateIconIndirect(&ii);
  ASSERT_TRUE(DeleteObject(mask));
  auto picture = asGetIconFromHandle(cursor);
  ASSERT_TRUE(DestroyIcon(cursor));
  auto copy = reinterpret_cast<HICON>(picture->Handle());
  ICONINFO out{};
  ASSERT_TRUE(GetIconInfo(copy, &out));
  EXPECT_EQ(out.hbmColor, nullptr);
  EXPECT_EQ(out.fIcon, 0) << "a cursor";
  EXPECT_EQ(out.xHotspot, 1u);
  EXPECT_TRUE(DeleteObject(out.hbmMask));
  picture.reset();
  EXPECT_FALSE(GetIconInfo(copy, &out)) << "the copy goes with the picture";
}

// Window services of a unit test: one window, 0x77, whose icon is `served`.
HICON served = nullptr;
HRESULT fakeIcon(HWND window, bool small, HICON* out) {
  if (window != reinterpret_cast<HWND>(0x77)) return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
  *out = small ? served : nullptr;
  return S_OK;
}

TEST(WindowIconPicture, OwnsTheWindowsIconOrIsNothing) {
  const QuendelWindowServices fake{fakeIcon, nullptr, nullptr, nullptr, nullptr};
  const QuendelWindowServices* installed = asSetWindowServices(&fake);
  auto color = gdi::PixelStore::create(16, 16, true), mask = gdi::PixelStore::create(16, 16, true);
  gdi::IconImage image;
  image.color = color;
  image.mask = mask;
  served = gdi::createIcon(image);
  auto window = reinterpret_cast<HWND>(0x77);
  auto small = asGetWindowIconSmall(window);
  ASSERT_TRUE(small);
  EXPECT_EQ(small->Type().value, PICTYPE_ICON);
  EXPECT_EQ(small->Handle(), reinterpret_cast<std::uintptr_t>(served));
  EXPECT_EQ(asGetWindowIcon(window), nullptr) << "no large icon: Nothing";
  small.reset();
  EXPECT_FALSE(DestroyIcon(served)) << "destroyed with the picture";
  EXPECT_EQ(errorOf([] { asGetWindowIcon(reinterpret_cast<HWND>(0x78)); }),
            errorNumberFromHResult(HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE)));
  asSetWindowServices(installed);
}

}  // namespace
}  // namespace quendel::toolvane
