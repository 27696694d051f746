// The desktop a thread runs on, and its name: the display of the session.
//
//   HDESK desk = GetThreadDesktop(GetCurrentThreadId());
//   char name[101];
//   DWORD needed = 0;
//   if (desk && GetUserObjectInformationA(desk, UOI_NAME, name, 100, &needed)) ...
//
// Every thread of the process shares one desktop, named after the display the process
// runs on: the X11 display of DISPLAY without its screen number (":0", "host:10"); with
// no DISPLAY, the Wayland display of WAYLAND_DISPLAY; with neither, the login session
// ("session-" + XDG_SESSION_ID). With none of these there is no desktop:
// GetThreadDesktop returns nullptr (ERROR_INVALID_HANDLE). So two programs on different
// displays are on different desktops, and two on the same display on the same one.
//
// GetThreadDesktop(threadId): nullptr with ERROR_INVALID_PARAMETER for an id that is not
// a thread of this process. The handle needs no closing.
// GetUserObjectInformationA(object, UOI_NAME, buffer, length, lengthNeeded): copies the
// zero-terminated name (ANSI) and sets lengthNeeded to its size with the zero; when
// length is too small, FALSE with ERROR_INSUFFICIENT_BUFFER and lengthNeeded set.
// FALSE with ERROR_INVALID_HANDLE for another object, ERROR_INVALID_PARAMETER for
// another index.
#pragma once

#include <string>

#include "platform/base/last_error.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

using HANDLE = void*;
using HDESK = HANDLE;
constexpr int UOI_FLAGS = 1;
constexpr int UOI_NAME = 2;

DWORD GetCurrentThreadId();
HDESK GetThreadDesktop(DWORD threadId);
[[nodiscard]] BOOL GetUserObjectInformationA(HANDLE object, int index, void* info, DWORD length, DWORD* lengthNeeded);

namespace quendel::platform {

// The desktop name for these environment values (any may be null); empty for none.
std::string desktopNameFor(const char* display, const char* waylandDisplay, const char* sessionId);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
