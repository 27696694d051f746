#include "platform/window/window.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/window/window_internal.h"
#include "platform/x11/work_area.h"
#include "platform/x11/x11_session.h"

namespace x11 = quendel::platform::x11;
using quendel::platform::hwndFromId;
using quendel::platform::WindowFacts;
using quendel::platform::windowId;
using quendel::platform::detail::ewmhManagerRuns;
using quendel::platform::detail::kWmStateIconic;
using quendel::platform::detail::kWmStateNormal;
using quendel::platform::detail::readFacts;
using quendel::platform::detail::Target;
using quendel::platform::detail::target;

namespace {

constexpr std::size_t kMaxNameBytes = 255;

// Names of registered messages and properties: letter case folded, as Windows atoms are.
std::string foldedName(const char* prefix, const char* name) {
  std::string out(prefix);
  for (const char* p = name; *p; ++p) out.push_back(*p >= 'a' && *p <= 'z' ? static_cast<char>(*p - 32) : *p);
  return out;
}

bool validName(const char* name) {
  // Small values stand for integer atoms on Windows; the port has none.
  if (reinterpret_cast<std::uintptr_t>(name) < 0x10000 || !*name) return false;
  return std::strlen(name) <= kMaxNameBytes;
}

xcb_atom_t propertyAtom(x11::Connection& s, const char* name) { return s.atom(foldedName("_QUENDEL_PROP_", name)); }

// The windows of one level with WM_STATE set, asked for all at once.
std::vector<bool> haveWmState(x11::Connection& s, const std::vector<xcb_window_t>& windows) {
  xcb_atom_t wmState = s.atom("WM_STATE");
  std::vector<xcb_get_property_cookie_t> cookies;
  cookies.reserve(windows.size());
  for (xcb_window_t w : windows)
    cookies.push_back(xcb_get_property(s.c, 0, w, wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0));
  std::vector<bool> out;
  for (auto cookie : cookies) {
    auto r = x11::reply(s.c, xcb_get_property_reply, cookie);
    out.push_back(r && r->type != XCB_ATOM_NONE);
  }
  return out;
}

std::vector<xcb_window_t> childrenTopFirst(x11::Connection& s, xcb_window_t w) {
  auto tree = x11::reply(s.c, xcb_query_tree_reply, xcb_query_tree(s.c, w));
  if (!tree) return {};
  xcb_window_t* kids = xcb_query_tree_children(tree.get());
  std::vector<xcb_window_t> out(kids, kids + xcb_query_tree_children_length(tree.get()));
  std::reverse(out.begin(), out.end());
  return out;
}

// The client window inside a window manager's frame (two levels down at most), or 0.
xcb_window_t clientInside(x11::Connection& s, xcb_window_t frame, int depth) {
  std::vector<xcb_window_t> kids = childrenTopFirst(s, frame);
  std::vector<bool> has = haveWmState(s, kids);
  for (std::size_t i = 0; i < kids.size(); ++i)
    if (has[i]) return kids[i];
  if (depth > 1)
    for (xcb_window_t k : kids)
      if (xcb_window_t found = clientInside(s, k, depth - 1)) return found;
  return 0;
}

}  // namespace

namespace quendel::platform::detail {

// The connection and the window id, when the window exists.
Target target(HWND window) {
  Target t;
  std::uint32_t id = windowId(window);
  if (id) {
    t.s = x11::session();
    if (t.s && x11::reply(t.s->c, xcb_get_window_attributes_reply, xcb_get_window_attributes(t.s->c, id))) t.id = id;
  }
  if (!t) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return t;
}

WindowFacts readFacts(x11::Connection& s, xcb_window_t w, bool* exists) {
  WindowFacts f;
  auto attrs = x11::reply(s.c, xcb_get_window_attributes_reply, xcb_get_window_attributes(s.c, w));
  *exists = static_cast<bool>(attrs);
  if (!attrs) return f;
  f.mapped = attrs->map_state == XCB_MAP_STATE_VIEWABLE;
  if (auto state = x11::cardinals(s, w, s.atom("WM_STATE")); state && !state->empty())
    f.wmState = static_cast<int>((*state)[0]);
  if (auto net = x11::cardinals(s, w, s.atom("_NET_WM_STATE"))) {
    xcb_atom_t hidden = s.atom("_NET_WM_STATE_HIDDEN");
    f.netHidden = std::find(net->begin(), net->end(), hidden) != net->end();
  }
  if (auto hints = x11::cardinals(s, w, XCB_ATOM_WM_HINTS); hints && hints->size() >= 3)
    f.startsIconic = ((*hints)[0] & 2) && (*hints)[2] == kWmStateIconic;
  return f;
}

// Is an EWMH window manager running? Its check window names itself (EWMH).
bool ewmhManagerRuns(x11::Connection& s) {
  xcb_atom_t check = s.atom("_NET_SUPPORTING_WM_CHECK");
  auto onRoot = x11::cardinals(s, s.screen->root, check);
  if (!onRoot || onRoot->empty()) return false;
  auto onChild = x11::cardinals(s, (*onRoot)[0], check);
  if (!onChild || onChild->empty() || (*onChild)[0] != (*onRoot)[0]) return false;
  auto supported = x11::cardinals(s, s.screen->root, s.atom("_NET_SUPPORTED"));
  xcb_atom_t active = s.atom("_NET_ACTIVE_WINDOW");
  return supported && std::find(supported->begin(), supported->end(), active) != supported->end();
}

}  // namespace quendel::platform::detail

