#include "toolvane/errors/qnd_err.h"

#include "platform/user/user.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "toolvane/errors/error500.h"
#include "toolvane/errors/error_text.h"
#include "toolvane/errors/network_error_text.h"
#include "toolvane/errors/standard_box.h"

namespace quendel::toolvane {

namespace {

const String kCrlf = u"\r\n";

String replaceCrlfWithBlank(String s) {
  for (size_t pos = 0; (pos = s.find(kCrlf, pos)) != String::npos; ++pos) s.replace(pos, 2, u" ");
  return s;
}

// "<label>" + N(number) + CRLF, then "Description: " + the description on one line.
String numberedText(const String& label, LONG number, const String& description) {
  String text = label + asGetErrorNumber(number) + kCrlf;
  if (!description.empty()) text += u"Description: " + replaceCrlfWithBlank(description);
  return asTrimCRLF(text);
}

LONG display(const String& errorText, LONG style, const String& title, const String& descriptionText, bool silent,
             const String& helpFile = {}, LONG helpContext = 0) {
  String caption = errorBoxCaption(title);
  String text = errorBoxText(descriptionText, errorText);
  if (silent) return 1;
  return showStandardMessageBox(text, caption, style, helpFile, helpContext);
}

}  // namespace

String errorBoxCaption(const String& title) { return title.empty() ? asGetThunderMainTitle() : title; }

String errorBoxText(const String& descriptionText, const String& errorText) {
  return descriptionText.empty() ? errorText : descriptionText + kCrlf + kCrlf + errorText;
}

String qndErr::GetErrorMessage(const Variant& ErrObject) { return BuildErrorText(readErrorInfo(ErrObject)); }

LONG qndErr::ErrorDisplay(const Variant& ErrObject, LONG Style, const String& Title, const String& DescriptionText,
                          bool Silent) {
  ErrorInfo info = readErrorInfo(ErrObject);
  String text = BuildErrorText(info);
  if (!info.helpFile.empty())
    return display(text, Style | static_cast<LONG>(MB_HELP), Title, DescriptionText, Silent, info.helpFile,
                   info.helpContext);
  return display(text, Style, Title, DescriptionText, Silent);
}

String qndErr::GetErrorMessageAPI(LONG ErrorNumber) {
  if (ErrorNumber == 0) return u"Unknown Win32 API error.";
  return numberedText(u"Win32 API error: ", ErrorNumber, asGetAPIErrorDescription(ErrorNumber));
}

LONG qndErr::ErrorDisplayAPI(LONG ErrorNumber, LONG Style, const String& Title, const String& DescriptionText,
                             bool Silent) {
  return display(GetErrorMessageAPI(ErrorNumber), Style, Title, DescriptionText, Silent);
}

String qndErr::GetErrorMessageWinMM(LONG ErrorNumber) {
  if (ErrorNumber == 0) return u"Unknown WinMM.DLL error.";
  return numberedText(u"WinMM.DLL error: ", ErrorNumber, asGetWinMMErrorDescription(ErrorNumber));
}

LONG qndErr::ErrorDisplayWinMM(LONG ErrorNumber, LONG Style, const String& Title, const String& DescriptionText,
                               bool Silent) {
  return display(GetErrorMessageWinMM(ErrorNumber), Style, Title, DescriptionText, Silent);
}

String qndErr::GetErrorMessageModule(LONG ErrorNumber, const String& ModuleName) {
  if (ErrorNumber == 0) return u"Unknown " + ModuleName + u" error.";
  // Only a module already loaded is asked; this call never loads one.
  String description;
  if (HMODULE module = GetModuleHandleA(cp::unicodeToAnsi(ModuleName).c_str()))
    description = asGetModuleErrorDescription(module, ErrorNumber);
  return numberedText(ModuleName + u" error: ", ErrorNumber, description);
}

LONG qndErr::ErrorDisplayModule(LONG ErrorNumber, const String& ModuleName, LONG Style, const String& Title,
                                const String& DescriptionText, bool Silent) {
  return display(GetErrorMessageModule(ErrorNumber, ModuleName), Style, Title, DescriptionText, Silent);
}

String qndErr::GetErrorMessageHTTPRequest(const Variant& HTTPRequestObject) {
  return networkErrorText(NetworkObjectKind::HTTPRequest, HTTPRequestObject, GetUserDefaultLangID());
}

LONG qndErr::ErrorDisplayHTTPRequest(const Variant& HTTPRequestObject, LONG Style, const String& Title,
                                     const String& DescriptionText, bool Silent) {
  if (!HTTPRequestObject.toObject()) return 0;
  return display(GetErrorMessageHTTPRequest(HTTPRequestObject), Style, Title, DescriptionText, Silent);
}

String qndErr::GetErrorMessageFTPClient(const Variant& FTPClientObject) {
  return networkErrorText(NetworkObjectKind::FTPClient, FTPClientObject, GetUserDefaultLangID());
}

LONG qndErr::ErrorDisplayFTPClient(const Variant& FTPClientObject, LONG Style, const String& Title,
                                   const String& DescriptionText, bool Silent) {
  if (!FTPClientObject.toObject()) return 0;
  return display(GetErrorMessageFTPClient(FTPClientObject), Style, Title, DescriptionText, Silent);
}

LONG qndErr::ShowErrorBox(const String& Text, LONG Style, const Variant& Title, LONG DefaultButtonIndex,
                          LONG CancelButtonIndex, LONG TimeoutValue) {
  return ShowTimedMessageBox(Text, Style, Title, DefaultButtonIndex, CancelButtonIndex, TimeoutValue);
}

}  // namespace quendel::toolvane
