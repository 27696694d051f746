#include "platform/window_services/window_services.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/monitor/monitor.h"
#include "platform/window/window.h"
#include "platform/window/window_messages.h"
#include "platform/window_services/window_icons.h"
#include "platform/x11/x11_session.h"
#include "support/codepage.h"

namespace quendel::platform {

namespace {

const HRESULT kNoWindow = HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
const HRESULT kNoIcon = HRESULT_FROM_WIN32(ERROR_INVALID_CURSOR_HANDLE);
constexpr int kSmallIconSide = 16;
constexpr UINT WM_CLOSE = 0x0010;
// Property reads stop here (in 32-bit units): a largest icon and a little more.
constexpr std::uint32_t kMaxPropertyItems = kMaxIconSide * kMaxIconSide + 1024;
constexpr std::uint32_t kMaxTitleItems = 1u << 16;
constexpr std::uint32_t kChangePropertyHeaderItems = 6;

// The session and window id when the window exists.
struct Target {
  std::shared_ptr<x11::Connection> s;
  xcb_window_t id = 0;
};

bool find(HWND window, Target* t) {
  t->id = windowId(window);
  t->s = t->id ? x11::session() : nullptr;
  return t->s && x11::reply(t->s->c, xcb_get_window_attributes_reply, xcb_get_window_attributes(t->s->c, t->id));
}

// A property of a window; null when it is missing (or the window is).
x11::Ptr<xcb_get_property_reply_t> property(x11::Connection& s, xcb_window_t w, xcb_atom_t name,
                                            std::uint32_t maxItems) {
  auto r = x11::reply(s.c, xcb_get_property_reply,
                      xcb_get_property(s.c, 0, w, name, XCB_GET_PROPERTY_TYPE_ANY, 0, maxItems));
  if (r && r->type == XCB_ATOM_NONE) r.reset();
  return r;
}

HRESULT getWindowIcon(HWND window, bool small, HICON* out) {
  Target t;
  if (!find(window, &t)) return kNoWindow;
  auto r = property(*t.s, t.id, t.s->atom("_NET_WM_ICON"), kMaxPropertyItems);
  std::vector<ArgbImage> images;
  if (r && r->format == 32) {
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    images = parseNetWmIcon(std::vector<std::uint32_t>(v, v + xcb_get_property_value_length(r.get()) / 4));
  }
  if (images.empty()) {
    *out = nullptr;
    return S_OK;
  }
  std::size_t k = small ? nearestImage(images, kSmallIconSide, kSmallIconSide) : largestImage(images);
  HICON icon = iconFromImage(images[k]);
  if (!icon) return E_OUTOFMEMORY;
  *out = icon;
  return S_OK;
}

HRESULT setWindowIcons(HWND window, HICON large, HICON small) {
  std::vector<ArgbImage> images;
  for (HICON icon : {large, small}) {
    if (!icon || (icon == small && small == large && !images.empty())) continue;
    auto image = imageFromIcon(icon);
    if (!image) return kNoIcon;
    images.push_back(std::move(*image));
  }
  Target t;
  if (!find(window, &t)) return kNoWindow;
  x11::Connection& s = *t.s;
  xcb_atom_t name = s.atom("_NET_WM_ICON");
  if (images.empty()) return s.check(xcb_delete_property_checked(s.c, t.id, name)) ? S_OK : kNoWindow;
  std::vector<std::uint32_t> items = netWmIconItems(images);
  // One request holds at most the server's maximum length, so large icons go in pieces.
  const std::uint32_t piece =
      std::max<std::uint32_t>(xcb_get_maximum_request_length(s.c), 1024) - kChangePropertyHeaderItems;
  for (std::size_t at = 0; at < items.size(); at += piece) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(piece, items.size() - at));
    const auto mode = at == 0 ? XCB_PROP_MODE_REPLACE : XCB_PROP_MODE_APPEND;
    if (!s.check(xcb_change_property_checked(s.c, mode, t.id, name, XCB_ATOM_CARDINAL, 32, n, items.data() + at)))
      return kNoWindow;
  }
  return S_OK;
}

