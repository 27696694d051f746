#include "platform/window/window_placement.h"

#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/window/window_internal.h"
#include "platform/x11/x11_session.h"

namespace x11 = quendel::platform::x11;
using quendel::platform::ShowTarget;
using quendel::platform::detail::kWmStateIconic;
using quendel::platform::detail::kWmStateNormal;
using quendel::platform::detail::Target;

namespace {

constexpr char kNormalRectProperty[] = "_QUENDEL_NORMAL_RECT";
constexpr std::uint32_t kWmHintsStateFlag = 2;
constexpr std::size_t kWmHintsStateIndex = 2;
constexpr std::uint32_t kSizeHintsGravityFlag = 1u << 9;
constexpr std::size_t kSizeHintsGravityIndex = 17;
constexpr std::uint32_t kGravityNorthWest = 1;
constexpr std::uint32_t kGravityStatic = 10;
constexpr std::uint32_t kNetStateRemove = 0;
constexpr std::uint32_t kNetStateAdd = 1;
constexpr std::uint32_t kSourceApplication = 1;
constexpr int kFrameExtentsWaitMs = 200;
constexpr int kFrameExtentsPollMs = 5;

// Where the window stands, as the show command sees it.
struct State {
  bool mapped = false;
  bool iconic = false;
  bool maximized = false;
};

struct Extents {
  LONG left = 0, right = 0, top = 0, bottom = 0;
};

bool hasAtom(const std::optional<std::vector<std::uint32_t>>& list, xcb_atom_t atom) {
  return list && std::find(list->begin(), list->end(), atom) != list->end();
}

State readState(x11::Connection& s, xcb_window_t w) {
  bool exists = false;
  quendel::platform::WindowFacts f = quendel::platform::detail::readFacts(s, w, &exists);
  auto net = x11::cardinals(s, w, s.atom("_NET_WM_STATE"));
  State st;
  st.mapped = f.mapped;
  st.iconic = quendel::platform::factsIconic(f);
  st.maximized =
      hasAtom(net, s.atom("_NET_WM_STATE_MAXIMIZED_VERT")) && hasAtom(net, s.atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
  return st;
}

// Someone manages the windows: an EWMH manager, or an ICCCM one holding WM_S<screen>.
bool managerRuns(x11::Connection& s) {
  if (quendel::platform::detail::ewmhManagerRuns(s)) return true;
  auto owner = x11::reply(s.c, xcb_get_selection_owner_reply, xcb_get_selection_owner(s.c, s.atom("WM_S0")));
  return owner && owner->owner != XCB_WINDOW_NONE;
}

std::optional<Extents> frameExtents(x11::Connection& s, xcb_window_t w) {
  auto e = x11::cardinals(s, w, s.atom("_NET_FRAME_EXTENTS"));
  if (!e || e->size() < 4) return std::nullopt;
  return Extents{static_cast<LONG>((*e)[0]), static_cast<LONG>((*e)[1]), static_cast<LONG>((*e)[2]),
                 static_cast<LONG>((*e)[3])};
}

// The frame a window will get: the published extents, else (for a window the manager has
// not framed yet) those it announces on request, else none.
Extents expectedExtents(x11::Connection& s, xcb_window_t w, bool managed) {
  if (auto e = frameExtents(s, w)) return *e;
  auto supported = x11::cardinals(s, s.screen->root, s.atom("_NET_SUPPORTED"));
  xcb_atom_t request = s.atom("_NET_REQUEST_FRAME_EXTENTS");
  if (!managed || !hasAtom(supported, request)) return {};
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = w;
  ev.type = request;
  xcb_send_event(s.c, 0, s.screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
  xcb_flush(s.c);
  for (int waited = 0; waited < kFrameExtentsWaitMs; waited += kFrameExtentsPollMs) {
    if (auto e = frameExtents(s, w)) return *e;
    ::usleep(kFrameExtentsPollMs * 1000);
  }
  return {};
}

RECT workArea() {
  RECT area{0, 0, 0, 0};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return RECT{0, 0, 0, 0};
  return area;
}

void storeNormalRect(x11::Connection& s, xcb_window_t w, const RECT& r) {
  std::uint32_t v[4] = {static_cast<std::uint32_t>(r.left), static_cast<std::uint32_t>(r.top),
                        static_cast<std::uint32_t>(r.right), static_cast<std::uint32_t>(r.bottom)};
  xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, w, s.atom(kNormalRectProperty), XCB_ATOM_CARDINAL, 32, 4, v);
  xcb_flush(s.c);
}

std::optional<RECT> storedNormalRect(x11::Connection& s, xcb_window_t w) {
  auto v = x11::cardinals(s, w, s.atom(kNormalRectProperty));
  if (!v || v->size() != 4) return std::nullopt;
  auto at = [&](std::size_t i) { return static_cast<LONG>(static_cast<std::int32_t>((*v)[i])); };
  return RECT{at(0), at(1), at(2), at(3)};
}

void sendToRoot(x11::Connection& s, xcb_window_t w, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1 = 0,
                std::uint32_t d2 = 0, std::uint32_t d3 = 0) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = w;
  ev.type = type;
  ev.data.data32[0] = d0;
  ev.data.data32[1] = d1;
  ev.data.data32[2] = d2;
  ev.data.data32[3] = d3;
  xcb_send_event(s.c, 0, s.screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
}

// Writes the maximized atoms into _NET_WM_STATE (for an unmapped window, or without a
// manager, where the property is the client's to set).
void setMaximizedProperty(x11::Connection& s, xcb_window_t w, bool on) {
  xcb_atom_t netState = s.atom("_NET_WM_STATE"), vert = s.atom("_NET_WM_STATE_MAXIMIZED_VERT"),
             horz = s.atom("_NET_WM_STATE_MAXIMIZED_HORZ");
  std::vector<std::uint32_t> atoms = x11::cardinals(s, w, netState).value_or(std::vector<std::uint32_t>{});
  atoms.erase(std::remove_if(atoms.begin(), atoms.end(), [&](std::uint32_t a) { return a == vert || a == horz; }),
              atoms.end());
  if (on) {
    atoms.push_back(vert);
    atoms.push_back(horz);
  }
  xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, w, netState, XCB_ATOM_ATOM, 32,
                      static_cast<std::uint32_t>(atoms.size()), atoms.data());
}

// The initial state the next mapping starts in (WM_HINTS), the other hints kept.
void setInitialState(x11::Connection& s, xcb_window_t w, std::uint32_t state) {
  std::vector<std::uint32_t> hints = x11::cardinals(s, w, XCB_ATOM_WM_HINTS).value_or(std::vector<std::uint32_t>{});
  if (hints.size() < 9) hints.resize(9, 0);
  hints[0] |= kWmHintsStateFlag;
  hints[kWmHintsStateIndex] = state;
  xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                      static_cast<std::uint32_t>(hints.size()), hints.data());
}

