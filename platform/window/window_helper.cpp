// A helper program for the window and monitor tests; every mode ends when its standard
// input closes.
//
//   platform_window_helper window <shown|hidden|hidden-minimized|minimized> <none|silent|ANSWER>
//       makes a top-level window and prints its id; with a number, it answers every message
//       sent to the window with that number (printing "message MSG WPARAM LPARAM" first);
//       "silent" installs the handler but never reads messages (a hung program).
//   platform_window_helper fake-wm [X Y W H]
//       a minimal EWMH window manager (maps, activates, iconifies on request; publishes
//       the work area when given); prints "ready", then "activate ID" for each activation.
//   platform_window_helper set-monitors [--no-output] NAME:X,Y,W,H[:primary] ...
//       defines RandR monitors and prints "ok"; the first one takes over the screen's
//       output (and so its automatic monitor) unless --no-output is given.
#include <poll.h>
#include <sys/uio.h>
#include <unistd.h>
#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/window/window_messages.h"

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(r);
  return a;
}

void setCardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type, std::vector<uint32_t> values) {
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, prop, type, 32, static_cast<uint32_t>(values.size()), values.data());
}

bool stdinClosed(int timeoutMs, int otherFd, bool* otherReady) {
  pollfd fds[2] = {{0, POLLIN, 0}, {otherFd, POLLIN, 0}};
  int n = ::poll(fds, otherFd >= 0 ? 2 : 1, timeoutMs);
  if (otherReady) *otherReady = n > 0 && otherFd >= 0 && (fds[1].revents & POLLIN);
  if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP))) {
    char buf[64];
    if (::read(0, buf, sizeof buf) <= 0) return true;
  }
  return false;
}

int windowMode(const std::string& state, const std::string& handlerMode) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 2;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_window_t w = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 10, 20, 200, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, 0, nullptr);
  const char* title = "helper window";
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<uint32_t>(std::strlen(title)), title);
  bool startsIconic = state == "hidden-minimized" || state == "minimized";
  // WM_HINTS: flags (InputHint | StateHint), input, initial state, then unused fields.
  setCardinals(c, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, {1 | 2, 1, startsIconic ? 3u : 1u, 0, 0, 0, 0, 0, 0});
  if (state == "shown" || state == "minimized") xcb_map_window(c, w);
  xcb_flush(c);
  if (state == "minimized") {
    // ICCCM: ask the window manager to iconify.
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = atom(c, "WM_CHANGE_STATE");
    ev.data.data32[0] = 3;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
  }
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // the server has it all

  HWND hwnd = quendel::platform::hwndFromId(w);
  int fd = -1;
  if (handlerMode != "none") {
    LRESULT answer = std::strtol(handlerMode.c_str(), nullptr, 10);
    quendel::platform::setWindowMessageHandler(hwnd, [answer](HWND, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
      std::printf("message %u %lu %ld\n", msg, static_cast<unsigned long>(wp), static_cast<long>(lp));
      (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
      return answer;
    });
    if (handlerMode != "silent") fd = quendel::platform::windowMessageDescriptor();
  }
  std::printf("%u\n", w);
  (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
  for (;;) {
    bool ready = false;
    if (stdinClosed(1000, fd, &ready)) break;
    if (ready) quendel::platform::dispatchWindowMessages();
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) std::free(e);
  }
  xcb_disconnect(c);
  return 0;
}

