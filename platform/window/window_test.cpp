// The window layer: state rules, and every function against private X servers with
// helper processes as the other programs.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/window/window.h"
#include "platform/window/window_messages.h"
#include "platform/x11/xvfb_server.h"
#include "support/test_processes.h"
#include "support/testing.h"

namespace {

using quendel::platform::hwndFromId;
using quendel::platform::WindowFacts;
using quendel::platform::windowId;
using quendel::testing::builtProgram;
using quendel::testing::ChildProcess;
using quendel::testing::ScopedEnv;
using quendel::x11::XvfbServer;

TEST(WindowFacts, VisibleAndIconicAsWindowsSeesThem) {
  struct Case {
    WindowFacts facts;
    bool visible, iconic;
  } cases[] = {
      {{true, 1, false, false}, true, false},   // shown, managed
      {{true, -1, false, false}, true, false},  // shown, no window manager
      {{false, 3, false, false}, true, true},   // minimized by the manager: still visible
      {{false, 3, true, false}, true, true},
      {{false, -1, false, false}, false, false},  // hidden
      {{false, 0, false, false}, false, false},   // withdrawn
      {{false, -1, false, true}, false, true},    // hidden and minimized (to the tray)
      {{false, 0, true, false}, false, true},
      {{false, 1, false, true}, false, false},  // managed normal state wins over old hints
      {{true, -1, false, true}, true, false},   // shown: the start hint no longer counts
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quendel::platform::factsVisible(c.facts), c.visible);
    EXPECT_EQ(quendel::platform::factsIconic(c.facts), c.iconic);
  }
}

BOOL countWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(WindowsWithoutDisplay, FailAsForAMissingWindow) {
  for (const char* display : {static_cast<const char*>(nullptr), ":987"}) {
    ScopedEnv env("DISPLAY", display);
    HWND someWindow = hwndFromId(0x200001);
    EXPECT_EQ(RegisterWindowMessageA("{C91232E8-B223-4501-BCF0-4F645EAACD6E}"), 0u);
    EXPECT_FALSE(IsWindow(someWindow));
    SetLastError(0);
    EXPECT_FALSE(SetPropA(someWindow, "p", reinterpret_cast<HANDLE>(1)));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetPropA(someWindow, "p"), nullptr);
    EXPECT_EQ(RemovePropA(someWindow, "p"), nullptr);
    int count = 0;
    EXPECT_FALSE(EnumWindows(countWindow, reinterpret_cast<LPARAM>(&count)));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(IsWindowVisible(someWindow));
    EXPECT_FALSE(IsIconic(someWindow));
    EXPECT_FALSE(OpenIcon(someWindow));
    EXPECT_FALSE(SetForegroundWindow(someWindow));
    EXPECT_EQ(SendMessageA(someWindow, 0xC100, 0, 0), 0);
    EXPECT_EQ(GetDesktopWindow(), nullptr);
    RECT r{1, 2, 3, 4};
    EXPECT_FALSE(GetWindowRect(someWindow, &r));
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0));
    EXPECT_EQ(r.left, 1);  // untouched
    EXPECT_FALSE(
        quendel::platform::setWindowMessageHandler(someWindow, [](HWND, UINT, WPARAM, LPARAM) { return LRESULT(1); }));
    EXPECT_EQ(quendel::platform::windowMessageDescriptor(), -1);
    EXPECT_EQ(quendel::platform::dispatchWindowMessages(), 0);
  }
}

// A raw connection of the test itself, for looking at what the functions did.
struct Raw {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  ~Raw() { xcb_disconnect(c); }
  std::vector<xcb_window_t> stackBottomFirst() {
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, screen->root), nullptr);
    std::vector<xcb_window_t> out(xcb_query_tree_children(tree),
                                  xcb_query_tree_children(tree) + xcb_query_tree_children_length(tree));
    std::free(tree);
    return out;
  }
  xcb_window_t focus() {
    auto* r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    xcb_window_t f = r ? r->focus : 0;
    std::free(r);
    return f;
  }
  xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
  }
  std::vector<uint32_t> cardinals(xcb_window_t w, const char* name) {
    auto* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
    std::vector<uint32_t> out;
    if (r && r->format == 32) {
      auto* v = static_cast<uint32_t*>(xcb_get_property_value(r));
      out.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return out;
  }
  xcb_window_t makeWindow() {
    xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 50, 50, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return w;
  }
};

