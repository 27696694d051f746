// The other instance in the single-instance tests; every mode ends when its standard
// input closes (or when it is killed).
//
//   toolvane_instance_helper first GUID STATE METHOD HANDLER
//       IsAlone(GUID), then a window (STATE: shown | hidden | hidden-minimized) marked
//       with METHOD; with HANDLER a number, the window answers WM_ACTIVATE_PREV_INSTANCE
//       with it (printing "activated" first); "silent": a handler that never runs.
//       Prints "ALONE WINDOW" (ALONE 1 or 0).
//   toolvane_instance_helper hold KIND GUID [UID]
//       IsAlone, IsAloneOnDesktop or IsAloneAtUser (KIND plain | desktop | user), run as
//       user UID when given (needs root); prints 1 or 0 and keeps the claim.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/window/window_messages.h"
#include "support/codepage.h"
#include "toolvane/instance/qnd_alone.h"

namespace {

using quendel::toolvane::qndAlone;

// ICCCM WM_HINTS: nine 32-bit words, flags first; the input and initial-state hints.
constexpr uint32_t kInputHint = 1, kStateHint = 2;
constexpr uint32_t kNormalState = 1, kIconicState = 3;
constexpr uint32_t kWmHintsWords = 9;
constexpr uint8_t kWordFormat = 32;
// How long one wait for input or messages lasts before the next.
constexpr int kPollMs = 1000;

// Waits for the end of standard input, answering messages meanwhile when fd >= 0.
void serveUntilStdinCloses(int fd) {
  for (;;) {
    pollfd fds[2] = {{0, POLLIN, 0}, {fd, POLLIN, 0}};
    int n = ::poll(fds, fd >= 0 ? 2 : 1, kPollMs);
    if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP))) {
      char buf[64];
      if (::read(0, buf, sizeof buf) <= 0) return;
    }
    if (n > 0 && fd >= 0 && (fds[1].revents & POLLIN)) quendel::platform::dispatchWindowMessages();
  }
}

int first(const std::string& guid, const std::string& state, LONG method, const std::string& handlerMode) {
  qndAlone alone;
  bool isAlone = alone.IsAlone(quendel::cp::fromUtf8(guid));
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 2;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_window_t w = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 30, 40, 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, 0, nullptr);
  bool iconic = state == "hidden-minimized";
  uint32_t hints[kWmHintsWords] = {kInputHint | kStateHint, 1, iconic ? kIconicState : kNormalState};
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, kWordFormat, kWmHintsWords,
                      hints);
  if (state == "shown") xcb_map_window(c, w);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

  HWND hwnd = quendel::platform::hwndFromId(w);
  int fd = -1;
  if (handlerMode != "none") {
    LRESULT answer = std::strtol(handlerMode.c_str(), nullptr, 10);
    UINT wanted = static_cast<UINT>(alone.WM_ACTIVATE_PREV_INSTANCE());
    quendel::platform::setWindowMessageHandler(hwnd, [=](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
      if (msg != wanted) return 0;
      std::printf("activated\n");
      // The test reads this output through a pipe; if the pipe closed, the test is gone.
      (void)std::fflush(stdout);
      return answer;
    });
    if (handlerMode != "silent") fd = quendel::platform::windowMessageDescriptor();
  }
  bool marked = alone.MarkPrevInstanceWindow(static_cast<LONG>(w), method);
  std::printf("%d %u\n", isAlone ? 1 : 0, marked ? w : 0u);
  (void)std::fflush(stdout);
  serveUntilStdinCloses(fd);
  xcb_disconnect(c);
  return 0;
}

int hold(const std::string& kind, const std::string& guid, const char* uid) {
  if (uid) {
    auto id = static_cast<uid_t>(std::strtoul(uid, nullptr, 10));
    if (::setgid(id) != 0 || ::setuid(id) != 0) return 3;
  }
  qndAlone alone;
  auto g = quendel::cp::fromUtf8(guid);
  bool result = kind == "desktop" ? alone.IsAloneOnDesktop(g)
                : kind == "user"  ? alone.IsAloneAtUser(g)
                                  : alone.IsAlone(g);
  std::printf("%d\n", result ? 1 : 0);
  (void)std::fflush(stdout);
  serveUntilStdinCloses(-1);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "first" && argc == 6) return first(argv[2], argv[3], std::atoi(argv[4]), argv[5]);
  if (mode == "hold" && (argc == 4 || argc == 5)) return hold(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
  (void)std::fprintf(stderr,
                     "usage: toolvane_instance_helper first GUID STATE METHOD HANDLER | hold KIND GUID [UID]\n");
  return 1;
}
