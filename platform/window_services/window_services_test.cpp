// The support library's window functions against a private X server, with a second
// connection of the test standing in for the other program.
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/window/window.h"
#include "platform/window/window_messages.h"
#include "platform/window_services/window_icons.h"
#include "platform/x11/xvfb_server.h"
#include "support/quendelsupportfbe.h"
#include "support/testing.h"

namespace {

using quendel::platform::ArgbImage;
using quendel::platform::hwndFromId;
using quendel::testing::ScopedEnv;
using quendel::x11::XvfbServer;
using Items = std::vector<std::uint32_t>;

const HRESULT kNoWindow = HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);

// The other program: its own connection to the display.
struct Other {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  ~Other() { xcb_disconnect(c); }
  Other() = default;
  Other(const Other&) = delete;
  Other& operator=(const Other&) = delete;

  xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
  }
  void sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
  xcb_window_t window(int w, int h) {
    xcb_window_t id = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, id, screen->root, 0, 0, static_cast<uint16_t>(w),
                      static_cast<uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    sync();
    return id;
  }
  void put(xcb_window_t w, const char* name, xcb_atom_t type, int format, const void* data, std::size_t count) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(name), type, static_cast<uint8_t>(format),
                        static_cast<uint32_t>(count), data);
    sync();
  }
  std::optional<Items> items(xcb_window_t w, const char* name) {
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 20),
                                     nullptr);
    std::optional<Items> out;
    if (r && r->type != XCB_ATOM_NONE && r->format == 32) {
      auto* v = static_cast<uint32_t*>(xcb_get_property_value(r));
      out = Items(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return out;
  }
  // The next client message for this connection's windows, waiting up to two seconds.
  std::optional<xcb_client_message_event_t> clientMessage() {
    for (int waited = 0; waited < 2000; waited += 50) {
      while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(e, &std::free);
        if ((e->response_type & 0x7F) == XCB_CLIENT_MESSAGE) return *reinterpret_cast<xcb_client_message_event_t*>(e);
      }
      pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
      (void)::poll(&fd, 1, 50);
    }
    return std::nullopt;
  }
};

ArgbImage pattern(int side, std::uint32_t seed) {
  ArgbImage i{side, side, Items(static_cast<std::size_t>(side) * side)};
  for (std::size_t k = 0; k < i.pixels.size(); ++k)
    i.pixels[k] =
        (static_cast<std::uint32_t>(k * 7 + seed) & 0xFF) << 24 | static_cast<std::uint32_t>(k * 2654435761u) >> 8;
  return i;
}

class WindowServices : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new XvfbServer({}, 1024, 768); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(server_->running()) << server_->error();
    display_ = std::make_unique<ScopedEnv>("DISPLAY", server_->display().c_str());
  }
  void TearDown() override { display_.reset(); }
  static XvfbServer* server_;
  std::unique_ptr<ScopedEnv> display_;
};
XvfbServer* WindowServices::server_ = nullptr;

TEST_F(WindowServices, IconsSetReadBackPixelExactlyAndRemoved) {
  Other other;
  HWND w = hwndFromId(other.window(100, 80));
  const ArgbImage big = pattern(32, 1), small = pattern(16, 2);
  HICON bigIcon = quendel::platform::iconFromImage(big), smallIcon = quendel::platform::iconFromImage(small);
  ASSERT_EQ(asSetWindowIconAll(w, bigIcon, smallIcon), S_OK);
  // The property, as the window manager reads it: both images, large first.
  EXPECT_EQ(other.items(quendel::platform::windowId(w), "_NET_WM_ICON"),
            quendel::platform::netWmIconItems({big, small}));

  struct Case {
    bool small;
    const ArgbImage* expected;
  };
  for (Case c : {Case{false, &big}, Case{true, &small}}) {
    HICON got = nullptr;
    ASSERT_EQ(c.small ? asGetWindowIconSmall(w, &got) : asGetWindowIcon(w, &got), S_OK);
    ASSERT_NE(got, nullptr);
    auto image = quendel::platform::imageFromIcon(got);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, c.expected->width);
    EXPECT_EQ(image->pixels, c.expected->pixels) << "alpha and colour kept";
    EXPECT_TRUE(DestroyIcon(got));
  }

  // The same handle twice is one image; a bad handle changes nothing.
  ASSERT_EQ(asSetWindowIconAll(w, smallIcon, smallIcon), S_OK);
  EXPECT_EQ(other.items(quendel::platform::windowId(w), "_NET_WM_ICON"), quendel::platform::netWmIconItems({small}));
  HICON gone = quendel::platform::iconFromImage(big);
  ASSERT_TRUE(DestroyIcon(gone));
  EXPECT_EQ(asSetWindowIconAll(w, gone, nullptr), HRESULT_FROM_WIN32(ERROR_INVALID_CURSOR_HANDLE));
  EXPECT_EQ(other.items(quendel::platform::windowId(w), "_NET_WM_ICON"), quendel::platform::netWmIconItems({small}));

  ASSERT_EQ(asSetWindowIconAll(w, nullptr, nullptr), S_OK);
  EXPECT_FALSE(other.items(quendel::platform::windowId(w), "_NET_WM_ICON")) << "removed";
  HICON none = bigIcon;
  EXPECT_EQ(asGetWindowIcon(w, &none), S_OK);
  EXPECT_EQ(none, nullptr) << "a window without icons";
  EXPECT_TRUE(DestroyIcon(bigIcon));
  EXPECT_TRUE(DestroyIcon(smallIcon));
}

