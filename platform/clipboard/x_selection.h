// A private X11 connection for the clipboard's desktop bridge: one hidden window, atoms,
// the server's time, and reading a selection target (with the INCR protocol for large
// data). Used by the library's processes to read what desktop programs copied, and by the
// owner process. Nothing here blocks for longer than the time-out it is given.
//
//   auto x = XSession::connect();               // nullptr without a reachable display
//   auto bytes = x->convert(x->atom("CLIPBOARD"), x->atom("UTF8_STRING"), 2000);
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::clipboard {

using XEvent = std::unique_ptr<xcb_generic_event_t, void (*)(void*)>;

class XSession {
 public:
  // Connects to the display DISPLAY names; nullptr when there is none or it refuses.
  static std::unique_ptr<XSession> connect();
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  xcb_connection_t* conn() const { return c_; }
  xcb_window_t window() const { return window_; }
  bool broken() const { return xcb_connection_has_error(c_) != 0; }

  xcb_atom_t atom(const std::string& name);
  std::optional<std::string> atomName(xcb_atom_t atom);
  xcb_window_t selectionOwner(xcb_atom_t selection);
  // A timestamp from the server (by a zero-length property append on the own window).
  xcb_timestamp_t serverTime(int timeoutMs = 2000);

  // The next event for which accept() is true, waiting at most timeoutMs; other events
  // go to `other` (or are dropped). Null on time-out or a broken connection.
  XEvent waitFor(const std::function<bool(xcb_generic_event_t*)>& accept, int timeoutMs,
                 const std::function<void(xcb_generic_event_t*)>& other = {});

  // A property's whole value (up to maxBytes) and its type; empty optional when absent.
  std::optional<std::string> readProperty(xcb_window_t w, xcb_atom_t property, xcb_atom_t* type = nullptr,
                                          std::size_t maxBytes = kLargestTransfer);

  // The bytes of a selection target; empty optional when the owner refuses, does not
  // answer in time, or sends more than kLargestTransfer bytes.
  std::optional<std::string> convert(xcb_atom_t selection, xcb_atom_t target, int timeoutMs,
                                     xcb_atom_t* type = nullptr);

  // The largest property chunk this connection may write in one request.
  std::size_t maxChunk() const;

  static constexpr std::size_t kLargestTransfer = std::size_t{512} << 20;

 private:
  XSession() = default;
  xcb_connection_t* c_ = nullptr;
  xcb_window_t window_ = 0;
};

// An atom list property's atoms.
std::vector<xcb_atom_t> atomsOf(const std::string& bytes);

}  // namespace quendel::clipboard

QUENDEL_EXPORT_END
