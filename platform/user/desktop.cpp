#include "platform/user/desktop.h"

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// One desktop object per process; its address is the handle.
char theDesktop;

std::string currentDesktopName() {
  return quendel::platform::desktopNameFor(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                           std::getenv("XDG_SESSION_ID"));
}

}  // namespace

namespace quendel::platform {

std::string desktopNameFor(const char* display, const char* waylandDisplay, const char* sessionId) {
  if (display && *display) {
    std::string name(display);
    // ":0.1" and ":0" are one display: the screen number goes.
    std::size_t colon = name.rfind(':');
    if (colon != std::string::npos) {
      std::size_t dot = name.find('.', colon);
      if (dot != std::string::npos) name.erase(dot);
    }
    return name;
  }
  if (waylandDisplay && *waylandDisplay) return waylandDisplay;
  if (sessionId && *sessionId) return std::string("session-") + sessionId;
  return {};
}

}  // namespace quendel::platform

DWORD GetCurrentThreadId() { return static_cast<DWORD>(::syscall(SYS_gettid)); }

HDESK GetThreadDesktop(DWORD threadId) {
  std::string task = "/proc/self/task/" + std::to_string(threadId);
  struct stat st {};
  if (threadId == 0 || ::stat(task.c_str(), &st) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (currentDesktopName().empty()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &theDesktop;
}

BOOL GetUserObjectInformationA(HANDLE object, int index, void* info, DWORD length, DWORD* lengthNeeded) {
  if (object != &theDesktop) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (index != UOI_NAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string name = currentDesktopName();
  DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (lengthNeeded) *lengthNeeded = needed;
  if (!info || length < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(info, name.c_str(), needed);
  return TRUE;
}