TEST_F(WindowServices, IconsOfAnotherProgramAndLargeOnes) {
  Other other;
  xcb_window_t id = other.window(10, 10);
  HWND w = hwndFromId(id);
  // Written by the other program, smallest last and a damaged tail.
  Items items = quendel::platform::netWmIconItems({pattern(48, 3), pattern(22, 4), pattern(24, 5)});
  items.insert(items.end(), {64, 64, 1, 2, 3});
  other.put(id, "_NET_WM_ICON", XCB_ATOM_CARDINAL, 32, items.data(), items.size());
  HICON large = nullptr, small = nullptr;
  ASSERT_EQ(asGetWindowIcon(w, &large), S_OK);
  ASSERT_EQ(asGetWindowIconSmall(w, &small), S_OK);
  int width = 0, height = 0;
  ASSERT_TRUE(quendel::gdi::iconSize(large, &width, &height));
  EXPECT_EQ(width, 48);
  ASSERT_TRUE(quendel::gdi::iconSize(small, &width, &height));
  EXPECT_EQ(width, 22);
  EXPECT_TRUE(DestroyIcon(large));
  EXPECT_TRUE(DestroyIcon(small));

  // An icon bigger than one request goes in pieces and comes back whole.
  const ArgbImage huge = pattern(1024, 6);
  HICON hugeIcon = quendel::platform::iconFromImage(huge);
  ASSERT_EQ(asSetWindowIconAll(w, hugeIcon, nullptr), S_OK);
  ASSERT_EQ(asGetWindowIcon(w, &large), S_OK);
  EXPECT_EQ(quendel::platform::imageFromIcon(large)->pixels, huge.pixels);
  EXPECT_TRUE(DestroyIcon(large));
  EXPECT_TRUE(DestroyIcon(hugeIcon));
}

