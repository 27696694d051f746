#include "platform/clipboard/x_selection.h"

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace quendel::clipboard {
namespace {

using Clock = std::chrono::steady_clock;

template <class T>
std::unique_ptr<T, void (*)(void*)> owned(T* p) {
  return std::unique_ptr<T, void (*)(void*)>(p, std::free);
}

int remainingMs(Clock::time_point deadline) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return ms < 0 ? 0 : static_cast<int>(ms);
}

}  // namespace

std::vector<xcb_atom_t> atomsOf(const std::string& bytes) {
  std::vector<xcb_atom_t> out(bytes.size() / 4);
  if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 4);
  return out;
}

std::unique_ptr<XSession> XSession::connect() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return nullptr;
  int screenNumber = 0;
  xcb_connection_t* c = xcb_connect(display, &screenNumber);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return nullptr;
  }
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
  if (!it.rem) {
    xcb_disconnect(c);
    return nullptr;
  }
  std::unique_ptr<XSession> s(new XSession);
  s->c_ = c;
  s->window_ = xcb_generate_id(c);
  const uint32_t values[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, s->window_, it.data->root, -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    it.data->root_visual, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
  xcb_flush(c);
  return s;
}

XSession::~XSession() {
  if (c_) xcb_disconnect(c_);
}

xcb_atom_t XSession::atom(const std::string& name) {
  auto r = owned(
      xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
  return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::optional<std::string> XSession::atomName(xcb_atom_t a) {
  auto r = owned(xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, a), nullptr));
  if (!r) return std::nullopt;
  return std::string(xcb_get_atom_name_name(r.get()), static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get())));
}

xcb_window_t XSession::selectionOwner(xcb_atom_t selection) {
  auto r = owned(xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, selection), nullptr));
  return r ? r->owner : xcb_window_t{XCB_WINDOW_NONE};
}

std::size_t XSession::maxChunk() const {
  std::size_t words = xcb_get_maximum_request_length(c_);
  std::size_t bytes = words * 4 > 1024 ? words * 4 - 1024 : 4096;
  return std::min<std::size_t>(bytes, 256 * 1024);
}

XEvent XSession::waitFor(const std::function<bool(xcb_generic_event_t*)>& accept, int timeoutMs,
                         const std::function<void(xcb_generic_event_t*)>& other) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
      XEvent ev(e, std::free);
      if (accept(e)) return ev;
      if (other) other(e);
    }
    if (broken()) return XEvent(nullptr, std::free);
    int left = remainingMs(deadline);
    if (left == 0) return XEvent(nullptr, std::free);
    pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
    ::poll(&p, 1, left);
  }
}

xcb_timestamp_t XSession::serverTime(int timeoutMs) {
  xcb_atom_t prop = atom("_QUENDEL_TIME");
  xcb_change_property(c_, XCB_PROP_MODE_APPEND, window_, prop, XCB_ATOM_STRING, 8, 0, "");
  xcb_flush(c_);
  auto e = waitFor(
      [&](xcb_generic_event_t* ev) {
        if ((ev->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
        auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
        return p->window == window_ && p->atom == prop;
      },
      timeoutMs);
  return e ? reinterpret_cast<xcb_property_notify_event_t*>(e.get())->time : XCB_CURRENT_TIME;
}

std::optional<std::string> XSession::readProperty(xcb_window_t w, xcb_atom_t property, xcb_atom_t* type,
                                                  std::size_t maxBytes) {
  std::string out;
  uint32_t offset = 0;
  for (;;) {
    auto r = owned(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, offset, 1 << 16), nullptr));
    if (!r || r->type == XCB_ATOM_NONE) return std::nullopt;
    if (type) *type = r->type;
    int len = xcb_get_property_value_length(r.get());
    if (len < 0 || out.size() + static_cast<std::size_t>(len) > maxBytes) return std::nullopt;
    out.append(static_cast<const char*>(xcb_get_property_value(r.get())), static_cast<std::size_t>(len));
    if (r->bytes_after == 0) break;
    if (len == 0 || len % 4 != 0) return std::nullopt;  // offsets count 32-bit units
    offset += static_cast<uint32_t>(len / 4);
  }
  return out;
}

std::optional<std::string> XSession::convert(xcb_atom_t selection, xcb_atom_t target, int timeoutMs, xcb_atom_t* type) {
  const xcb_atom_t prop = atom("_QUENDEL_SELECTION");
  const xcb_atom_t incr = atom("INCR");
  xcb_delete_property(c_, window_, prop);
  xcb_convert_selection(c_, window_, selection, target, prop, XCB_CURRENT_TIME);
  xcb_flush(c_);
  auto e = waitFor(
      [&](xcb_generic_event_t* ev) {
        if ((ev->response_type & 0x7F) != XCB_SELECTION_NOTIFY) return false;
        auto* n = reinterpret_cast<xcb_selection_notify_event_t*>(ev);
        return n->requestor == window_ && n->selection == selection && n->target == target;
      },
      timeoutMs);
  if (!e) return std::nullopt;
  auto* n = reinterpret_cast<xcb_selection_notify_event_t*>(e.get());
  if (n->property == XCB_ATOM_NONE) return std::nullopt;
  xcb_atom_t t = XCB_ATOM_NONE;
  auto data = readProperty(window_, n->property, &t);
  xcb_delete_property(c_, window_, n->property);
  xcb_flush(c_);
  if (!data) return std::nullopt;
  if (t != incr) {
    if (type) *type = t;
    return data;
  }
  // INCR: each deletion asks for the next chunk; a chunk of 0 bytes ends the transfer.
  std::string out;
  for (;;) {
    auto pe = waitFor(
        [&](xcb_generic_event_t* ev) {
          if ((ev->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
          auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
          return p->window == window_ && p->atom == n->property && p->state == XCB_PROPERTY_NEW_VALUE;
        },
        timeoutMs);
    if (!pe) return std::nullopt;
    auto chunk = readProperty(window_, n->property, &t, kLargestTransfer - out.size());
    xcb_delete_property(c_, window_, n->property);
    xcb_flush(c_);
    if (!chunk) return std::nullopt;
    if (chunk->empty()) break;
    out += *chunk;
  }
  if (type) *type = t;
  return out;
}

}  // namespace quendel::clipboard
