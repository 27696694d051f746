// The published work area: which desktop's rectangle is taken, and reading it from a server.
#include "platform/x11/work_area.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/x11/x11_session.h"
#include "platform/x11/xvfb_server.h"
#include "support/test_processes.h"
#include "support/testing.h"

namespace {

namespace x11 = quendel::platform::x11;
using quendel::testing::ScopedEnv;
using quendel::x11::XvfbServer;

void expectRect(const std::optional<RECT>& r, LONG left, LONG top, LONG right, LONG bottom) {
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->left, left);
  EXPECT_EQ(r->top, top);
  EXPECT_EQ(r->right, right);
  EXPECT_EQ(r->bottom, bottom);
}

TEST(WorkAreaOf, TakesTheCurrentDesktopsRectangle) {
  std::vector<std::uint32_t> two = {0, 30, 1280, 994, 100, 0, 800, 600};
  expectRect(x11::workAreaOf(two, 0), 0, 30, 1280, 1024);
  expectRect(x11::workAreaOf(two, 1), 100, 0, 900, 600);
  // No current desktop, or one beyond the list: the first desktop's.
  expectRect(x11::workAreaOf(two, std::nullopt), 0, 30, 1280, 1024);
  expectRect(x11::workAreaOf(two, 2), 0, 30, 1280, 1024);
  expectRect(x11::workAreaOf(two, 0xFFFFFFFFu), 0, 30, 1280, 1024);
  // A partial record at the end does not count as a desktop.
  std::vector<std::uint32_t> partial = {0, 0, 640, 480, 1, 2};
  expectRect(x11::workAreaOf(partial, 1), 0, 0, 640, 480);
}

TEST(WorkAreaOf, NothingPublishedOrOutOfRange) {
  EXPECT_FALSE(x11::workAreaOf({}, 0).has_value());
  EXPECT_FALSE(x11::workAreaOf({0, 0, 640}, 0).has_value());
  // Origins are signed; a size running past the coordinate range stops at its end.
  expectRect(x11::workAreaOf({0xFFFFFFF6u, 0xFFFFFFECu, 100, 50}, 0), -10, -20, 90, 30);
  expectRect(x11::workAreaOf({0x7FFFFF00u, 0, 0xFFFFFFFFu, 0xFFFFFFFFu}, 0), 0x7FFFFF00, 0, 0x7FFFFFFF, 0x7FFFFFFF);
}

// What a window manager publishes on the root window, written by the test itself.
class PublishedWorkArea : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.running()) << server_.error();
    display_.emplace("DISPLAY", server_.display().c_str());
    c_ = xcb_connect(server_.display().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c_));
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
  }
  void TearDown() override {
    if (c_) xcb_disconnect(c_);
  }
  void publish(const char* name, const std::vector<std::uint32_t>& items) {
    xcb_atom_t atom = x11::session()->atom(name);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom, XCB_ATOM_CARDINAL, 32,
                        static_cast<std::uint32_t>(items.size()), items.data());
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));  // the server has it
  }

  XvfbServer server_;
  std::optional<ScopedEnv> display_;
  xcb_connection_t* c_ = nullptr;
  xcb_window_t root_ = 0;
};

TEST_F(PublishedWorkArea, ReadsTheCurrentDesktopOfTheSession) {
  auto s = x11::session();
  ASSERT_TRUE(s);
  EXPECT_FALSE(x11::currentWorkArea(*s).has_value());  // no window manager yet

  publish("_NET_WORKAREA", {0, 30, 1280, 994, 64, 0, 1216, 1024});
  expectRect(x11::currentWorkArea(*s), 0, 30, 1280, 1024);  // no current desktop: the first
  publish("_NET_CURRENT_DESKTOP", {1});
  expectRect(x11::currentWorkArea(*s), 64, 0, 1280, 1024);
  publish("_NET_CURRENT_DESKTOP", {5});
  expectRect(x11::currentWorkArea(*s), 0, 30, 1280, 1024);
}

}  // namespace
