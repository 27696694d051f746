#include "toolvane/instance/qnd_alone.h"

#include <vector>

#include "platform/user/desktop.h"
#include "platform/window/window_messages.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace quendel::toolvane {

namespace {

constexpr const char* kActivationMessageName = "{C91232E8-B223-4501-BCF0-4F645EAACD6E}";

bool validMethod(LONG method) {
  return method == amNormal || method == amViaMessage || method == amNormalWithMinimizeToTrayHook;
}

HWND toWindow(LONG hWnd) { return platform::hwndFromId(static_cast<std::uint32_t>(hWnd)); }

std::string markerName(const String& appGuid) {
  return quendel::cp::unicodeToAnsi(u"PrevInstance_" + appGuid + u"_Marker");
}

// The window enumeration's state, one set per client thread.
struct Search {
  std::string propertyName;
  HWND found = nullptr;
  LONG method = 0;
};
thread_local Search search;

BOOL examineWindow(HWND window, LPARAM) {
  HANDLE data = GetPropA(window, search.propertyName.c_str());
  search.method = static_cast<LONG>(reinterpret_cast<std::intptr_t>(data));
  if (data) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// Restores the window first when asked, then asks for the foreground. Both are requests a
// window manager may refuse; the activation counts as made once they are sent.
void bringForward(HWND window, bool restoreFirst) {
  if (restoreFirst) (void)OpenIcon(window);
  (void)SetForegroundWindow(window);
}

}  // namespace

qndAlone::qndAlone() { activationMessage_ = static_cast<LONG>(RegisterWindowMessageA(kActivationMessageName)); }

qndAlone::~qndAlone() {
  for (HANDLE h : {plainMutex_, desktopMutex_, userMutex_})
    if (h) (void)CloseHandle(h);  // nothing to do about a claim that will not close
}

bool qndAlone::detect(HANDLE& field, const String& mutexName, const String& appGuid) {
  if (field) {
    (void)CloseHandle(field);  // the claim is replaced either way
    field = nullptr;
  }
  std::string name = quendel::cp::unicodeToAnsi(mutexName);
  field = CreateMutexA(nullptr, FALSE, name.c_str());
  DWORD error = GetLastError();
  lastAppGUID_ = appGuid;
  return error != static_cast<DWORD>(ERROR_ALREADY_EXISTS) && error != static_cast<DWORD>(ERROR_ACCESS_DENIED);
}

bool qndAlone::IsAlone(const String& appGuid) { return detect(plainMutex_, appGuid, appGuid); }

bool qndAlone::IsAloneOnDesktop(const String& appGuid) {
  return detect(desktopMutex_, appGuid + u"_Desktop_" + desktopName(), appGuid);
}

bool qndAlone::IsAloneAtUser(const String& appGuid) {
  return detect(userMutex_, appGuid + u"_User_" + asGetFullUserName(true), appGuid);
}

String qndAlone::desktopName() {
  HDESK desk = GetThreadDesktop(GetCurrentThreadId());
  if (!desk) return {};
  constexpr DWORD kFirstTry = 100;  // most names fit; a longer one is read again at its size
  std::vector<char> buffer(kFirstTry + 1, '\0');
  DWORD needed = 0;
  BOOL ok = GetUserObjectInformationA(desk, UOI_NAME, buffer.data(), kFirstTry, &needed);
  if (!ok && needed > kFirstTry) {
    buffer.assign(needed + 1, '\0');
    ok = GetUserObjectInformationA(desk, UOI_NAME, buffer.data(), needed, &needed);
  }
  if (!ok) return {};
  return asGetStringFromPointerA(buffer.data());
}

bool qndAlone::MarkPrevInstanceWindow(LONG hWnd, LONG method) {
  return MarkPrevInstanceWindowEx(hWnd, method, lastAppGUID_);
}

bool qndAlone::UnMarkPrevInstanceWindow(LONG hWnd) { return UnMarkPrevInstanceWindowEx(hWnd, lastAppGUID_); }

bool qndAlone::MarkPrevInstanceWindowEx(LONG hWnd, LONG method, const String& appGuid) {
  if (appGuid.empty() || !validMethod(method) || !IsWindow(toWindow(hWnd))) return false;
  return SetPropA(toWindow(hWnd), markerName(appGuid).c_str(),
                  reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(method)));
}

bool qndAlone::UnMarkPrevInstanceWindowEx(LONG hWnd, const String& appGuid) {
  if (appGuid.empty() || !IsWindow(toWindow(hWnd))) return false;
  return RemovePropA(toWindow(hWnd), markerName(appGuid).c_str()) != nullptr;
}

bool qndAlone::ActivatePrevInstanceWindow() { return ActivatePrevInstanceWindowEx(lastAppGUID_); }

bool qndAlone::ActivatePrevInstanceWindowEx(const String& appGuid) {
  search = Search{markerName(appGuid), nullptr, 0};
  (void)EnumWindows(examineWindow, 0);  // FALSE only says the search stopped at a match
  HWND window = search.found;
  LONG method = search.method;
  if (!window || !validMethod(method)) return false;
  switch (method) {
    case amNormal:
      if (!IsWindowVisible(window)) return false;
      bringForward(window, IsIconic(window));
      return true;
    case amViaMessage:
      if (activationMessage_ == 0) return false;
      return SendMessageA(window, static_cast<UINT>(activationMessage_), 0, 0) != 0;
    default:  // amNormalWithMinimizeToTrayHook
      bringForward(window, !IsWindowVisible(window) && IsIconic(window));
      return true;
  }
}

}  // namespace quendel::toolvane