class WindowLayer : public ::testing::Test {
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
  void TearDown() override { display_.reset(); }

  // A helper window in another process; its handle, or nullptr.
  HWND helperWindow(ChildProcess& p) {
    std::string line = p.readLine();
    return line.empty() ? nullptr : hwndFromId(static_cast<uint32_t>(std::stoul(line)));
  }
  // The helper's window once its message handler can be seen from this process: another
  // client's property change reaches the server a moment after that client has sent it.
  HWND handlerWindow(ChildProcess& p) {
    HWND w = helperWindow(p);
    for (int tries = 0; w && tries < kHandlerTries && !quendel::platform::windowHasMessageHandler(w); ++tries)
      std::this_thread::sleep_for(std::chrono::milliseconds(kHandlerWaitMs));
    return w;
  }
  static constexpr int kHandlerTries = 200, kHandlerWaitMs = 10;
  static std::vector<std::string> helper(const char* state, const char* handler) {
    return {builtProgram("platform_window_helper"), "window", state, handler};
  }

  static XvfbServer* server_;
  std::unique_ptr<ScopedEnv> display_;
};
XvfbServer* WindowLayer::server_ = nullptr;

TEST_F(WindowLayer, RegisteredMessagesAreServerAtoms) {
  UINT m = RegisterWindowMessageA("{C91232E8-B223-4501-BCF0-4F645EAACD6E}");
  EXPECT_GE(m, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageA("{c91232e8-b223-4501-bcf0-4f645eaacd6e}"), m);  // letter case ignored
  EXPECT_NE(RegisterWindowMessageA("another"), m);
  Raw raw;  // any other client of the display finds the same number
  EXPECT_EQ(0xC000u + raw.atom("_QUENDEL_MESSAGE_{C91232E8-B223-4501-BCF0-4F645EAACD6E}"), m);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
  EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);
  EXPECT_EQ(RegisterWindowMessageA(std::string(256, 'x').c_str()), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(WindowLayer, PropertiesOfAnotherProcesssWindow) {
  ChildProcess p(helper("shown", "none"));
  HWND w = helperWindow(p);
  ASSERT_TRUE(IsWindow(w));
  auto big = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1234567890ull));
  EXPECT_TRUE(SetPropA(w, "PrevInstance_App_Marker", reinterpret_cast<HANDLE>(69)));
  EXPECT_TRUE(SetPropA(w, "Big", big));
  EXPECT_EQ(GetPropA(w, "previnstance_app_marker"), reinterpret_cast<HANDLE>(69));
  EXPECT_EQ(GetPropA(w, "Big"), big);
  EXPECT_EQ(GetPropA(w, "Missing"), nullptr);
  EXPECT_EQ(RemovePropA(w, "PrevInstance_App_Marker"), reinterpret_cast<HANDLE>(69));
  EXPECT_EQ(GetPropA(w, "PrevInstance_App_Marker"), nullptr);
  EXPECT_EQ(RemovePropA(w, "PrevInstance_App_Marker"), nullptr);
  // Bad names and missing windows.
  EXPECT_FALSE(SetPropA(w, nullptr, big));
  EXPECT_FALSE(SetPropA(w, reinterpret_cast<const char*>(0xC123), big));
  EXPECT_FALSE(SetPropA(w, std::string(256, 'n').c_str(), big));
  EXPECT_FALSE(SetPropA(hwndFromId(0x3FFFFF), "p", big));
  EXPECT_FALSE(SetPropA(nullptr, "p", big));
  EXPECT_EQ(GetPropA(reinterpret_cast<HWND>(~std::uintptr_t{0}), "p"), nullptr);
  p.stop();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(GetPropA(w, "Big"), nullptr);
}

struct Collected {
  std::vector<HWND> windows;
  std::size_t stopAfter = 1000;
};
BOOL collect(HWND w, LPARAM param) {
  auto* c = reinterpret_cast<Collected*>(param);
  c->windows.push_back(w);
  return c->windows.size() < c->stopAfter;
}

