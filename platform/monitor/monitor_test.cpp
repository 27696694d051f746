// Monitors: the choice rules, and the functions on private X servers with and without
// RandR, with RandR monitors made for the test.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/monitor/monitor.h"
#include "platform/x11/xvfb_server.h"
#include "support/test_processes.h"
#include "support/testing.h"

namespace {

using quendel::platform::monitorForPoint;
using quendel::platform::monitorForRect;
using quendel::testing::builtProgram;
using quendel::testing::ChildProcess;
using quendel::testing::ScopedEnv;
using quendel::x11::XvfbServer;

TEST(MonitorChoice, PointsAndRectangles) {
  // Left 0..640 (primary: index 1 here), right 640..1280, and one below the right one.
  std::vector<RECT> m = {{640, 0, 1280, 1024}, {0, 0, 640, 1024}, {640, 1024, 1280, 1768}};
  const int primary = 1;
  struct PointCase {
    POINT p;
    DWORD flags;
    int expected;
  } points[] = {
      {{0, 0}, 0, 1},      {{639, 500}, 0, 1}, {{640, 500}, 0, 0},  // right edge excluded
      {{700, 1024}, 0, 2}, {{-5, 10}, 0, -1},  {{-5, 10}, 1, 1},     {{-5, 10}, 2, 1},
      {{5000, 10}, 2, 0},  {{5000, 10}, 1, 1}, {{5000, 5000}, 2, 2}, {{5000, 10}, 7, -1},
  };
  for (const auto& c : points)
    EXPECT_EQ(monitorForPoint(m, primary, c.p, c.flags), c.expected) << c.p.x << "," << c.p.y << " " << c.flags;

  struct RectCase {
    RECT r;
    DWORD flags;
    int expected;
  } rectangles[] = {
      {{600, 10, 700, 20}, 0, 0},      // 40 px left, 60 px right: the right one
      {{580, 10, 690, 20}, 0, 1},      // 60 left, 50 right
      {{650, 1000, 700, 1100}, 0, 2},  // more below than above
      {{10, 10, 10, 10}, 0, 1},        // empty: its top-left point
      {{-100, -100, -50, -50}, 0, -1}, {{-100, -100, -50, -50}, 1, 1}, {{2000, 1500, 2100, 1600}, 2, 2},
  };
  for (const auto& c : rectangles) EXPECT_EQ(monitorForRect(m, primary, c.r, c.flags), c.expected) << c.r.left;
  EXPECT_EQ(monitorForPoint({}, 0, POINT{0, 0}, 2), -1);
}

TEST(MonitorChoice, NormalizeRect) {
  RECT r{10, 20, 5, 2};
  esNormalizeRect(r);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right, 10);
  EXPECT_EQ(r.bottom, 20);
  EXPECT_EQ(esNormalizeRect(static_cast<RECT*>(nullptr)), E_POINTER);
}

void expectNoMonitorFunctions() {
  EXPECT_FALSE(quendel::platform::multiMonitorAvailable());
  SetLastError(0);
  EXPECT_EQ(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CALL_NOT_IMPLEMENTED));
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), nullptr);
  EXPECT_EQ(MonitorFromWindow(GetDesktopWindow(), MONITOR_DEFAULTTONEAREST), nullptr);
  EXPECT_FALSE(EnumDisplayMonitors(
      nullptr, nullptr, [](HMONITOR, HDC, RECT*, LPARAM) { return TRUE; }, 0));
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetMonitorInfoA(reinterpret_cast<HMONITOR>(1), &info));
}

TEST(MonitorsWithoutRandR, NoDisplayOrNoExtension) {
  {
    ScopedEnv none("DISPLAY", nullptr);
    expectNoMonitorFunctions();
  }
  XvfbServer plain({"-extension", "RANDR"});
  ASSERT_TRUE(plain.running());
  ScopedEnv env("DISPLAY", plain.display().c_str());
  ASSERT_NE(GetDesktopWindow(), nullptr);  // a display, but no monitors to ask
  expectNoMonitorFunctions();
}

struct Listed {
  std::vector<HMONITOR> monitors;
  std::vector<RECT> parts;
};
BOOL listMonitor(HMONITOR m, HDC, RECT* part, LPARAM param) {
  auto* l = reinterpret_cast<Listed*>(param);
  l->monitors.push_back(m);
  l->parts.push_back(*part);
  return TRUE;
}

MONITORINFOEXA infoOf(HMONITOR m) {
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  EXPECT_TRUE(GetMonitorInfoA(m, &info));
  return info;
}

class TwoMonitors : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new XvfbServer({"+extension", "RANDR"});
    if (!server_->running()) return;
    ScopedEnv env("DISPLAY", server_->display().c_str());
    ChildProcess set({builtProgram("platform_window_helper"), "set-monitors", "LEFT:0,0,640,1024:primary",
                      "RIGHTMONITORWITHAVERYLONGNAME12345:640,0,640,1024"});
    made_ = set.readLine() == "ok";
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(server_->running() && made_);
    display_ = std::make_unique<ScopedEnv>("DISPLAY", server_->display().c_str());
  }
  void TearDown() override { display_.reset(); }

  static inline XvfbServer* server_ = nullptr;
  static inline bool made_ = false;
  std::unique_ptr<ScopedEnv> display_;
};