TEST_F(WindowServices, CentresOnTheWorkArea) {
  Other other;
  // A window manager's work area on the single desktop.
  const Items area = {100, 50, 600, 400};
  const std::uint32_t desktop = 0;
  other.put(other.screen->root, "_NET_WORKAREA", XCB_ATOM_CARDINAL, 32, area.data(), area.size());
  other.put(other.screen->root, "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL, 32, &desktop, 1);
  struct Case {
    int width, height;
    RECT expected;
  };
  const Case cases[] = {
      {200, 100, {300, 200, 500, 300}},
      {201, 101, {299, 199, 500, 300}},  // odd leftovers round towards the top-left
      {900, 700, {100, 50, 1000, 750}},  // too large: its top-left stays in the area
  };
  for (const Case& c : cases) {
    HWND w = hwndFromId(other.window(c.width, c.height));
    ASSERT_EQ(asCenterFormEx(w), S_OK);
    other.sync();
    RECT r{};
    ASSERT_TRUE(GetWindowRect(w, &r));
    EXPECT_EQ(r.left, c.expected.left) << c.width;
    EXPECT_EQ(r.top, c.expected.top) << c.width;
    EXPECT_EQ(r.right, c.expected.right) << c.width;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.width;
  }
  xcb_delete_property(other.c, other.screen->root, other.atom("_NET_WORKAREA"));
  other.sync();
}

TEST_F(WindowServices, UnloadFormClosesAsTheUserWould) {
  Other other;
  // Another program's window that takes WM_DELETE_WINDOW gets the window manager's message.
  xcb_window_t id = other.window(10, 10);
  const xcb_atom_t del = other.atom("WM_DELETE_WINDOW");
  other.put(id, "WM_PROTOCOLS", XCB_ATOM_ATOM, 32, &del, 1);
  ASSERT_EQ(asUnloadForm(hwndFromId(id)), S_OK);
  auto message = other.clientMessage();
  ASSERT_TRUE(message) << "no WM_DELETE_WINDOW arrived";
  EXPECT_EQ(message->window, id);
  EXPECT_EQ(message->type, other.atom("WM_PROTOCOLS"));
  EXPECT_EQ(message->format, 32);
  EXPECT_EQ(message->data.data32[0], del);

  // A window of this process without the protocol: its own message handler gets WM_CLOSE.
  HWND own = hwndFromId(other.window(10, 10));
  std::vector<UINT> seen;
  ASSERT_TRUE(quendel::platform::setWindowMessageHandler(own, [&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
    seen.push_back(m);
    return 0;
  }));
  ASSERT_EQ(asUnloadForm(own), S_OK);
  EXPECT_EQ(seen, std::vector<UINT>{0x0010});
  EXPECT_TRUE(quendel::platform::setWindowMessageHandler(own, {}));

  // Neither: nothing to ask.
  EXPECT_EQ(asUnloadForm(own), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
}

TEST_F(WindowServices, MainWindowAndItsTitle) {
  HWND none = hwndFromId(1);
  ASSERT_EQ(esGetThunderMainHandle(&none), S_OK);
  EXPECT_EQ(none, nullptr) << "no main window until the program registers one";
  EXPECT_EQ(asGetThunderMainTitle(), u"platform_window_services_tests");

  Other other;
  xcb_window_t id = other.window(10, 10);
  const std::string title = "Main \xD0\x96";
  other.put(id, "_NET_WM_NAME", other.atom("UTF8_STRING"), 8, title.data(), title.size());
  asSetThunderMainHandle(hwndFromId(id));
  EXPECT_EQ(esGetThunderMainHandle(), hwndFromId(id));
  EXPECT_EQ(asGetThunderMainTitle(), u"Main \u0416");
  const std::string latin = "Old \xE9";
  xcb_delete_property(other.c, id, other.atom("_NET_WM_NAME"));
  other.put(id, "WM_NAME", XCB_ATOM_STRING, 8, latin.data(), latin.size());
  EXPECT_EQ(asGetThunderMainTitle(), u"Old \u00E9");
  asSetThunderMainHandle(nullptr);
  EXPECT_EQ(esGetThunderMainHandle(), nullptr);
}

TEST_F(WindowServices, MissingWindowsFail) {
  HWND missing = hwndFromId(0x3FFFFF);
  HICON icon = nullptr;
  EXPECT_EQ(asGetWindowIcon(missing, &icon), kNoWindow);
  EXPECT_EQ(asSetWindowIconAll(missing, nullptr, nullptr), kNoWindow);
  EXPECT_EQ(asCenterFormEx(missing), kNoWindow);
  EXPECT_EQ(asUnloadForm(missing), kNoWindow);
  EXPECT_EQ(asUnloadForm(nullptr), kNoWindow);
  EXPECT_EQ(asGetWindowIcon(missing, nullptr), E_POINTER);
}

TEST(WindowServicesWithoutDisplay, FailWithTheDocumentedStatus) {
  for (const char* display : {static_cast<const char*>(nullptr), ":987"}) {
    ScopedEnv env("DISPLAY", display);
    HWND w = hwndFromId(0x200001);
    HICON icon = reinterpret_cast<HICON>(1);
    EXPECT_EQ(asGetWindowIcon(w, &icon), kNoWindow);
    EXPECT_EQ(asGetWindowIconSmall(w, &icon), kNoWindow);
    EXPECT_EQ(icon, reinterpret_cast<HICON>(1)) << "untouched";
    EXPECT_EQ(asSetWindowIconAll(w, nullptr, nullptr), kNoWindow);
    EXPECT_EQ(asCenterFormEx(w), kNoWindow);
    EXPECT_EQ(asUnloadForm(w), kNoWindow);
  }
  // Without the services (a program that does not load the platform): the same status.
  const QuendelWindowServices* installed = asSetWindowServices(nullptr);
  ASSERT_NE(installed, nullptr) << "the platform library installs its services when loaded";
  EXPECT_EQ(asCenterFormEx(hwndFromId(0x200001)), kNoWindow);
  EXPECT_EQ(asGetThunderMainTitle(), u"platform_window_services_tests");
  asSetWindowServices(installed);
}

}  // namespace