std::uint32_t gravityOf(x11::Connection& s, xcb_window_t w) {
  auto hints = x11::cardinals(s, w, XCB_ATOM_WM_NORMAL_HINTS);
  if (!hints || hints->size() <= kSizeHintsGravityIndex || !((*hints)[0] & kSizeHintsGravityFlag))
    return kGravityNorthWest;
  return (*hints)[kSizeHintsGravityIndex];
}

// Moves and sizes the window so that its outer rectangle (frame included) is outer.
bool configureOuter(x11::Connection& s, xcb_window_t w, const RECT& outer, const Extents& e) {
  auto geo = x11::reply(s.c, xcb_get_geometry_reply, xcb_get_geometry(s.c, w));
  if (!geo) return false;
  LONG border = geo->border_width;
  LONG extents[4] = {e.left, e.right, e.top, e.bottom};
  auto origin = quendel::platform::requestOrigin(outer.left, outer.top, gravityOf(s, w), extents);
  LONG width = std::max<LONG>(1, outer.right - outer.left - e.left - e.right - 2 * border);
  LONG height = std::max<LONG>(1, outer.bottom - outer.top - e.top - e.bottom - 2 * border);
  std::uint32_t values[4] = {static_cast<std::uint32_t>(origin.x), static_cast<std::uint32_t>(origin.y),
                             static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
  return s.check(xcb_configure_window_checked(
      s.c, w, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values));
}

// A window the manager has taken over (mapped or iconified) changes state by request;
// before that, and without a manager, the property is the client's to write.
void maximize(x11::Connection& s, xcb_window_t w, const State& now, bool managed, bool on) {
  if (managed && (now.mapped || now.iconic)) {
    sendToRoot(s, w, s.atom("_NET_WM_STATE"), on ? kNetStateAdd : kNetStateRemove,
               s.atom("_NET_WM_STATE_MAXIMIZED_VERT"), s.atom("_NET_WM_STATE_MAXIMIZED_HORZ"), kSourceApplication);
    return;
  }
  setMaximizedProperty(s, w, on);
  if (!managed && on) {
    RECT area = workArea();
    if (area.right > area.left) configureOuter(s, w, area, Extents{});
  }
}

// ICCCM withdrawal: unmap, and tell a manager with a synthetic UnmapNotify.
void withdraw(x11::Connection& s, xcb_window_t w) {
  xcb_unmap_window(s.c, w);
  xcb_unmap_notify_event_t ev{};
  ev.response_type = XCB_UNMAP_NOTIFY;
  ev.event = s.screen->root;
  ev.window = w;
  xcb_send_event(s.c, 0, s.screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
}

void minimize(x11::Connection& s, xcb_window_t w, const State& now, bool managed) {
  setInitialState(s, w, kWmStateIconic);
  if (!managed) {
    xcb_unmap_window(s.c, w);  // nobody keeps an icon: the window waits, marked iconic
    return;
  }
  if (now.mapped)
    sendToRoot(s, w, s.atom("WM_CHANGE_STATE"), kWmStateIconic);
  else if (!now.iconic)
    xcb_map_window(s.c, w);  // the manager maps it iconic, as the hints ask
}

void showNormally(x11::Connection& s, xcb_window_t w, const State& now) {
  if (now.mapped && !now.iconic) return;
  setInitialState(s, w, kWmStateNormal);
  xcb_atom_t netState = s.atom("_NET_WM_STATE"), hidden = s.atom("_NET_WM_STATE_HIDDEN");
  if (!now.mapped) {
    if (auto net = x11::cardinals(s, w, netState); hasAtom(net, hidden)) {
      net->erase(std::remove(net->begin(), net->end(), hidden), net->end());
      xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, w, netState, XCB_ATOM_ATOM, 32,
                          static_cast<std::uint32_t>(net->size()), net->data());
    }
  }
  xcb_map_window(s.c, w);  // ICCCM: mapping an iconic window asks for the normal state
}

bool outerRect(HWND window, RECT* out) { return GetWindowRect(window, out) != FALSE; }

}  // namespace