TEST_F(TwoMonitors, EnumerationAndInformation) {
  ASSERT_TRUE(quendel::platform::multiMonitorAvailable());
  Listed all;
  ASSERT_TRUE(EnumDisplayMonitors(nullptr, nullptr, listMonitor, reinterpret_cast<LPARAM>(&all)));
  ASSERT_EQ(all.monitors.size(), 2u);
  MONITORINFOEXA left = infoOf(all.monitors[0]), right = infoOf(all.monitors[1]);
  EXPECT_STREQ(left.szDevice, "LEFT");
  EXPECT_EQ(left.dwFlags, MONITORINFOF_PRIMARY);
  EXPECT_EQ(left.rcMonitor.right, 640);
  EXPECT_EQ(left.rcWork.bottom, 1024);  // no window manager: the whole monitor
  EXPECT_STREQ(right.szDevice, std::string("RIGHTMONITORWITHAVERYLONGNAME12345").substr(0, 31).c_str());
  EXPECT_EQ(right.dwFlags, 0u);
  EXPECT_EQ(right.rcMonitor.left, 640);
  EXPECT_EQ(right.rcMonitor.right, 1280);

  MONITORINFO small{};
  small.cbSize = sizeof small;
  EXPECT_TRUE(GetMonitorInfoA(all.monitors[1], &small));
  EXPECT_EQ(small.rcMonitor.left, 640);
  small.cbSize = 41;
  EXPECT_FALSE(GetMonitorInfoA(all.monitors[1], &small));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  MONITORINFOEXA untouched{};
  untouched.cbSize = sizeof untouched;
  EXPECT_FALSE(GetMonitorInfoA(reinterpret_cast<HMONITOR>(0x12345), &untouched));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(untouched.rcMonitor.right, 0);

  RECT clip{600, 100, 700, 200};
  Listed clipped;
  ASSERT_TRUE(EnumDisplayMonitors(nullptr, &clip, listMonitor, reinterpret_cast<LPARAM>(&clipped)));
  ASSERT_EQ(clipped.parts.size(), 2u);
  EXPECT_EQ(clipped.parts[0].right, 640);
  EXPECT_EQ(clipped.parts[1].left, 640);
  RECT farAway{5000, 5000, 5100, 5100};
  Listed none;
  EXPECT_TRUE(EnumDisplayMonitors(nullptr, &farAway, listMonitor, reinterpret_cast<LPARAM>(&none)));
  EXPECT_TRUE(none.monitors.empty());
  Listed stop;
  EXPECT_FALSE(EnumDisplayMonitors(
      nullptr, nullptr, [](HMONITOR, HDC, RECT*, LPARAM) { return FALSE; }, 0));
}

TEST_F(TwoMonitors, PointsRectanglesAndWindows) {
  Listed all;
  ASSERT_TRUE(EnumDisplayMonitors(nullptr, nullptr, listMonitor, reinterpret_cast<LPARAM>(&all)));
  ASSERT_EQ(all.monitors.size(), 2u);
  HMONITOR left = all.monitors[0], right = all.monitors[1];
  EXPECT_EQ(MonitorFromPoint(POINT{100, 100}, MONITOR_DEFAULTTONULL), left);
  EXPECT_EQ(MonitorFromPoint(POINT{1000, 100}, MONITOR_DEFAULTTONULL), right);
  EXPECT_EQ(MonitorFromPoint(POINT{3000, 100}, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromPoint(POINT{3000, 100}, MONITOR_DEFAULTTOPRIMARY), left);
  EXPECT_EQ(MonitorFromPoint(POINT{3000, 100}, MONITOR_DEFAULTTONEAREST), right);
  RECT r{600, 0, 1000, 10};
  EXPECT_EQ(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), right);
  EXPECT_EQ(MonitorFromRect(nullptr, MONITOR_DEFAULTTONULL), nullptr);

  ChildProcess window({builtProgram("platform_window_helper"), "window", "shown", "none"});
  HWND w = quendel::platform::hwndFromId(static_cast<uint32_t>(std::stoul(window.readLine())));
  EXPECT_EQ(MonitorFromWindow(w, MONITOR_DEFAULTTONULL), left);  // at 10,20
  EXPECT_EQ(MonitorFromWindow(quendel::platform::hwndFromId(0x3FFFFF), MONITOR_DEFAULTTOPRIMARY), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(TwoMonitors, WorkAreaOfEachMonitor) {
  ChildProcess wm({builtProgram("platform_window_helper"), "fake-wm", "0", "30", "1280", "994"});
  ASSERT_EQ(wm.readLine(), "ready");
  Listed all;
  ASSERT_TRUE(EnumDisplayMonitors(nullptr, nullptr, listMonitor, reinterpret_cast<LPARAM>(&all)));
  ASSERT_EQ(all.monitors.size(), 2u);
  MONITORINFOEXA right = infoOf(all.monitors[1]);
  EXPECT_EQ(right.rcWork.left, 640);
  EXPECT_EQ(right.rcWork.top, 30);
  EXPECT_EQ(right.rcWork.right, 1280);
  EXPECT_EQ(right.rcMonitor.top, 0);
}

}  // namespace
