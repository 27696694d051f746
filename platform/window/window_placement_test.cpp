// Window placement: the rules in isolation, then real windows of another process under a
// private X server, without a window manager and with the test window manager.
#include "platform/window/window_placement.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/x11/xvfb_server.h"
#include "support/test_processes.h"
#include "support/testing.h"

// Found by argument lookup, so beside RECT.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& o, const RECT& r) {
  return o << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

using quendel::platform::hwndFromId;
using quendel::platform::ShowTarget;
using quendel::platform::windowId;
using quendel::testing::builtProgram;
using quendel::testing::ChildProcess;
using quendel::testing::ScopedEnv;
using quendel::x11::XvfbServer;

TEST(ShowCommands, EachAsksForOneState) {
  struct Case {
    UINT cmd;
    ShowTarget target;
  } cases[] = {
      {SW_HIDE, ShowTarget::Hidden},
      {SW_SHOWNORMAL, ShowTarget::Normal},
      {SW_SHOWMINIMIZED, ShowTarget::Minimized},
      {SW_SHOWMAXIMIZED, ShowTarget::Maximized},
      {SW_SHOWNOACTIVATE, ShowTarget::Normal},
      {SW_SHOW, ShowTarget::Normal},
      {SW_MINIMIZE, ShowTarget::Minimized},
      {SW_SHOWMINNOACTIVE, ShowTarget::Minimized},
      {SW_SHOWNA, ShowTarget::Normal},
      {SW_RESTORE, ShowTarget::Normal},
      {SW_SHOWDEFAULT, ShowTarget::Normal},
      {SW_FORCEMINIMIZE, ShowTarget::Minimized},
      {12345, ShowTarget::Normal},
  };
  for (const auto& c : cases) EXPECT_EQ(quendel::platform::showTargetOf(c.cmd), c.target) << c.cmd;
}

TEST(RequestOrigin, FollowsTheWindowsGravity) {
  const LONG frame[4] = {4, 6, 24, 2};  // left, right, top, bottom
  struct Case {
    std::uint32_t gravity;
    LONG x, y;
  } cases[] = {
      {0, 100, 50},   // ForgetGravity: as NorthWest
      {1, 100, 50},   // NorthWest: the frame's corner is the requested position
      {2, 105, 50},   // North: centred across
      {3, 110, 50},   // NorthEast
      {5, 105, 63},   // Center
      {9, 110, 76},   // SouthEast
      {10, 104, 74},  // Static: the client itself sits inside the frame
      {77, 100, 50},  // unknown
  };
  for (const auto& c : cases) {
    auto o = quendel::platform::requestOrigin(100, 50, c.gravity, frame);
    EXPECT_EQ(o.x, c.x) << c.gravity;
    EXPECT_EQ(o.y, c.y) << c.gravity;
  }
}

TEST(PlacementWithoutDisplay, FailsLeavingTheStructure) {
  ScopedEnv env("DISPLAY", nullptr);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  wp.showCmd = 77;
  EXPECT_FALSE(GetWindowPlacement(hwndFromId(0x200001), &wp));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(wp.showCmd, 77u);
  EXPECT_FALSE(SetWindowPlacement(hwndFromId(0x200001), &wp));
}

bool waitFor(const std::function<bool()>& done) {
  constexpr int kTries = 300;
  for (int i = 0; i < kTries; ++i) {
    if (done()) return true;
    ::usleep(10000);
  }
  return done();
}

WINDOWPLACEMENT placementOf(HWND w) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  EXPECT_TRUE(GetWindowPlacement(w, &wp));
  return wp;
}

WINDOWPLACEMENT wanted(UINT showCmd, RECT r, UINT flags = 0) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  wp.flags = flags;
  wp.showCmd = showCmd;
  wp.ptMinPosition = POINT{-1, -1};
  wp.ptMaxPosition = POINT{-1, -1};
  wp.rcNormalPosition = r;
  return wp;
}

BOOL place(HWND w, UINT showCmd, RECT r, UINT flags = 0) {
  WINDOWPLACEMENT wp = wanted(showCmd, r, flags);
  return SetWindowPlacement(w, &wp);
}

RECT outer(HWND w) {
  RECT r{};
  EXPECT_TRUE(GetWindowRect(w, &r));
  return r;
}

