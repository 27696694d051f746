#include "platform/x11/x11_session.h"

#include <poll.h>

#include <atomic>
#include <cstring>

namespace quendel::platform::x11 {

Connection::Connection(const std::string& displayName) : display(displayName) {
  if (displayName.empty()) return;
  int screenNumber = 0;
  c = xcb_connect(displayName.c_str(), &screenNumber);
  if (!c || xcb_connection_has_error(c)) return;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
  if (it.rem) screen = it.data;
}

Connection::~Connection() {
  if (c) xcb_disconnect(c);
}

xcb_atom_t Connection::atom(const std::string& name) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = atoms_.find(name);
    if (it != atoms_.end()) return it->second;
  }
  auto r = reply(c, xcb_intern_atom_reply, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()));
  if (!r) return XCB_ATOM_NONE;
  std::lock_guard<std::mutex> guard(lock_);
  atoms_[name] = r->atom;
  return r->atom;
}

std::string Connection::atomName(xcb_atom_t atom) {
  auto r = reply(c, xcb_get_atom_name_reply, xcb_get_atom_name(c, atom));
  if (!r) return {};
  return std::string(xcb_get_atom_name_name(r.get()), static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get())));
}

bool Connection::alive() const {
  if (!ok()) return false;
  // A server that went away shows as a hang-up before xcb itself notices it.
  pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
  return !(::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)));
}

bool Connection::check(xcb_void_cookie_t cookie) {
  xcb_generic_error_t* error = xcb_request_check(c, cookie);
  bool ok = error == nullptr;
  std::free(error);
  return ok;
}

namespace {
std::atomic<unsigned long> generation{0};
}

unsigned long sessionGeneration() { return session() ? generation.load() : 0; }

std::shared_ptr<Connection> session() {
  static std::mutex lock;
  static std::shared_ptr<Connection> current;
  const char* env = std::getenv("DISPLAY");
  std::string display = env ? env : "";
  std::lock_guard<std::mutex> guard(lock);
  if (current && (current->display != display || !current->alive())) current.reset();
  if (!current && !display.empty()) {
    auto fresh = std::make_shared<Connection>(display);
    if (fresh->ok()) {
      current = std::move(fresh);
      ++generation;
    }
  }
  return current;
}

std::optional<std::vector<std::uint32_t>> cardinals(Connection& s, xcb_window_t window, xcb_atom_t property) {
  if (property == XCB_ATOM_NONE) return std::nullopt;
  auto r = reply(s.c, xcb_get_property_reply,
                 xcb_get_property(s.c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16));
  if (!r || r->type == XCB_ATOM_NONE || r->format != 32) return std::nullopt;
  auto count = static_cast<std::size_t>(xcb_get_property_value_length(r.get())) / 4;
  std::vector<std::uint32_t> items(count);
  if (count) std::memcpy(items.data(), xcb_get_property_value(r.get()), count * 4);
  return items;
}

}  // namespace quendel::platform::x11
