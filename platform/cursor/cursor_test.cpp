#include "platform/cursor/cursor.h"

#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"

namespace {

TEST(LoadCursor, GivesTheArrowOfUser32AsAFreshCursor) {
  HMODULE user32 = GetModuleHandleA("User32");
  ASSERT_NE(user32, nullptr);
  HCURSOR a = LoadCursorA(user32, "#114");
  HCURSOR b = LoadCursorA(user32, MAKEINTRESOURCEA(114));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);

  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(a, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 0u);
  EXPECT_EQ(info.yHotspot, 0u);
  BITMAP bm{};
  ASSERT_GT(GetObjectA(info.hbmColor, sizeof bm, &bm), 0);
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(bm.bmHeight, 32);
  EXPECT_TRUE(DeleteObject(info.hbmColor));
  EXPECT_TRUE(DeleteObject(info.hbmMask));

  EXPECT_TRUE(DestroyCursor(a));
  EXPECT_FALSE(DestroyCursor(a));  // already gone
  EXPECT_TRUE(DestroyCursor(b));
}

TEST(LoadCursor, RefusesOtherModulesAndIds) {
  HMODULE user32 = GetModuleHandleA("User32");
  EXPECT_EQ(LoadCursorA(nullptr, "#114"), nullptr);
  EXPECT_EQ(LoadCursorA(user32, "#115"), nullptr);
  EXPECT_EQ(LoadCursorA(user32, "arrow"), nullptr);
  EXPECT_EQ(LoadCursorA(GetModuleHandleA("quendelplatform"), "#114"), nullptr);
}

}  // namespace