class Placement : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new XvfbServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(server_->running()) << "Xvfb did not start";
    display_ = std::make_unique<ScopedEnv>("DISPLAY", server_->display().c_str());
  }
  void TearDown() override {
    wm_.reset();
    display_.reset();
  }
  void startManager(std::vector<std::string> args) {
    args.insert(args.begin(), {builtProgram("platform_window_helper"), "fake-wm"});
    wm_ = std::make_unique<ChildProcess>(args);
    ASSERT_EQ(wm_->readLine(), "ready");
  }
  // A window of another program (200 x 100 at 10, 20 when shown).
  HWND helperWindow(std::unique_ptr<ChildProcess>& p, const char* state) {
    p = std::make_unique<ChildProcess>(
        std::vector<std::string>{builtProgram("platform_window_helper"), "window", state, "none"});
    std::string line = p->readLine();
    return line.empty() ? nullptr : hwndFromId(static_cast<uint32_t>(std::stoul(line)));
  }

  static XvfbServer* server_;
  std::unique_ptr<ScopedEnv> display_;
  std::unique_ptr<ChildProcess> wm_;
};
XvfbServer* Placement::server_ = nullptr;

TEST_F(Placement, ReadsAWindowAndRefusesBadInput) {
  std::unique_ptr<ChildProcess> p;
  HWND w = helperWindow(p, "shown");
  WINDOWPLACEMENT wp = placementOf(w);
  EXPECT_EQ(wp.length, 44u);
  EXPECT_EQ(wp.flags, 0u);
  EXPECT_EQ(wp.showCmd, SW_SHOWNORMAL);
  EXPECT_EQ(wp.ptMinPosition.x, -1);
  EXPECT_EQ(wp.ptMaxPosition.y, -1);
  EXPECT_EQ(wp.rcNormalPosition, (RECT{10, 20, 210, 120}));

  for (UINT length : {0u, 43u, 45u}) {
    WINDOWPLACEMENT bad = wp;
    bad.length = length;
    bad.showCmd = 99;
    SetLastError(0);
    EXPECT_FALSE(GetWindowPlacement(w, &bad));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(bad.showCmd, 99u);
    EXPECT_FALSE(SetWindowPlacement(w, &bad));
  }
  EXPECT_FALSE(GetWindowPlacement(w, nullptr));
  EXPECT_FALSE(SetWindowPlacement(w, nullptr));
  EXPECT_FALSE(GetWindowPlacement(hwndFromId(0x3FFFFF), &wp));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Placement, WithoutManagerEveryStateIsDoneDirectly) {
  std::unique_ptr<ChildProcess> p;
  HWND w = helperWindow(p, "hidden");
  const RECT normal{100, 50, 400, 250};
  ASSERT_TRUE(place(w, SW_SHOWNORMAL, normal));
  EXPECT_TRUE(IsWindowVisible(w));  // shown, as the command says
  EXPECT_EQ(outer(w), normal);

  ASSERT_TRUE(place(w, SW_SHOWMAXIMIZED, normal));
  EXPECT_EQ(outer(w), (RECT{0, 0, 1280, 1024}));  // the work area
  WINDOWPLACEMENT wp = placementOf(w);
  EXPECT_EQ(wp.showCmd, SW_SHOWMAXIMIZED);
  EXPECT_EQ(wp.rcNormalPosition, normal);  // the normal rectangle survives maximizing

  ASSERT_TRUE(place(w, SW_MINIMIZE, normal));
  EXPECT_TRUE(IsIconic(w));
  wp = placementOf(w);
  EXPECT_EQ(wp.showCmd, SW_SHOWMINIMIZED);
  EXPECT_EQ(wp.flags, 0u);
  EXPECT_EQ(wp.rcNormalPosition, normal);

  const RECT moved{20, 30, 220, 330};
  ASSERT_TRUE(place(w, SW_RESTORE, moved));
  EXPECT_FALSE(IsIconic(w));
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(outer(w), moved);
  EXPECT_EQ(placementOf(w).showCmd, SW_SHOWNORMAL);

  ASSERT_TRUE(place(w, SW_HIDE, moved));
  EXPECT_FALSE(IsWindowVisible(w));
}

