#include "platform/user/display.h"

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "support/quendelsupportfbe.h"

namespace {

struct Connection {
  xcb_connection_t* c = nullptr;
  int screen = 0;
  Connection() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) c = xcb_connect(display, &screen);
  }
  ~Connection() {
    if (c) xcb_disconnect(c);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  bool ok() const { return c && !xcb_connection_has_error(c); }
};

// The Xft.dpi value of the root window's RESOURCE_MANAGER text, or 0.
long xftDpi(xcb_connection_t* c, xcb_window_t root) {
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1 << 20), nullptr);
  if (!reply) return 0;
  std::string text(static_cast<const char*>(xcb_get_property_value(reply)),
                   static_cast<size_t>(xcb_get_property_value_length(reply)));
  std::free(reply);
  long dpi = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (line.rfind("Xft.dpi:", 0) == 0) dpi = std::lround(std::strtod(line.c_str() + 8, nullptr));
    pos = end + 1;
  }
  return dpi > 0 && dpi < 10000 ? dpi : 0;
}

bool screenFromX11(QuendelScreenInfo* info) {
  static std::once_flag once;
  static QuendelScreenInfo cached{};
  static bool known = false;
  std::call_once(once, [] {
    Connection conn;
    if (!conn.ok()) return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn.c));
    for (int i = 0; i < conn.screen && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) return;
    long dpi = xftDpi(conn.c, it.data->root);
    if (dpi == 0) dpi = 96;  // the toolkit's logical DPI when the desktop sets none
    cached = {static_cast<LONG>(dpi), static_cast<LONG>(dpi), it.data->width_in_pixels, it.data->height_in_pixels};
    known = true;
  });
  if (known) *info = cached;
  return known;
}

// Installed when the platform library is loaded, unless something newer already answers.
struct InstallScreenSource {
  InstallScreenSource() {
    QuendelScreenSource previous = esSetScreenSource(screenFromX11);
    if (previous) esSetScreenSource(previous);
  }
} installScreenSource;

}  // namespace

namespace quendel::platform {

bool displayCanBeOpened() {
  Connection conn;
  return conn.ok();
}

}  // namespace quendel::platform
