// A helper program for the window and monitor tests; every mode ends when its standard
// input closes.
//
//   platform_window_helper window <shown|hidden|hidden-minimized|minimized> <none|silent|ANSWER>
//       makes a top-level window and prints its id; with a number, it answers every message
//       sent to the window with that number (printing "message MSG WPARAM LPARAM" first);
//       "silent" installs the handler but never reads messages (a hung program).
//   platform_window_helper fake-wm [X Y W H] [frame LEFT RIGHT TOP BOTTOM]
//       a minimal EWMH window manager (maps, activates, iconifies, maximizes on request;
//       publishes the work area and frame extents when given); prints "ready", then
//       "activate ID" for each activation.
//   platform_window_helper send WINDOW MESSAGE WPARAM LPARAM
//       sends one message with SendMessageA from this process and prints the answer.
//   platform_window_helper set-monitors [--no-output] NAME:X,Y,W,H[:primary] ...
//       defines RandR monitors and prints "ok"; the first one takes over the screen's
//       output (and so its automatic monitor) unless --no-output is given.
#include <poll.h>
#include <sys/uio.h>
#include <unistd.h>
#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
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

// The tiny window manager's state: no frames are drawn, but with "frame L R T B" it
// publishes those extents and places clients inside them as a reparenting manager would.
struct FakeWm {
  xcb_connection_t* c = nullptr;
  xcb_window_t root = 0;
  uint32_t area[4] = {0, 0, 0, 0};
  uint32_t frame[4] = {0, 0, 0, 0};  // left, right, top, bottom
  xcb_atom_t netState = 0, hidden = 0, maxVert = 0, maxHorz = 0, wmState = 0, extents = 0;
  std::vector<std::pair<xcb_window_t, std::vector<uint32_t>>> saved;  // geometry before maximizing