int fakeWm(int argc, char** argv) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 2;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_window_t root = screen->root;
  uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  if (xcb_generic_error_t* e =
          xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask))) {
    std::free(e);
    return 3;
  }
  xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK"), active = atom(c, "_NET_ACTIVE_WINDOW"),
             netState = atom(c, "_NET_WM_STATE"), hidden = atom(c, "_NET_WM_STATE_HIDDEN"),
             workArea = atom(c, "_NET_WORKAREA"), wmState = atom(c, "WM_STATE"),
             changeState = atom(c, "WM_CHANGE_STATE");
  xcb_window_t me = xcb_generate_id(c);
  xcb_create_window(c, 0, me, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  setCardinals(c, me, check, XCB_ATOM_WINDOW, {me});
  setCardinals(c, root, check, XCB_ATOM_WINDOW, {me});
  setCardinals(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, {active, netState, hidden, workArea});
  if (argc >= 4) {
    std::vector<uint32_t> area;
    area.reserve(4);
    for (int i = 0; i < 4; ++i) area.push_back(static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    setCardinals(c, root, workArea, XCB_ATOM_CARDINAL, area);
    setCardinals(c, root, atom(c, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, {0});
  }
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  std::printf("ready\n");
  (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
  auto normal = [&](xcb_window_t w) {
    xcb_map_window(c, w);
    setCardinals(c, w, wmState, wmState, {1, 0});
    xcb_delete_property(c, w, netState);
  };
  for (;;) {
    if (stdinClosed(200, xcb_get_file_descriptor(c), nullptr)) break;
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
      switch (e->response_type & 0x7F) {
        case XCB_MAP_REQUEST: normal(reinterpret_cast<xcb_map_request_event_t*>(e)->window); break;
        case XCB_CONFIGURE_REQUEST: {
          auto* r = reinterpret_cast<xcb_configure_request_event_t*>(e);
          std::vector<uint32_t> values;
          uint16_t m = r->value_mask;
          if (m & XCB_CONFIG_WINDOW_X) values.push_back(static_cast<uint32_t>(r->x));
          if (m & XCB_CONFIG_WINDOW_Y) values.push_back(static_cast<uint32_t>(r->y));
          if (m & XCB_CONFIG_WINDOW_WIDTH) values.push_back(r->width);
          if (m & XCB_CONFIG_WINDOW_HEIGHT) values.push_back(r->height);
          if (m & XCB_CONFIG_WINDOW_BORDER_WIDTH) values.push_back(r->border_width);
          if (m & XCB_CONFIG_WINDOW_SIBLING) values.push_back(r->sibling);
          if (m & XCB_CONFIG_WINDOW_STACK_MODE) values.push_back(r->stack_mode);
          xcb_configure_window(c, r->window, m, values.data());
          break;
        }
        case XCB_CLIENT_MESSAGE: {
          auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
          if (m->type == active) {
            normal(m->window);
            uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(c, m->window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, m->window, XCB_CURRENT_TIME);
            setCardinals(c, root, active, XCB_ATOM_WINDOW, {m->window});
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // all done first
            std::printf("activate %u\n", m->window);
            (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
          } else if (m->type == changeState && m->data.data32[0] == 3) {
            xcb_unmap_window(c, m->window);
            setCardinals(c, m->window, wmState, wmState, {3, 0});
            setCardinals(c, m->window, netState, XCB_ATOM_ATOM, {hidden});
          }
          break;
        }
        default: break;
      }
      std::free(e);
    }
    xcb_flush(c);
  }
  xcb_disconnect(c);
  return 0;
}

// RRSetMonitor written out here: the library's own request builder leaves one of its
// padding entries unset in this version, which makes the request length depend on
// whatever the stack held.
xcb_void_cookie_t setMonitor(xcb_connection_t* c, xcb_window_t root, const xcb_randr_monitor_info_t& info) {
  static const xcb_protocol_request_t request = {2, &xcb_randr_id, XCB_RANDR_SET_MONITOR, 1};
  xcb_randr_set_monitor_request_t out{};
  out.window = root;
  struct iovec parts[4] = {};
  parts[2].iov_base = &out;
  parts[2].iov_len = sizeof out;
  parts[3].iov_base = const_cast<xcb_randr_monitor_info_t*>(&info);
  parts[3].iov_len = sizeof info + info.nOutput * sizeof(xcb_randr_output_t);
  xcb_void_cookie_t cookie;
  cookie.sequence = xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &request);
  return cookie;
}

int setMonitors(int argc, char** argv) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 2;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  auto* version = xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr);
  bool ok = version && (version->major_version > 1 || version->minor_version >= 5);
  std::free(version);
  if (!ok) return 4;
  // The first monitor takes the screen's first output, which retires the automatic
  // monitor of that output, so the display has exactly the monitors asked for.
  xcb_randr_output_t firstOutput = 0;
  bool keepOutputs = argc > 0 && std::string(argv[0]) == "--no-output";  // only change geometry
  if (keepOutputs) {
    ++argv;
    --argc;
  }
  if (!keepOutputs) {
    if (auto* res = xcb_randr_get_screen_resources_current_reply(
            c, xcb_randr_get_screen_resources_current(c, screen->root), nullptr)) {
      if (xcb_randr_get_screen_resources_current_outputs_length(res) > 0)
        firstOutput = xcb_randr_get_screen_resources_current_outputs(res)[0];
      std::free(res);
    }
  }
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    auto colon = arg.find(':');
    if (colon == std::string::npos) return 5;
    std::string name = arg.substr(0, colon);
    int x, y, w, h;
    if (std::sscanf(arg.c_str() + colon + 1, "%d,%d,%d,%d", &x, &y, &w, &h) != 4) return 5;
    struct {
      xcb_randr_monitor_info_t info;
      xcb_randr_output_t output;
    } request{};
    xcb_randr_monitor_info_t& info = request.info;
    info.name = atom(c, name.c_str());
    info.primary = arg.find(":primary") != std::string::npos;
    info.automatic = 0;
    info.nOutput = (i == 0 && firstOutput) ? 1 : 0;
    request.output = firstOutput;
    info.x = static_cast<int16_t>(x);
    info.y = static_cast<int16_t>(y);
    info.width = static_cast<uint16_t>(w);
    info.height = static_cast<uint16_t>(h);
    info.width_in_millimeters = static_cast<uint32_t>(w / 4);
    info.height_in_millimeters = static_cast<uint32_t>(h / 4);
    if (xcb_generic_error_t* e = xcb_request_check(c, setMonitor(c, screen->root, request.info))) {
      std::free(e);
      return 6;
    }
  }
  std::printf("ok\n");
  (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
  xcb_disconnect(c);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "window" && argc == 4) return windowMode(argv[2], argv[3]);
  if (mode == "fake-wm") return fakeWm(argc - 2, argv + 2);
  if (mode == "set-monitors") return setMonitors(argc - 2, argv + 2);
  (void)std::fprintf(stderr,  // the exit status reports the misuse
                     "usage: platform_window_helper window STATE HANDLER | fake-wm [X Y W H] | set-monitors "
                     "NAME:X,Y,W,H[:primary]...\n");
  return 1;
}
