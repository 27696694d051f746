// The process's connection to the X11 display, shared by the window and monitor layers.
//
//   auto s = x11::session();            // null without DISPLAY or when it cannot be opened
//   if (!s) return fail();
//   auto geo = x11::reply(s->c, xcb_get_geometry_reply, xcb_get_geometry(s->c, window));
//
// The connection opens on first use to the display of DISPLAY and is reopened when
// DISPLAY names another display or the connection broke; callers keep the shared
// pointer for the length of one call, so a reopening never pulls it from under them.
// Atoms are interned once per connection. reply() discards the protocol error of a
// failed request (the result is then null), so errors never pile up in the event queue.
// libxcb itself is loaded at the first call (xcb_library.h); without it there is no
// session, as without a reachable server.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform::x11 {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Ptr = std::unique_ptr<T, FreeDeleter>;

template <class R, class C>
Ptr<R> reply(xcb_connection_t* c, R* (*fn)(xcb_connection_t*, C, xcb_generic_error_t**), C cookie) {
  xcb_generic_error_t* error = nullptr;
  R* r = fn(c, cookie, &error);
  std::free(error);
  return Ptr<R>(r);
}

// A connection with its default screen. Thread-safe as xcb is; atom() locks its cache.
class Connection {
 public:
  // Opens displayName; check ok() afterwards.
  explicit Connection(const std::string& displayName);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool ok() const { return c && screen && !xcb_connection_has_error(c); }
  // ok(), and the server has not hung up.
  bool alive() const;
  // The atom of name, interned when missing; XCB_ATOM_NONE when the server refuses.
  xcb_atom_t atom(const std::string& name);
  // The name of an atom; empty when unknown.
  std::string atomName(xcb_atom_t atom);
  // Sends a request without a reply and tells whether the server accepted it.
  bool check(xcb_void_cookie_t cookie);

  xcb_connection_t* c = nullptr;
  xcb_screen_t* screen = nullptr;
  std::string display;

 private:
  std::mutex lock_;
  std::unordered_map<std::string, xcb_atom_t> atoms_;
};

// The shared connection for DISPLAY, or null.
std::shared_ptr<Connection> session();
// Counts the connections session() has opened: a new value means another display (or
// the same display name served by a new server); 0 without a display.
unsigned long sessionGeneration();

// The 32-bit items of a property of any type; nullopt when the window or property is
// missing or the format is not 32.
std::optional<std::vector<std::uint32_t>> cardinals(Connection& s, xcb_window_t window, xcb_atom_t property);

}  // namespace quendel::platform::x11

QUENDEL_EXPORT_END
