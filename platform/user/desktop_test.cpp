// The thread's desktop and its name.
#include "platform/user/desktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/testing.h"

namespace {

TEST(Desktop, NameFromEnvironment) {
  using quendel::platform::desktopNameFor;
  EXPECT_EQ(desktopNameFor(":0", nullptr, nullptr), ":0");
  EXPECT_EQ(desktopNameFor(":1.0", "wayland-0", "3"), ":1");
  EXPECT_EQ(desktopNameFor("host.example:10.2", nullptr, nullptr), "host.example:10");
  EXPECT_EQ(desktopNameFor("", "wayland-1", "7"), "wayland-1");
  EXPECT_EQ(desktopNameFor(nullptr, nullptr, "7"), "session-7");
  EXPECT_EQ(desktopNameFor(nullptr, "", ""), "");
}

using quendel::testing::ScopedEnv;

TEST(Desktop, ThreadDesktopAndItsName) {
  ScopedEnv display("DISPLAY", ":42.0");
  HDESK desk = GetThreadDesktop(GetCurrentThreadId());
  ASSERT_NE(desk, nullptr);
  char name[8];
  DWORD needed = 0;
  EXPECT_FALSE(GetUserObjectInformationA(desk, UOI_NAME, name, 3, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, 4u);
  ASSERT_TRUE(GetUserObjectInformationA(desk, UOI_NAME, name, sizeof name, &needed));
  EXPECT_STREQ(name, ":42");
  EXPECT_FALSE(GetUserObjectInformationA(desk, UOI_FLAGS, name, sizeof name, &needed));
  EXPECT_FALSE(GetUserObjectInformationA(reinterpret_cast<HANDLE>(name), UOI_NAME, name, sizeof name, &needed));
  EXPECT_EQ(GetThreadDesktop(0), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  ScopedEnv noDisplay("DISPLAY", nullptr), noWayland("WAYLAND_DISPLAY", nullptr), noSession("XDG_SESSION_ID", nullptr);
  EXPECT_EQ(GetThreadDesktop(GetCurrentThreadId()), nullptr);
}

}  // namespace