TEST_F(WindowLayer, EnumWindowsListsTopmostFirst) {
  ChildProcess first(helper("shown", "none"));
  HWND a = helperWindow(first);
  ChildProcess second(helper("hidden", "none"));
  HWND b = helperWindow(second);
  Collected all;
  EXPECT_TRUE(EnumWindows(collect, reinterpret_cast<LPARAM>(&all)));
  auto posA = std::find(all.windows.begin(), all.windows.end(), a);
  auto posB = std::find(all.windows.begin(), all.windows.end(), b);
  ASSERT_NE(posA, all.windows.end());
  ASSERT_NE(posB, all.windows.end());  // hidden windows are listed too
  EXPECT_LT(posB, posA);               // created later, so above
  Collected two;
  two.stopAfter = 2;
  EXPECT_FALSE(EnumWindows(collect, reinterpret_cast<LPARAM>(&two)));
  EXPECT_EQ(two.windows.size(), 2u);
  EXPECT_FALSE(EnumWindows(nullptr, 0));
}

TEST_F(WindowLayer, StatesAndActivationWithoutWindowManager) {
  ChildProcess shown(helper("shown", "none")), hidden(helper("hidden", "none")),
      tray(helper("hidden-minimized", "none"));
  HWND s = helperWindow(shown), h = helperWindow(hidden), t = helperWindow(tray);
  EXPECT_TRUE(IsWindowVisible(s));
  EXPECT_FALSE(IsIconic(s));
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_FALSE(IsIconic(h));
  EXPECT_FALSE(IsWindowVisible(t));
  EXPECT_TRUE(IsIconic(t));

  EXPECT_TRUE(OpenIcon(t));  // restored and shown
  EXPECT_TRUE(IsWindowVisible(t));
  EXPECT_FALSE(IsIconic(t));

  Raw raw;
  EXPECT_TRUE(SetForegroundWindow(s));
  EXPECT_EQ(raw.stackBottomFirst().back(), windowId(s));
  EXPECT_EQ(raw.focus(), windowId(s));
  EXPECT_TRUE(SetForegroundWindow(h));  // raised, but a hidden window takes no focus
  EXPECT_EQ(raw.focus(), windowId(s));
  EXPECT_FALSE(SetForegroundWindow(hwndFromId(0x3FFFFF)));
}

TEST_F(WindowLayer, GeometryAndWorkAreaWithoutWindowManager) {
  ChildProcess p(helper("shown", "none"));
  HWND w = helperWindow(p);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(w, &r));
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 210);
  EXPECT_EQ(r.bottom, 120);
  ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &r));
  EXPECT_EQ(r.right, 1280);
  EXPECT_EQ(r.bottom, 1024);
  RECT area{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_EQ(area.left, 0);
  EXPECT_EQ(area.right, 1280);
  EXPECT_EQ(area.bottom, 1024);
  EXPECT_FALSE(SystemParametersInfoA(0x30 + 1, 0, &area, 0));
  EXPECT_FALSE(GetWindowRect(w, nullptr));
}

TEST_F(WindowLayer, SendMessageToAnotherProcess) {
  UINT msg = RegisterWindowMessageA("quendel test message");
  ChildProcess answering(helper("shown", "42"));
  HWND a = handlerWindow(answering);
  EXPECT_EQ(SendMessageA(a, msg, 7, -3), 42);
  EXPECT_EQ(answering.readLine(), "message " + std::to_string(msg) + " 7 -3");

  ChildProcess negative(helper("hidden", "-5"));
  EXPECT_EQ(SendMessageA(handlerWindow(negative), msg, 0, 0), -5);

  ChildProcess plain(helper("shown", "none"));  // no handler: nobody answers, no wait
  EXPECT_EQ(SendMessageA(helperWindow(plain), msg, 0, 0), 0);

  {
    ScopedEnv shortWait("QUENDEL_SENDMESSAGE_TIMEOUT_MS", "200");
    ChildProcess silent(helper("shown", "silent"));  // installed, never reads its messages
    EXPECT_EQ(SendMessageA(handlerWindow(silent), msg, 0, 0), 0);
  }
  answering.stop(SIGKILL);  // its messenger is gone with it
  EXPECT_EQ(SendMessageA(a, msg, 0, 0), 0);
}