namespace quendel::platform {

ShowTarget showTargetOf(UINT showCmd) {
  switch (showCmd) {
    case SW_HIDE: return ShowTarget::Hidden;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: return ShowTarget::Minimized;
    case SW_SHOWMAXIMIZED: return ShowTarget::Maximized;
    default: return ShowTarget::Normal;
  }
}

ClientOrigin requestOrigin(LONG outerLeft, LONG outerTop, std::uint32_t gravity, const LONG extents[4]) {
  const LONG left = extents[0], right = extents[1], top = extents[2], bottom = extents[3];
  if (gravity == kGravityStatic) return {outerLeft + left, outerTop + top};
  if (gravity < 1 || gravity > 9) gravity = kGravityNorthWest;  // ForgetGravity and unknown values
  // Gravities 1..9 run west to east in threes, north to south by rows.
  const std::uint32_t column = (gravity - 1) % 3, row = (gravity - 1) / 3;
  const LONG shiftX = column == 0 ? 0 : column == 1 ? (left + right) / 2 : left + right;
  const LONG shiftY = row == 0 ? 0 : row == 1 ? (top + bottom) / 2 : top + bottom;
  return {outerLeft + shiftX, outerTop + shiftY};
}

bool rememberNormalPlacement(HWND window) {
  Target t = detail::target(window);
  if (!t) return false;
  RECT outer{};
  if (!outerRect(window, &outer)) return false;
  State st = readState(*t.s, t.id);  // after the rectangle: see GetWindowPlacement
  if (st.iconic || st.maximized) return false;
  storeNormalRect(*t.s, t.id, outer);
  return true;
}

}  // namespace quendel::platform

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
  if (!placement || placement->length != sizeof(WINDOWPLACEMENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Target t = quendel::platform::detail::target(window);
  if (!t) return FALSE;
  x11::Connection& s = *t.s;
  // The rectangle first, then the state: a manager marks a window maximized before it
  // resizes it, so a state still normal means the rectangle read before it was normal too.
  RECT outer{};
  if (!outerRect(window, &outer)) return FALSE;
  State st = readState(s, t.id);
  RECT normal = outer;
  if (st.iconic || st.maximized) {
    if (auto stored = storedNormalRect(s, t.id)) normal = *stored;
  } else if (st.mapped) {
    // Only a shown window is surely where it stays: a hidden one may be waiting for the
    // window manager to carry out a placement.
    storeNormalRect(s, t.id, outer);
  }
  RECT area = workArea();
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  wp.flags = st.iconic && st.maximized ? WPF_RESTORETOMAXIMIZED : 0;
  wp.showCmd = st.iconic ? SW_SHOWMINIMIZED : st.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  wp.ptMinPosition = POINT{-1, -1};
  wp.ptMaxPosition = POINT{-1, -1};
  wp.rcNormalPosition =
      RECT{normal.left - area.left, normal.top - area.top, normal.right - area.left, normal.bottom - area.top};
  *placement = wp;
  return TRUE;
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement) {
  if (!placement || placement->length != sizeof(WINDOWPLACEMENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Target t = quendel::platform::detail::target(window);
  if (!t) return FALSE;
  x11::Connection& s = *t.s;
  const ShowTarget want = quendel::platform::showTargetOf(placement->showCmd);
  const bool managed = managerRuns(s);
  State now = readState(s, t.id);
  RECT area = workArea();
  const RECT& r = placement->rcNormalPosition;
  RECT outer{r.left + area.left, r.top + area.top, r.right + area.left, r.bottom + area.top};
  storeNormalRect(s, t.id, outer);

  const bool keepMaximized =
      want == ShowTarget::Maximized || (want == ShowTarget::Minimized && (placement->flags & WPF_RESTORETOMAXIMIZED));
  if (now.maximized && !keepMaximized) {
    maximize(s, t.id, now, managed, false);
    now.maximized = false;
  }
  // A maximized window keeps its size; its normal rectangle waits in the property.
  if (!now.maximized && !configureOuter(s, t.id, outer, expectedExtents(s, t.id, managed))) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  switch (want) {
    case ShowTarget::Hidden: withdraw(s, t.id); break;
    case ShowTarget::Normal: showNormally(s, t.id, now); break;
    case ShowTarget::Maximized:
      if (managed && (now.mapped || now.iconic)) {
        showNormally(s, t.id, now);  // de-iconified first: the request is for a shown window
        if (!now.maximized) maximize(s, t.id, now, managed, true);
      } else {
        if (!now.maximized) maximize(s, t.id, now, managed, true);
        showNormally(s, t.id, now);
      }
      break;
    case ShowTarget::Minimized:
      if (keepMaximized && !now.maximized) maximize(s, t.id, now, managed, true);
      minimize(s, t.id, now, managed);
      break;
  }
  xcb_flush(s.c);
  return TRUE;
}
