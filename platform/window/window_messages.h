// Sending a message to a window, and answering the messages sent to one's own windows.
//
// A client that wants its window to answer messages (for example the activation message
// of a second instance of the program) installs a handler and lets the library run it
// from the client's event loop:
//
//   using namespace quendel::platform;
//   setWindowMessageHandler(hwnd, [](HWND w, UINT msg, WPARAM, LPARAM) -> LRESULT {
//     if (msg != activationMessage) return 0;
//     bringMyselfForward();
//     return 1;
//   });
//   // Qt:  auto* n = new QSocketNotifier(windowMessageDescriptor(), QSocketNotifier::Read);
//   //      QObject::connect(n, &QSocketNotifier::activated, [] { dispatchWindowMessages(); });
//   // poll(): add windowMessageDescriptor() to the set, call dispatchWindowMessages()
//   //         when it is readable.
//
// SendMessageA(window, message, wParam, lParam):
// - a window of this process with a handler: the handler runs at once, on the calling
//   thread, and its answer is returned;
// - a window of another process whose handler is installed: the message goes to that
//   process (an X11 client message to a hidden window of its own) and the caller waits
//   for the answer, at most 5 seconds (QUENDEL_SENDMESSAGE_TIMEOUT_MS sets another
//   limit, in milliseconds), then returns 0; while it waits, messages sent to this
//   process's own windows are answered, so two processes that send to each other do
//   not lock up. wParam, lParam and the answer cross process borders as 32-bit values.
// - a window without a handler, a missing window or no display: 0 at once.
//
// setWindowMessageHandler(window, handler): installs or replaces the handler of a window
// of this process; an empty handler removes it. False when the window does not exist.
// windowMessageDescriptor(): a descriptor that becomes readable when messages for this
// process's windows arrive; -1 without a display. dispatchWindowMessages(): runs the
// handlers of the messages that have arrived and returns how many; never blocks. Call
// both from the thread that owns the windows (handlers run there).
#pragma once

#include <functional>

#include "platform/window/window.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace quendel::platform {

using WindowMessageHandler = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

bool setWindowMessageHandler(HWND window, WindowMessageHandler handler);
// Whether SendMessageA reaches a handler of the window: one of this process, or another
// process's whose messenger is still that window's.
bool windowHasMessageHandler(HWND window);
int windowMessageDescriptor();
int dispatchWindowMessages();

// The wait of SendMessageA for another process, in milliseconds.
int sendMessageTimeoutMs();

}  // namespace quendel::platform

QUENDEL_EXPORT_END