TEST_F(WindowLayer, SendMessageToOwnWindowRunsHandlerAtOnce) {
  Raw raw;
  HWND mine = hwndFromId(raw.makeWindow());
  int calls = 0;
  ASSERT_TRUE(quendel::platform::setWindowMessageHandler(mine, [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    ++calls;
    return w == mine && m == 0xC111 && wp == 2 && lp == -2 ? 77 : 1;
  }));
  EXPECT_EQ(SendMessageA(mine, 0xC111, 2, -2), 77);
  EXPECT_EQ(calls, 1);
  EXPECT_GE(quendel::platform::windowMessageDescriptor(), 0);
  EXPECT_TRUE(quendel::platform::setWindowMessageHandler(mine, nullptr));
  EXPECT_EQ(SendMessageA(mine, 0xC111, 2, -2), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(quendel::platform::setWindowMessageHandler(hwndFromId(0x3FFFFF),
                                                          [](HWND, UINT, WPARAM, LPARAM) { return LRESULT(0); }));
}

TEST_F(WindowLayer, ARemovedHandlerIsGoneAtOnceForEveryConnection) {
  // The removal travels on another connection than the one that asks; asking right after
  // must not find the old messenger, nor wait for an answer from it.
  Raw raw;
  constexpr int kRounds = 200;
  for (int round = 0; round < kRounds; ++round) {
    HWND w = hwndFromId(raw.makeWindow());
    ASSERT_TRUE(quendel::platform::setWindowMessageHandler(w, [](HWND, UINT, WPARAM, LPARAM) { return LRESULT(1); }));
    ASSERT_TRUE(quendel::platform::setWindowMessageHandler(w, nullptr));
    ASSERT_FALSE(quendel::platform::windowHasMessageHandler(w)) << "round " << round;
  }
}

// With a (tiny) EWMH window manager running.
class ManagedWindows : public WindowLayer {
 protected:
  static void SetUpTestSuite() { server_ = new XvfbServer(); }
  void SetUp() override {
    WindowLayer::SetUp();
    wm_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{builtProgram("platform_window_helper"), "fake-wm", "0", "30", "1280", "994"});
    ASSERT_EQ(wm_->readLine(), "ready");
  }
  void TearDown() override {
    wm_.reset();
    WindowLayer::TearDown();
  }
  std::unique_ptr<ChildProcess> wm_;
};

TEST_F(ManagedWindows, MinimizedIsVisibleAndActivationGoesThroughTheManager) {
  ChildProcess p(helper("minimized", "none"));
  HWND w = helperWindow(p);
  Raw raw;
  // The manager iconifies in its own time.
  for (int i = 0; i < 200 && raw.cardinals(windowId(w), "WM_STATE") != std::vector<uint32_t>{3, 0}; ++i)
    ::usleep(10000);
  EXPECT_TRUE(IsIconic(w));
  EXPECT_TRUE(IsWindowVisible(w));

  EXPECT_TRUE(SetForegroundWindow(w));
  EXPECT_EQ(wm_->readLine(), "activate " + std::to_string(windowId(w)));
  EXPECT_EQ(raw.cardinals(raw.screen->root, "_NET_ACTIVE_WINDOW"), std::vector<uint32_t>{windowId(w)});
  EXPECT_FALSE(IsIconic(w));

  RECT area{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_EQ(area.top, 30);
  EXPECT_EQ(area.bottom, 1024);
}

TEST_F(ManagedWindows, OpenIconAsksTheManagerToRestore) {
  ChildProcess p(helper("minimized", "none"));
  HWND w = helperWindow(p);
  Raw raw;
  for (int i = 0; i < 200 && raw.cardinals(windowId(w), "WM_STATE") != std::vector<uint32_t>{3, 0}; ++i)
    ::usleep(10000);
  ASSERT_TRUE(IsIconic(w));
  EXPECT_TRUE(OpenIcon(w));
  for (int i = 0; i < 200 && raw.cardinals(windowId(w), "WM_STATE") != std::vector<uint32_t>{1, 0}; ++i)
    ::usleep(10000);
  EXPECT_FALSE(IsIconic(w));
  EXPECT_TRUE(IsWindowVisible(w));
}

}  // namespace
