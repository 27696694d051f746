// qndErr: the library's global class of error texts and error display.
//
//   auto err = globalInstance<qndErr>();
//   String text = err->GetErrorMessage(Variant(errObject));        // run-time error object
//   String api = err->GetErrorMessageAPI(5);   // "Win32 API error: 5\r\nDescription: Access is denied."
//   LONG r = err->ErrorDisplayAPI(5, 16, u"Backup", u"Can't write the archive.");
//   LONG t = err->ShowErrorBox(u"Disk full", 4 | 48, Variant(u"Backup"));   // timed box
//
// Text builders (GetErrorMessage*): one readable multi-line text per source of errors:
// the client's error object (error_text.h), Win32 and WinMM numbers, a loaded module's
// message table, and the client's HTTP request and FTP client objects, read by name
// (LastRC, ResponseCode, ResponseText, ErrorCode, ErrorText). The HTTP and FTP result-code
// line is Russian when GetUserDefaultLangID is 0x0419, English otherwise
// (network_error_text.h).
// Display members (ErrorDisplay*): the same text after the caller's DescriptionText and an
// empty line, in the standard message box with Style and Title (the application's title
// when Title is empty); Silent shows nothing and returns 1. ErrorDisplay adds the Help
// button when the error object names a help file. Without a display the box goes to
// standard error and the default button's result comes back at once.
// ShowErrorBox: the timed message box (error500.h), arguments passed on unchanged.
//
// Failures: Nothing for ErrObject raises 91, a value that is no object 424; a member missing
// on the outside objects raises 438; a failing support function raises its error. Nothing
// is shown when a call fails. A Nothing HTTP or FTP object is no failure: the text is empty
// and the display member shows nothing and returns 0.
#pragma once

#include "support/export.h"
#include "toolvane/frame/library_object.h"
#include "toolvane/ui_api/ui_api.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class qndErr : public LibraryObject {
 public:
  LONG ErrorDisplay(const Variant& ErrObject, LONG Style = ui::kDefaultBoxStyle, const String& Title = {},
                    const String& DescriptionText = {}, bool Silent = false);
  String GetErrorMessage(const Variant& ErrObject);
  LONG ErrorDisplayAPI(LONG ErrorNumber, LONG Style = ui::kDefaultBoxStyle, const String& Title = {},
                       const String& DescriptionText = {}, bool Silent = false);
  String GetErrorMessageAPI(LONG ErrorNumber);
  LONG ErrorDisplayWinMM(LONG ErrorNumber, LONG Style = ui::kDefaultBoxStyle, const String& Title = {},
                         const String& DescriptionText = {}, bool Silent = false);
  String GetErrorMessageWinMM(LONG ErrorNumber);
  LONG ErrorDisplayModule(LONG ErrorNumber, const String& ModuleName, LONG Style = ui::kDefaultBoxStyle,
                          const String& Title = {}, const String& DescriptionText = {}, bool Silent = false);
  String GetErrorMessageModule(LONG ErrorNumber, const String& ModuleName);
  LONG ErrorDisplayHTTPRequest(const Variant& HTTPRequestObject, LONG Style = ui::kDefaultBoxStyle,
                               const String& Title = {}, const String& DescriptionText = {}, bool Silent = false);
  String GetErrorMessageHTTPRequest(const Variant& HTTPRequestObject);
  LONG ErrorDisplayFTPClient(const Variant& FTPClientObject, LONG Style = ui::kDefaultBoxStyle,
                             const String& Title = {}, const String& DescriptionText = {}, bool Silent = false);
  String GetErrorMessageFTPClient(const Variant& FTPClientObject);
  LONG ShowErrorBox(const String& Text, LONG Style = ui::kDefaultBoxStyle, const Variant& Title = Variant::missing(),
                    LONG DefaultButtonIndex = -1, LONG CancelButtonIndex = -1,
                    LONG TimeoutValue = ui::kDefaultTimeoutSeconds);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }
};

// The box of the display members: Title or the application's title, DescriptionText +
// CRLF CRLF + the error text, or the error text alone.
String errorBoxCaption(const String& title);
String errorBoxText(const String& descriptionText, const String& errorText);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