// The work area of the monitor the window is on, else the desktop's, else the screen.
RECT workAreaOf(HWND window, x11::Connection& s) {
  if (multiMonitorAvailable()) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (HMONITOR m = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST); m && GetMonitorInfoA(m, &info))
      return info.rcWork;
  }
  RECT area{0, 0, s.screen->width_in_pixels, s.screen->height_in_pixels};
  (void)SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);  // the screen when it fails
  return area;
}

// The start of a span of `size` centred in [from, to), kept at `from` when it does not fit.
LONG centred(LONG from, LONG to, LONG size) { return from + std::max<LONG>(0, (to - from - size) / 2); }

HRESULT centerWindow(HWND window) {
  Target t;
  RECT outer{};
  if (!find(window, &t) || !GetWindowRect(window, &outer)) return kNoWindow;
  const RECT work = workAreaOf(window, *t.s);
  const std::int32_t position[2] = {centred(work.left, work.right, outer.right - outer.left),
                                    centred(work.top, work.bottom, outer.bottom - outer.top)};
  std::uint32_t values[2];
  std::memcpy(values, position, sizeof values);  // X takes the signed coordinates as 32-bit items
  return t.s->check(xcb_configure_window_checked(t.s->c, t.id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values))
             ? S_OK
             : kNoWindow;
}

HRESULT closeWindow(HWND window) {
  Target t;
  if (!find(window, &t)) return kNoWindow;
  x11::Connection& s = *t.s;
  xcb_atom_t protocols = s.atom("WM_PROTOCOLS"), deleteWindow = s.atom("WM_DELETE_WINDOW");
  if (auto taken = x11::cardinals(s, t.id, protocols);
      taken && std::find(taken->begin(), taken->end(), deleteWindow) != taken->end()) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = t.id;
    ev.type = protocols;
    ev.data.data32[0] = deleteWindow;
    ev.data.data32[1] = XCB_CURRENT_TIME;
    return s.check(xcb_send_event_checked(s.c, 0, t.id, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev)))
               ? S_OK
               : kNoWindow;
  }
  t.s.reset();  // the handler may use the session itself
  if (!windowHasMessageHandler(window)) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
  (void)SendMessageA(window, WM_CLOSE, 0, 0);
  return S_OK;
}

HRESULT getWindowTitle(HWND window, BStr* out) {
  Target t;
  if (!find(window, &t)) return kNoWindow;
  x11::Connection& s = *t.s;
  const xcb_atom_t utf8 = s.atom("UTF8_STRING");
  auto r = property(s, t.id, s.atom("_NET_WM_NAME"), kMaxTitleItems);
  if (!r || r->format != 8 || r->type != utf8) r = property(s, t.id, XCB_ATOM_WM_NAME, kMaxTitleItems);
  if (!r || r->format != 8) {
    out->clear();
    return S_OK;
  }
  std::string_view bytes(static_cast<const char*>(xcb_get_property_value(r.get())),
                         static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
  *out = r->type == utf8 ? cp::fromUtf8(bytes) : cp::fromLatin1(bytes);
  return S_OK;
}

const QuendelWindowServices kServices{getWindowIcon, setWindowIcons, centerWindow, closeWindow, getWindowTitle};

// Installed when the platform library is loaded, unless other services already answer,
// and taken back when it is unloaded.
struct InstallServices {
  InstallServices() {
    if (const QuendelWindowServices* previous = asSetWindowServices(&kServices)) asSetWindowServices(previous);
  }
  ~InstallServices() {
    if (const QuendelWindowServices* current = asSetWindowServices(nullptr); current != &kServices)
      asSetWindowServices(current);
  }
  InstallServices(const InstallServices&) = delete;
  InstallServices& operator=(const InstallServices&) = delete;
} installServices;

}  // namespace

const QuendelWindowServices& x11WindowServices() { return kServices; }

}  // namespace quendel::platform
