#include "platform/window/window_messages.h"

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/x11/x11_session.h"

namespace x11 = quendel::platform::x11;
using quendel::platform::hwndFromId;
using quendel::platform::windowId;
using quendel::platform::WindowMessageHandler;

namespace {

// Properties and message types of the protocol between processes.
constexpr const char* kMessengerOf = "_QUENDEL_MESSENGER";       // on a window: its messenger
constexpr const char* kMessengerFor = "_QUENDEL_MESSENGER_FOR";  // on a messenger: its window
constexpr const char* kSend = "_QUENDEL_SEND_MESSAGE";
constexpr const char* kReply = "_QUENDEL_MESSAGE_REPLY";

// The receiving side: its own connection, read only by dispatchWindowMessages (and the
// wait of SendMessageA), so that no other call ever reads its events out of turn.
struct Receiver {
  std::unique_ptr<x11::Connection> conn;
  xcb_atom_t messengerOf = 0, messengerFor = 0, send = 0, reply = 0;
  struct Entry {
    std::shared_ptr<WindowMessageHandler> handler;
    xcb_window_t messenger = 0;
  };
  std::map<xcb_window_t, Entry> windows;  // by window
  std::map<xcb_window_t, xcb_window_t> byMessenger;
};

std::recursive_mutex receiverLock;
Receiver receiver;

std::string currentDisplay() {
  const char* env = std::getenv("DISPLAY");
  return env ? env : "";
}

// The receiver for the current display, opened when missing; null without a display.
Receiver* openReceiver() {
  std::string display = currentDisplay();
  if (receiver.conn && (receiver.conn->display != display || !receiver.conn->alive())) {
    receiver.windows.clear();
    receiver.byMessenger.clear();
    receiver.conn.reset();
  }
  if (!receiver.conn && !display.empty()) {
    auto conn = std::make_unique<x11::Connection>(display);
    if (!conn->ok()) return nullptr;
    // Every round trip happens now, before any message can arrive.
    receiver.messengerOf = conn->atom(kMessengerOf);
    receiver.messengerFor = conn->atom(kMessengerFor);
    receiver.send = conn->atom(kSend);
    receiver.reply = conn->atom(kReply);
    receiver.conn = std::move(conn);
  }
  return receiver.conn ? &receiver : nullptr;
}

void answer(Receiver& r, xcb_window_t replyTo, std::uint32_t serial, LRESULT result) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = replyTo;
  ev.type = r.reply;
  ev.data.data32[0] = serial;
  ev.data.data32[1] = static_cast<std::uint32_t>(result);
  xcb_send_event(r.conn->c, 0, replyTo, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
  xcb_flush(r.conn->c);
}

// The sending side: a hidden window of the shared connection receives the answers.
std::mutex replyLock;
std::weak_ptr<x11::Connection> replyConnection;
xcb_window_t replyWindow = 0;
std::uint32_t nextSerial = 1;

xcb_window_t replyWindowFor(const std::shared_ptr<x11::Connection>& s) {
  std::lock_guard<std::mutex> guard(replyLock);
  if (replyConnection.lock() != s) {
    replyWindow = xcb_generate_id(s->c);
    xcb_create_window(s->c, 0, replyWindow, s->screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    replyConnection = s;
  }
  return replyWindow;
}

// The local handler of a window, if this process has one for it.
std::shared_ptr<WindowMessageHandler> localHandler(xcb_window_t id) {
  std::lock_guard<std::recursive_mutex> guard(receiverLock);
  if (!receiver.conn || receiver.conn->display != currentDisplay()) return nullptr;
  auto it = receiver.windows.find(id);
  return it == receiver.windows.end() ? nullptr : it->second.handler;
}

int receiverDescriptor() {
  std::lock_guard<std::recursive_mutex> guard(receiverLock);
  return receiver.conn && receiver.conn->display == currentDisplay() ? xcb_get_file_descriptor(receiver.conn->c) : -1;
}

// The receiving process's messenger of a window, if it is still the one of this window; 0 if none.
xcb_window_t messengerOf(x11::Connection& s, xcb_window_t id) {
  auto messenger = x11::cardinals(s, id, s.atom(kMessengerOf));
  if (!messenger || messenger->empty()) return 0;
  xcb_window_t to = (*messenger)[0];
  auto owner = x11::cardinals(s, to, s.atom(kMessengerFor));
  return owner && !owner->empty() && (*owner)[0] == id ? to : 0;
}

// Whether `messenger` is a window this process's receiver made and has since let go. Its
// removal travels on the receiver's connection, so another connection may still read the
// old property for a moment; the window's handler is gone all the same.
bool releasedOwnMessenger(xcb_window_t messenger) {
  std::lock_guard<std::recursive_mutex> guard(receiverLock);
  if (!receiver.conn || receiver.conn->display != currentDisplay()) return false;
  const xcb_setup_t* setup = xcb_get_setup(receiver.conn->c);
  const bool ours = (messenger & ~setup->resource_id_mask) == setup->resource_id_base;
  return ours && receiver.byMessenger.count(messenger) == 0;
}

// The messenger to send a window's messages to; 0 when there is none to reach.
xcb_window_t liveMessengerOf(x11::Connection& s, xcb_window_t id) {
  xcb_window_t to = messengerOf(s, id);
  return to && !releasedOwnMessenger(to) ? to : 0;
}

}  // namespace

namespace quendel::platform {

bool windowHasMessageHandler(HWND window) {
  std::uint32_t id = windowId(window);
  if (!id) return false;
  if (localHandler(id)) return true;
  auto s = x11::session();
  return s && liveMessengerOf(*s, id) != 0;
}

int sendMessageTimeoutMs() {
  const char* env = std::getenv("QUENDEL_SENDMESSAGE_TIMEOUT_MS");
  if (env && *env) {
    char* end = nullptr;
    long ms = std::strtol(env, &end, 10);
    if (end && !*end && ms >= 0) return static_cast<int>(std::min(ms, 600000L));
  }
  return 5000;
}

bool setWindowMessageHandler(HWND window, WindowMessageHandler handler) {
  std::uint32_t id = windowId(window);
  if (!id || !IsWindow(window)) return false;
  std::lock_guard<std::recursive_mutex> guard(receiverLock);
  Receiver* r = openReceiver();
  if (!r) return false;
  xcb_connection_t* c = r->conn->c;
  auto it = r->windows.find(id);
  if (!handler) {
    if (it != r->windows.end()) {
      xcb_delete_property(c, id, r->messengerOf);
      xcb_destroy_window(c, it->second.messenger);
      r->byMessenger.erase(it->second.messenger);
      r->windows.erase(it);
      xcb_flush(c);
    }
    return true;
  }
  if (it != r->windows.end()) {
    it->second.handler = std::make_shared<WindowMessageHandler>(std::move(handler));
    return true;
  }
  // No round trips here: a reply would pull waiting messages off the socket unseen.
  xcb_window_t messenger = xcb_generate_id(c);
  xcb_create_window(c, 0, messenger, r->conn->screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, messenger, r->messengerFor, XCB_ATOM_WINDOW, 32, 1, &id);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, r->messengerOf, XCB_ATOM_WINDOW, 32, 1, &messenger);
  xcb_flush(c);
  r->windows[id] = Receiver::Entry{std::make_shared<WindowMessageHandler>(std::move(handler)), messenger};
  r->byMessenger[messenger] = id;
  return true;
}

int windowMessageDescriptor() {
  std::lock_guard<std::recursive_mutex> guard(receiverLock);
  Receiver* r = openReceiver();
  return r ? xcb_get_file_descriptor(r->conn->c) : -1;
}

int dispatchWindowMessages() {
  int handled = 0;
  for (;;) {
    std::shared_ptr<WindowMessageHandler> handler;
    xcb_window_t window = 0, replyTo = 0;
    std::uint32_t serial = 0, message = 0, wParam = 0, lParam = 0;
    {
      std::lock_guard<std::recursive_mutex> guard(receiverLock);
      if (!receiver.conn || receiver.conn->display != currentDisplay()) return handled;
      xcb_generic_event_t* event = xcb_poll_for_event(receiver.conn->c);
      if (!event) return handled;
      x11::Ptr<xcb_generic_event_t> owned(event);
      if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) continue;
      auto* cm = reinterpret_cast<xcb_client_message_event_t*>(event);
      if (cm->type != receiver.send || cm->format != 32) continue;
      auto m = receiver.byMessenger.find(cm->window);
      if (m == receiver.byMessenger.end()) continue;
      window = m->second;
      handler = receiver.windows[window].handler;
      message = cm->data.data32[0];
      wParam = cm->data.data32[1];
      lParam = cm->data.data32[2];
      replyTo = cm->data.data32[3];
      serial = cm->data.data32[4];
    }
    LRESULT result =
        (*handler)(hwndFromId(window), message, wParam, static_cast<LPARAM>(static_cast<std::int32_t>(lParam)));
    ++handled;
    std::lock_guard<std::recursive_mutex> guard(receiverLock);
    if (receiver.conn) answer(receiver, replyTo, serial, result);
  }
}

}  // namespace quendel::platform

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::uint32_t id = windowId(window);
  if (!id) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (auto handler = localHandler(id)) return (*handler)(window, message, wParam, lParam);

  auto s = x11::session();
  if (!s) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  xcb_window_t to = liveMessengerOf(*s, id);
  if (!to) return 0;

  xcb_window_t replyTo = replyWindowFor(s);
  std::uint32_t serial;
  {
    std::lock_guard<std::mutex> guard(replyLock);
    serial = nextSerial++;
  }
  xcb_atom_t replyType = s->atom(kReply);
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = to;
  ev.type = s->atom(kSend);
  ev.data.data32[0] = message;
  ev.data.data32[1] = static_cast<std::uint32_t>(wParam);
  ev.data.data32[2] = static_cast<std::uint32_t>(lParam);
  ev.data.data32[3] = replyTo;
  ev.data.data32[4] = serial;
  if (!s->check(xcb_send_event_checked(s->c, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev))))
    return 0;

  auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(quendel::platform::sendMessageTimeoutMs());
  for (;;) {
    // Answers may already sit in the queue, read there by an earlier round trip.
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(s->c)) {
      x11::Ptr<xcb_generic_event_t> owned(event);
      auto* cm = reinterpret_cast<xcb_client_message_event_t*>(event);
      if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && cm->type == replyType && cm->window == replyTo &&
          cm->data.data32[0] == serial)
        return static_cast<LRESULT>(static_cast<std::int32_t>(cm->data.data32[1]));
    }
    if (xcb_connection_has_error(s->c)) return 0;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return 0;
    pollfd fds[2] = {{xcb_get_file_descriptor(s->c), POLLIN, 0}, {receiverDescriptor(), POLLIN, 0}};
    int ready = ::poll(fds, fds[1].fd >= 0 ? 2 : 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
    if (ready > 0 && fds[1].fd >= 0 && (fds[1].revents & POLLIN)) quendel::platform::dispatchWindowMessages();
    if (ready > 0 && (fds[0].revents & POLLIN)) {
      if (xcb_generic_event_t* event = xcb_poll_for_event(s->c)) {
        x11::Ptr<xcb_generic_event_t> owned(event);
        auto* cm = reinterpret_cast<xcb_client_message_event_t*>(event);
        if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && cm->type == replyType && cm->window == replyTo &&
            cm->data.data32[0] == serial)
          return static_cast<LRESULT>(static_cast<std::int32_t>(cm->data.data32[1]));
      }
    }
  }
}