namespace quendel::platform {

bool factsVisible(const WindowFacts& f) { return f.mapped || f.wmState == static_cast<int>(kWmStateIconic); }

bool factsIconic(const WindowFacts& f) {
  if (f.wmState == static_cast<int>(kWmStateIconic) || f.netHidden) return true;
  return !f.mapped && f.wmState != static_cast<int>(kWmStateNormal) && f.startsIconic;
}

}  // namespace quendel::platform

UINT RegisterWindowMessageA(const char* name) {
  if (!name || !validName(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto s = x11::session();
  if (!s) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  xcb_atom_t atom = s->atom(foldedName("_QUENDEL_MESSAGE_", name));
  if (atom == XCB_ATOM_NONE) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  return 0xC000u + atom;
}

BOOL IsWindow(HWND window) {
  std::uint32_t id = windowId(window);
  if (!id) return FALSE;
  auto s = x11::session();
  return s && x11::reply(s->c, xcb_get_window_attributes_reply, xcb_get_window_attributes(s->c, id)) ? TRUE : FALSE;
}

BOOL SetPropA(HWND window, const char* name, HANDLE data) {
  if (!name || !validName(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Target t = target(window);
  if (!t) return FALSE;
  auto value = reinterpret_cast<std::uint64_t>(data);
  std::uint32_t halves[2] = {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
  xcb_atom_t atom = propertyAtom(*t.s, name);
  if (atom == XCB_ATOM_NONE || !t.s->check(xcb_change_property_checked(t.s->c, XCB_PROP_MODE_REPLACE, t.id, atom,
                                                                       XCB_ATOM_CARDINAL, 32, 2, halves))) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

HANDLE GetPropA(HWND window, const char* name) {
  if (!name || !validName(name)) return nullptr;
  std::uint32_t id = windowId(window);
  auto s = id ? x11::session() : nullptr;
  if (!s) return nullptr;
  auto items = x11::cardinals(*s, id, propertyAtom(*s, name));
  if (!items || items->empty()) return nullptr;
  std::uint64_t value = (*items)[0];
  if (items->size() > 1) value |= static_cast<std::uint64_t>((*items)[1]) << 32;
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
}

HANDLE RemovePropA(HWND window, const char* name) {
  HANDLE data = GetPropA(window, name);
  if (!data) return nullptr;
  auto s = x11::session();
  if (!s) return nullptr;
  xcb_delete_property(s->c, windowId(window), propertyAtom(*s, name));
  xcb_flush(s->c);
  return data;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
  auto s = x11::session();
  if (!s || !callback) {
    SetLastError(s ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // The list is taken first, so the callback may call any window function.
  std::vector<xcb_window_t> top = childrenTopFirst(*s, s->screen->root);
  std::vector<bool> managed = haveWmState(*s, top);
  std::vector<xcb_window_t> listed;
  for (std::size_t i = 0; i < top.size(); ++i) {
    xcb_window_t client = managed[i] ? top[i] : clientInside(*s, top[i], 2);
    listed.push_back(client ? client : top[i]);
  }
  s.reset();
  for (xcb_window_t w : listed)
    if (!callback(hwndFromId(w), lParam)) return FALSE;
  return TRUE;
}

BOOL IsWindowVisible(HWND window) {
  std::uint32_t id = windowId(window);
  auto s = id ? x11::session() : nullptr;
  if (!s) return FALSE;
  bool exists = false;
  WindowFacts f = readFacts(*s, id, &exists);
  return exists && quendel::platform::factsVisible(f) ? TRUE : FALSE;
}

BOOL IsIconic(HWND window) {
  std::uint32_t id = windowId(window);
  auto s = id ? x11::session() : nullptr;
  if (!s) return FALSE;
  bool exists = false;
  WindowFacts f = readFacts(*s, id, &exists);
  return exists && quendel::platform::factsIconic(f) ? TRUE : FALSE;
}

BOOL OpenIcon(HWND window) {
  Target t = target(window);
  if (!t) return FALSE;
  x11::Connection& s = *t.s;
  // The next mapping starts in the normal state, whoever maps it.
  if (auto hints = x11::cardinals(s, t.id, XCB_ATOM_WM_HINTS); hints && hints->size() >= 3 && ((*hints)[0] & 2)) {
    (*hints)[2] = kWmStateNormal;
    xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, t.id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        static_cast<std::uint32_t>(hints->size()), hints->data());
  }
  xcb_atom_t netState = s.atom("_NET_WM_STATE");
  if (auto net = x11::cardinals(s, t.id, netState)) {
    xcb_atom_t hidden = s.atom("_NET_WM_STATE_HIDDEN");
    auto end = std::remove(net->begin(), net->end(), hidden);
    if (end != net->end()) {
      net->erase(end, net->end());
      xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, t.id, netState, XCB_ATOM_ATOM, 32,
                          static_cast<std::uint32_t>(net->size()), net->data());
    }
  }
  // ICCCM: mapping an iconic window asks the manager to make it normal again.
  return s.check(xcb_map_window_checked(s.c, t.id)) ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND window) {
  Target t = target(window);
  if (!t) return FALSE;
  x11::Connection& s = *t.s;
  if (ewmhManagerRuns(s)) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = t.id;
    ev.type = s.atom("_NET_ACTIVE_WINDOW");
    ev.data.data32[0] = 2;  // on the user's behalf: a second start of the program asked for it
    ev.data.data32[1] = XCB_CURRENT_TIME;
    ev.data.data32[2] = 0;
    bool sent = s.check(xcb_send_event_checked(
        s.c, 0, s.screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&ev)));
    return sent ? TRUE : FALSE;
  }
  std::uint32_t above = XCB_STACK_MODE_ABOVE;
  if (!s.check(xcb_configure_window_checked(s.c, t.id, XCB_CONFIG_WINDOW_STACK_MODE, &above))) return FALSE;
  auto attrs = x11::reply(s.c, xcb_get_window_attributes_reply, xcb_get_window_attributes(s.c, t.id));
  if (attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE)
    s.check(xcb_set_input_focus_checked(s.c, XCB_INPUT_FOCUS_PARENT, t.id, XCB_CURRENT_TIME));
  return TRUE;
}

HWND GetDesktopWindow() {
  auto s = x11::session();
  return s ? hwndFromId(s->screen->root) : nullptr;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  Target t = target(window);
  if (!t) return FALSE;
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  x11::Connection& s = *t.s;
  if (t.id == s.screen->root) {
    *rect = RECT{0, 0, s.screen->width_in_pixels, s.screen->height_in_pixels};
    return TRUE;
  }
  auto geo = x11::reply(s.c, xcb_get_geometry_reply, xcb_get_geometry(s.c, t.id));
  auto pos =
      x11::reply(s.c, xcb_translate_coordinates_reply, xcb_translate_coordinates(s.c, t.id, s.screen->root, 0, 0));
  if (!geo || !pos) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  LONG border = geo->border_width;
  RECT r{pos->dst_x - border, pos->dst_y - border, pos->dst_x + geo->width + border, pos->dst_y + geo->height + border};
  if (auto frame = x11::cardinals(s, t.id, s.atom("_NET_FRAME_EXTENTS")); frame && frame->size() >= 4) {
    r.left -= static_cast<LONG>((*frame)[0]);
    r.right += static_cast<LONG>((*frame)[1]);
    r.top -= static_cast<LONG>((*frame)[2]);
    r.bottom += static_cast<LONG>((*frame)[3]);
  }
  *rect = r;
  return TRUE;
}

BOOL SystemParametersInfoA(UINT action, UINT, void* data, UINT) {
  if (action != SPI_GETWORKAREA || !data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto s = x11::session();
  if (!s) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  RECT area{0, 0, s->screen->width_in_pixels, s->screen->height_in_pixels};
  if (auto published = x11::currentWorkArea(*s)) {
    RECT cut{std::max(area.left, published->left), std::max(area.top, published->top),
             std::min(area.right, published->right), std::min(area.bottom, published->bottom)};
    if (cut.left < cut.right && cut.top < cut.bottom) area = cut;
  }
  std::memcpy(data, &area, sizeof area);
  return TRUE;
}
