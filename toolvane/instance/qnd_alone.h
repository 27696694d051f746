// qndAlone: is another instance of this program running, and bringing it forward.
//
//   auto alone = std::make_shared<qndAlone>();
//   if (alone->IsAlone(u"{my-app-guid}")) {
//     alone->MarkPrevInstanceWindow(mainWindowId, amNormal);   // keep `alone` alive
//   } else {
//     alone->ActivatePrevInstanceWindow();                     // then quit
//   }
//
// Detection asks whether a named mutex exists: "AppGUID" (the whole machine),
// AppGUID + "_Desktop_" + the desktop (display) name, AppGUID + "_User_" + the user's
// full name. Each member keeps its own mutex open until it is called again or the object
// ends; the result is False when the mutex already existed or belongs to someone this
// user may not open, True otherwise (also when the mutex cannot be made at all).
// Activation looks for the top-level window that carries the property
// "PrevInstance_" + AppGUID + "_Marker" (data: the activation method 69, 70 or 71) and
// activates it that way; the via-message method sends WM_ACTIVATE_PREV_INSTANCE and
// waits for the marked program's answer (at most 5 seconds). Without a display every
// window member returns False and WM_ACTIVATE_PREV_INSTANCE is 0.
// No member raises for a platform failure; a failing support-library call raises.
#pragma once

#include "platform/sync/named_mutex.h"
#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

// ActivationMethodConst.
enum : LONG { amNormal = 69, amViaMessage = 70, amNormalWithMinimizeToTrayHook = 71 };

class qndAlone : public LibraryObject {
 public:
  qndAlone();
  ~qndAlone() override;

  bool IsAlone(const String& AppGUID);
  bool IsAloneOnDesktop(const String& AppGUID);
  bool IsAloneAtUser(const String& AppGUID);
  String AppGUID() const { return lastAppGUID_; }
  LONG WM_ACTIVATE_PREV_INSTANCE() const { return activationMessage_; }
  bool MarkPrevInstanceWindow(LONG hWnd, LONG ActivationMethod);
  bool UnMarkPrevInstanceWindow(LONG hWnd);
  bool MarkPrevInstanceWindowEx(LONG hWnd, LONG ActivationMethod, const String& AppGUID);
  bool UnMarkPrevInstanceWindowEx(LONG hWnd, const String& AppGUID);
  bool ActivatePrevInstanceWindow();
  bool ActivatePrevInstanceWindowEx(const String& AppGUID);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

  // The name of the calling thread's desktop, as the per-desktop mutex uses it.
  static String desktopName();

 private:
  bool detect(HANDLE& field, const String& mutexName, const String& AppGUID);

  HANDLE plainMutex_ = nullptr;
  HANDLE desktopMutex_ = nullptr;
  HANDLE userMutex_ = nullptr;
  String lastAppGUID_;
  LONG activationMessage_ = 0;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