  std::vector<uint32_t> netStates(xcb_window_t w) {
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, netState, XCB_ATOM_ATOM, 0, 32), nullptr);
    std::vector<uint32_t> out;
    if (r && r->format == 32) {
      auto* v = static_cast<uint32_t*>(xcb_get_property_value(r));
      out.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return out;
  }
  bool has(const std::vector<uint32_t>& list, xcb_atom_t a) {
    return std::find(list.begin(), list.end(), a) != list.end();
  }
  void setStates(xcb_window_t w, std::vector<uint32_t> list) { setCardinals(c, w, netState, XCB_ATOM_ATOM, list); }
  void withState(xcb_window_t w, xcb_atom_t a, bool on) {
    auto list = netStates(w);
    list.erase(std::remove(list.begin(), list.end(), a), list.end());
    if (on) list.push_back(a);
    setStates(w, list);
  }
  uint32_t gravity(xcb_window_t w) {
    auto* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_ANY, 0, 18), nullptr);
    uint32_t g = 1;
    if (r && r->format == 32 && xcb_get_property_value_length(r) >= 72) {
      auto* v = static_cast<uint32_t*>(xcb_get_property_value(r));
      if (v[0] & (1u << 9)) g = v[17];
    }
    std::free(r);
    return g;
  }
  void maximize(xcb_window_t w, bool on) {
    auto list = netStates(w);
    bool now = has(list, maxVert) && has(list, maxHorz);
    if (on == now) return;
    if (on) {
      auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
      if (g) saved.emplace_back(w, std::vector<uint32_t>{uint32_t(g->x), uint32_t(g->y), g->width, g->height});
      std::free(g);
      uint32_t inner[4] = {area[0] + frame[0], area[1] + frame[2], area[2] - frame[0] - frame[1],
                           area[3] - frame[2] - frame[3]};
      // Marked first: a client never sees the maximized size on a window still marked normal.
      withState(w, maxVert, true);
      withState(w, maxHorz, true);
      xcb_configure_window(
          c, w, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, inner);
    } else {
      for (auto it = saved.rbegin(); it != saved.rend(); ++it)
        if (it->first == w) {
          xcb_configure_window(
              c, w, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
              it->second.data());
          saved.erase(std::next(it).base());
          break;
        }
      withState(w, maxVert, false);
      withState(w, maxHorz, false);
    }
  }
  void iconify(xcb_window_t w) {
    xcb_unmap_window(c, w);
    setCardinals(c, w, wmState, wmState, {3, 0});
    withState(w, hidden, true);
  }
  void normal(xcb_window_t w) {
    setCardinals(c, w, extents, XCB_ATOM_CARDINAL, {frame[0], frame[1], frame[2], frame[3]});
    xcb_map_window(c, w);
    setCardinals(c, w, wmState, wmState, {1, 0});
    withState(w, hidden, false);
  }
  void mapRequest(xcb_window_t w) {
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_HINTS, XCB_ATOM_ANY, 0, 9), nullptr);
    bool iconic = false, managed = false;
    if (r && r->format == 32 && xcb_get_property_value_length(r) >= 12) {
      auto* v = static_cast<uint32_t*>(xcb_get_property_value(r));
      iconic = (v[0] & 2) && v[2] == 3;
    }
    std::free(r);
    auto* st = xcb_get_property_reply(c, xcb_get_property(c, 0, w, wmState, wmState, 0, 2), nullptr);
    managed = st && st->format == 32 && xcb_get_property_value_length(st) >= 4 &&
              static_cast<uint32_t*>(xcb_get_property_value(st))[0] == 3;
    std::free(st);
    // A new window asking to start iconic starts so; an iconic one asks to be restored.
    if (iconic && !managed) {
      setCardinals(c, w, extents, XCB_ATOM_CARDINAL, {frame[0], frame[1], frame[2], frame[3]});
      iconify(w);
      return;
    }
    auto list = netStates(w);
    bool maximized = has(list, maxVert) && has(list, maxHorz);
    normal(w);
    if (maximized && !managed) {
      withState(w, maxVert, false);  // the client's wish: carried out now
      maximize(w, true);
    }
  }
  void configureRequest(xcb_configure_request_event_t* r) {
    std::vector<uint32_t> values;
    uint16_t m = r->value_mask;
    // Placed inside the frame as a reparenting manager does (NorthWest or Static gravity).
    bool inside = gravity(r->window) != 10;
    if (m & XCB_CONFIG_WINDOW_X) values.push_back(static_cast<uint32_t>(r->x + (inside ? int(frame[0]) : 0)));
    if (m & XCB_CONFIG_WINDOW_Y) values.push_back(static_cast<uint32_t>(r->y + (inside ? int(frame[2]) : 0)));
    if (m & XCB_CONFIG_WINDOW_WIDTH) values.push_back(r->width);
    if (m & XCB_CONFIG_WINDOW_HEIGHT) values.push_back(r->height);
    if (m & XCB_CONFIG_WINDOW_BORDER_WIDTH) values.push_back(r->border_width);
    if (m & XCB_CONFIG_WINDOW_SIBLING) values.push_back(r->sibling);
    if (m & XCB_CONFIG_WINDOW_STACK_MODE) values.push_back(r->stack_mode);
    xcb_configure_window(c, r->window, m, values.data());
  }
  void stateRequest(xcb_client_message_event_t* m) {
    uint32_t action = m->data.data32[0];
    xcb_atom_t a = m->data.data32[1], b = m->data.data32[2];
    if (!((a == maxVert && b == maxHorz) || (a == maxHorz && b == maxVert))) return;
    auto list = netStates(m->window);
    bool now = has(list, maxVert) && has(list, maxHorz);
    bool on = action == 1 || (action == 2 && !now);
    if (has(list, hidden)) {  // iconic: only the mark changes
      withState(m->window, maxVert, on);
      withState(m->window, maxHorz, on);
      return;
    }
    maximize(m->window, on);
  }
};

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
  FakeWm wm;
  wm.c = c;
  wm.root = root;
  wm.area[2] = screen->width_in_pixels;
  wm.area[3] = screen->height_in_pixels;
  xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK"), active = atom(c, "_NET_ACTIVE_WINDOW"),
             workArea = atom(c, "_NET_WORKAREA"), changeState = atom(c, "WM_CHANGE_STATE"),
             requestExtents = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
  wm.netState = atom(c, "_NET_WM_STATE");
  wm.hidden = atom(c, "_NET_WM_STATE_HIDDEN");
  wm.maxVert = atom(c, "_NET_WM_STATE_MAXIMIZED_VERT");
  wm.maxHorz = atom(c, "_NET_WM_STATE_MAXIMIZED_HORZ");
  wm.wmState = atom(c, "WM_STATE");
  wm.extents = atom(c, "_NET_FRAME_EXTENTS");
  xcb_window_t me = xcb_generate_id(c);
  xcb_create_window(c, 0, me, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  setCardinals(c, me, check, XCB_ATOM_WINDOW, {me});
  setCardinals(c, root, check, XCB_ATOM_WINDOW, {me});
  setCardinals(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM,
               {active, wm.netState, wm.hidden, workArea, wm.maxVert, wm.maxHorz, wm.extents, requestExtents});
  int next = 0;
  if (argc >= 4 && std::string(argv[0]) != "frame") {
    for (int i = 0; i < 4; ++i) wm.area[i] = static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10));
    setCardinals(c, root, workArea, XCB_ATOM_CARDINAL, {wm.area[0], wm.area[1], wm.area[2], wm.area[3]});
    setCardinals(c, root, atom(c, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, {0});
    next = 4;
  }
  if (argc >= next + 5 && std::string(argv[next]) == "frame")
    for (int i = 0; i < 4; ++i) wm.frame[i] = static_cast<uint32_t>(std::strtoul(argv[next + 1 + i], nullptr, 10));
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  std::printf("ready\n");
  (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
  for (;;) {
    if (stdinClosed(200, xcb_get_file_descriptor(c), nullptr)) break;
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
      switch (e->response_type & 0x7F) {
        case XCB_MAP_REQUEST: wm.mapRequest(reinterpret_cast<xcb_map_request_event_t*>(e)->window); break;
        case XCB_CONFIGURE_REQUEST: wm.configureRequest(reinterpret_cast<xcb_configure_request_event_t*>(e)); break;
        case XCB_CLIENT_MESSAGE: {
          auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
          if (m->type == active) {
            wm.normal(m->window);
            uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(c, m->window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, m->window, XCB_CURRENT_TIME);
            setCardinals(c, root, active, XCB_ATOM_WINDOW, {m->window});
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // all done first
            std::printf("activate %u\n", m->window);
            (void)std::fflush(stdout);  // a closed pipe means the test is gone: no one to tell
          } else if (m->type == changeState && m->data.data32[0] == 3) {
            wm.iconify(m->window);
          } else if (m->type == wm.netState) {
            wm.stateRequest(m);
          } else if (m->type == requestExtents) {
            setCardinals(c, m->window, wm.extents, XCB_ATOM_CARDINAL,
                         {wm.frame[0], wm.frame[1], wm.frame[2], wm.frame[3]});
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
  if (mode == "send" && argc == 6) {
    auto number = [&](int i) { return std::strtoll(argv[i], nullptr, 0); };
    LRESULT answer =
        SendMessageA(quendel::platform::hwndFromId(static_cast<uint32_t>(number(2))), static_cast<UINT>(number(3)),
                     static_cast<WPARAM>(number(4)), static_cast<LPARAM>(number(5)));
    std::printf("%ld\n", static_cast<long>(answer));
    return 0;
  }
  (void)std::fprintf(stderr,  // the exit status reports the misuse
                     "usage: platform_window_helper window STATE HANDLER | fake-wm [X Y W H] [frame L R T B] | send W "
                     "M WP LP | set-monitors "
                     "NAME:X,Y,W,H[:primary]...\n");
  return 1;
}
