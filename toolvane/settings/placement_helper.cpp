// The other program of the placement tests: saves or loads the placement of a window of
// its own through the settings store (title "Helper", version 1.0).
//
//   toolvane_settings_helper save SUBKEY normal|maximized|minimized LEFT TOP RIGHT BOTTOM
//       puts a new window in that state at that rectangle (workspace coordinates), waits
//       until it is there, saves its placement and prints "saved" (or "failed").
//   toolvane_settings_helper load SUBKEY
//       makes a hidden 50 x 50 window, loads the placement into it, prints the window id
//       and "loaded" (or "failed"), and keeps the window until its standard input closes.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation/std_picture.h"
#include "platform/window/window_placement.h"
#include "toolvane/frame/fake_client_objects.h"
#include "toolvane/settings/qnd_quendel_settings.h"

namespace {

using quendel::toolvane::qndQuendelSettings;
using quendel::toolvane::testing::FakeControl;

constexpr char16_t kTitle[] = u"Helper";
constexpr int kWaitTries = 300;

UINT showCommandOf(const std::string& state) {
  if (state == "maximized") return SW_SHOWMAXIMIZED;
  if (state == "minimized") return SW_SHOWMINIMIZED;
  return SW_SHOWNORMAL;
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int run(int argc, char** argv) {
  std::string mode = argc > 2 ? argv[1] : "";
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 2;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_window_t w = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 50, 50, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, 0, nullptr);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  HWND hwnd = quendel::platform::hwndFromId(w);
  auto form = FakeControl::create(
      u"Form", nullptr,
      {{u"hWnd", quendel::automation::handleToVariant(w)}, {u"Name", quendel::automation::Variant(u"frmHelper")}});
  const quendel::automation::String subKey(argv[2], argv[2] + std::char_traits<char>::length(argv[2]));
  qndQuendelSettings s;

  if (mode == "save" && argc == 8) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.showCmd = showCommandOf(argv[3]);
    wp.rcNormalPosition = RECT{std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7])};
    if (!SetWindowPlacement(hwnd, &wp)) {
      xcb_disconnect(c);
      return 3;
    }
    WINDOWPLACEMENT now{};
    now.length = sizeof now;
    for (int i = 0; i < kWaitTries; ++i) {  // the window manager acts in its own time
      if (GetWindowPlacement(hwnd, &now) && now.showCmd == wp.showCmd &&
          sameRect(now.rcNormalPosition, wp.rcNormalPosition))
        break;
      ::usleep(10000);
    }
    bool saved = s.SaveFormPlacement(form, subKey, u"Window placement", kTitle, 1, 0);
    std::printf("%s\n", saved ? "saved" : "failed");
    (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
    xcb_disconnect(c);
    return 0;
  }
  if (mode == "load" && argc == 3) {
    bool loaded = s.LoadFormPlacementPx(form, subKey, u"Window placement", kTitle, 1, 0);
    std::printf("%u\n%s\n", w, loaded ? "loaded" : "failed");
    (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
    char buf[64];
    for (;;) {
      pollfd p{0, POLLIN, 0};
      if (::poll(&p, 1, 1000) > 0 && ::read(0, buf, sizeof buf) <= 0) break;
      while (xcb_generic_event_t* e = xcb_poll_for_event(c)) std::free(e);
    }
    xcb_disconnect(c);
    return 0;
  }
  xcb_disconnect(c);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const quendel::RuntimeError& e) {
    (void)std::fprintf(stderr, "run-time error %ld\n", static_cast<long>(e.number()));  // the status says it
    return 4;
  }
}
