#include "toolvane/errors/network_error_text.h"

#include "support/quendelsupport.h"

namespace quendel::toolvane {

namespace {

// The result codes with a text: 0 to kLastResultCode.
constexpr LONG kLastResultCode = 14;
constexpr WORD kRussianLangId = 0x0419;

struct Message {
  const char16_t* russian;
  const char16_t* english;
};

constexpr Message kHttp[kLastResultCode + 1] = {
    {u"Операция завершена успешно.", u"Operation completed successfully."},
    {u"Ошибка функции InternetOpen().", u"InternetOpen() failed."},
    {u"Ошибка функции InternetConnect().", u"InternetConnect() failed."},
    {u"Ошибка функции InternetOpenRequest().", u"InternetOpenRequest() failed."},
    {u"Ошибка функции InternetSendRequest().", u"InternetSendRequest() failed."},
    {u"Ошибка функции InternetSendRequestEx().", u"InternetSendRequestEx() failed."},
    {u"Ошибка функции InternetWriteFile().", u"InternetWriteFile() failed."},
    {u"Ошибка функции InternetEndRequest().", u"InternetEndRequest() failed."},
    {u"Ошибка функции InternetReadFile().", u"InternetReadFile() failed."},
    {u"Операция была отменена.", u"Operation canceled."},
    {u"Ошибка функции InternetSetOption(). Не удалось установить имя пользователя прокси-сервера.",
     u"InternetSetOption() failed. Can't set proxy server user name."},
    {u"Ошибка функции InternetSetOption(). Не удалось установить пароль прокси-сервера.",
     u"InternetSetOption() failed. Can't set proxy server password."},
    {u"Ошибка функции InternetSetOption(). Не удалось установить имя пользователя сервера.",
     u"InternetSetOption() failed. Can't set server user name."},
    {u"Ошибка функции InternetSetOption(). Не удалось установить пароль сервера.",
     u"InternetSetOption() failed. Can't set server password."},
    {u"Сервер вернул неверные сжатые данные.", u"Invalid compressed data were received from server."},
};

constexpr Message kFtp[kLastResultCode + 1] = {
    {u"Операция завершена успешно.", u"Operation completed successfully."},
    {u"Ошибка функции InternetOpen().", u"InternetOpen() failed."},
    {u"Ошибка функции InternetConnect().", u"InternetConnect() failed."},
    {u"Соединение уже установлено.", u"Connection was already established."},
    {u"Соединение ещё не установлено.", u"Connection was not established yet."},
    {u"Ошибка функции FtpGetCurrentDirectory().", u"FtpGetCurrentDirectory() failed."},
    {u"Ошибка функции FtpSetCurrentDirectory().", u"FtpSetCurrentDirectory() failed."},
    {u"Ошибка функции FtpCreateDirectory().", u"FtpCreateDirectory() failed."},
    {u"Ошибка функции FtpRemoveDirectory().", u"FtpRemoveDirectory() failed."},
    {u"Ошибка функции FtpFindFirstFile().", u"FtpFindFirstFile() failed."},
    {u"Ошибка функции InternetFindNextFile().", u"InternetFindNextFile() failed."},
    {u"Ошибка функции FtpGetFile().", u"FtpGetFile() failed."},
    {u"Ошибка функции FtpPutFile().", u"FtpPutFile() failed."},
    {u"Ошибка функции FtpRenameFile().", u"FtpRenameFile() failed."},
    {u"Ошибка функции FtpDeleteFile().", u"FtpDeleteFile() failed."},
};

}  // namespace

const char16_t* networkResultMessage(NetworkObjectKind kind, LONG rc, WORD langId) {
  if (rc < 0 || rc > kLastResultCode) return nullptr;
  const Message& m = (kind == NetworkObjectKind::HTTPRequest ? kHttp : kFtp)[rc];
  return langId == kRussianLangId ? m.russian : m.english;
}

String networkErrorText(NetworkObjectKind kind, const Variant& object, WORD langId) {
  ObjectPtr o = object.toObject();
  if (!o) return {};
  const String crlf = u"\r\n";
  String text;
  Variant lastRC = o->get(u"LastRC");
  for (LONG rc = 0; rc <= kLastResultCode; ++rc) {
    if (variantEquals(lastRC, Variant(rc))) {
      text += String(networkResultMessage(kind, rc, langId)) + crlf;
      break;
    }
  }
  text += crlf;
  if (kind == NetworkObjectKind::HTTPRequest) {
    Variant responseCode = o->get(u"ResponseCode");
    if (!variantEquals(responseCode, Variant(LONG{0}))) {
      text += u"HTTP response: " + responseCode.toString();
      String responseText = o->get(u"ResponseText").toString();
      if (!responseText.empty()) text += u", " + responseText + u".";
      text += crlf;
    }
  }
  Variant errorCode = o->get(u"ErrorCode");
  if (!variantEquals(errorCode, Variant(LONG{0}))) {
    text += u"WinInet error: " + asGetErrorNumber(errorCode.toLong());
    String errorText = o->get(u"ErrorText").toString();
    if (!errorText.empty()) text += crlf + u"Description:   " + errorText;
  }
  return asTrimCRLF(text);
}

}  // namespace quendel::toolvane
