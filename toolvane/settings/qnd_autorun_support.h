// qndAutorunSupport (global): lets a program start when the user logs on.
//
// A program names itself by an identifier of its own (AppGUID); its command line is the
// REG_SZ value of that name under Software\Microsoft\Windows\CurrentVersion\Run of
// HKEY_CURRENT_USER (ForCurrentUserOnly True, the start) or HKEY_LOCAL_MACHINE. That
// value is what IsInAutorun and GetAutorunString read. Because a Run-key value starts
// nothing on a Linux desktop, AddToAutorun also writes a freedesktop autostart entry
// (autostart_entry.h: the user's or the machine's folder, by the same choice) whose Exec
// is the command line split by the library's command-line rules; DeleteFromAutorun
// removes it. An omitted or empty CommandLine means the running executable's file name,
// which is then one argument even when it holds blanks.
//
// The two are changed together: when the entry cannot be written or removed (no right
// to the folder), the member returns False and leaves the Run key alone; when the Run
// key refuses the change, the entry is put back as it was.
//
// Failures: an empty AppGUID gives False (GetAutorunString: "") without touching
// anything; registry failures give False or ""; failing support-library calls raise.
#pragma once

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

inline constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class qndAutorunSupport : public LibraryObject {
 public:
  bool ForCurrentUserOnly() const;
  void setForCurrentUserOnly(bool value);

  bool IsInAutorun(const String& AppGUID);
  String GetAutorunString(const String& AppGUID);
  bool AddToAutorun(const String& AppGUID, const String& CommandLine = {});
  bool DeleteFromAutorun(const String& AppGUID);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  LONG root_ = static_cast<LONG>(0x80000001u);  // HKEY_CURRENT_USER
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
