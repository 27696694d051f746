#include "platform/cursor/cursor.h"

#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"

namespace {

using quendel::platform::resourceIdFromName;

TEST(CursorNames, ReadTheIdOfAResourceName) {
  struct Case {
    const char* name;
    long id;
  } cases[] = {
      {"#114", 114}, {"#0", 0},   {"#65535", 65535}, {"#65536", -1}, {"#", -1},
      {"#11a", -1},  {"114", -1}, {"", -1},          {nullptr, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(resourceIdFromName(c.name), c.id) << (c.name ? c.name : "null");
  EXPECT_EQ(resourceIdFromName(MAKEINTRESOURCEA(114)), 114);
}

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