TEST_F(Placement, ManagedFramedWindowsGoThroughTheManager) {
  // Work area below a 30-pixel panel; frames of 4 pixels with a 24-pixel title bar.
  startManager({"0", "30", "1280", "994", "frame", "4", "4", "24", "4"});
  std::unique_ptr<ChildProcess> p;
  HWND w = helperWindow(p, "hidden");
  const RECT normal{100, 50, 500, 350};  // workspace coordinates: 30 pixels lower on the screen
  const RECT onScreen{100, 80, 500, 380};
  ASSERT_TRUE(place(w, SW_SHOWNORMAL, normal));
  ASSERT_TRUE(waitFor([&] { return IsWindowVisible(w) && outer(w) == onScreen; })) << outer(w);
  EXPECT_EQ(placementOf(w).rcNormalPosition, normal);

  ASSERT_TRUE(place(w, SW_SHOWMAXIMIZED, normal));
  ASSERT_TRUE(waitFor([&] { return placementOf(w).showCmd == SW_SHOWMAXIMIZED; }));
  EXPECT_TRUE(waitFor([&] { return outer(w) == RECT{0, 30, 1280, 1024}; })) << outer(w);
  EXPECT_EQ(placementOf(w).rcNormalPosition, normal);

  // Minimized while maximized: restoring would maximize again.
  ASSERT_TRUE(place(w, SW_SHOWMINIMIZED, normal, WPF_RESTORETOMAXIMIZED));
  ASSERT_TRUE(waitFor([&] { return IsIconic(w) != FALSE; }));
  WINDOWPLACEMENT wp = placementOf(w);
  EXPECT_EQ(wp.showCmd, SW_SHOWMINIMIZED);
  EXPECT_EQ(wp.flags, WPF_RESTORETOMAXIMIZED);
  EXPECT_EQ(wp.rcNormalPosition, normal);

  const RECT other{300, 200, 700, 600};
  ASSERT_TRUE(place(w, SW_SHOWNORMAL, other));
  ASSERT_TRUE(waitFor([&] { return !IsIconic(w) && placementOf(w).showCmd == SW_SHOWNORMAL; }));
  EXPECT_TRUE(waitFor([&] { return outer(w) == RECT{300, 230, 700, 630}; })) << outer(w);
  EXPECT_EQ(placementOf(w).rcNormalPosition, other);
}

TEST_F(Placement, TheNormalRectangleIsRememberedForOtherProcesses) {
  startManager({"0", "30", "1280", "994"});
  std::unique_ptr<ChildProcess> p;
  HWND w = helperWindow(p, "shown");
  ASSERT_TRUE(waitFor([&] { return IsWindowVisible(w) != FALSE; }));
  // The user moves the window (a plain configure), the program notes it, then maximizes.
  const RECT moved{40, 70, 240, 170};
  ASSERT_TRUE(place(w, SW_SHOWNORMAL, {40, 40, 240, 140}));
  ASSERT_TRUE(waitFor([&] { return outer(w) == moved; }));
  EXPECT_TRUE(quendel::platform::rememberNormalPlacement(w));
  ASSERT_TRUE(place(w, SW_SHOWMAXIMIZED, {40, 40, 240, 140}));
  ASSERT_TRUE(waitFor([&] { return placementOf(w).showCmd == SW_SHOWMAXIMIZED; }));
  EXPECT_FALSE(quendel::platform::rememberNormalPlacement(w));  // not normal now: kept as it was
  // The rectangle lives on the window: a fresh connection (another process) sees it.
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  auto* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  (void)screen;
  const char name[] = "_QUENDEL_NORMAL_RECT";
  auto* a = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
  auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, windowId(w), a->atom, XCB_ATOM_CARDINAL, 0, 4), nullptr);
  ASSERT_TRUE(r);
  ASSERT_EQ(xcb_get_property_value_length(r), 16);
  auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
  EXPECT_EQ(std::vector<uint32_t>(v, v + 4), (std::vector<uint32_t>{40, 70, 240, 170}));
  std::free(r);
  std::free(a);
  xcb_disconnect(c);
  EXPECT_EQ(placementOf(w).rcNormalPosition, (RECT{40, 40, 240, 140}));
}

}  // namespace
