#include "toolvane/errors/qnd_err.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "automation/err_object.h"
#include "support/codepage.h"
#include "support/testing.h"
#include "toolvane/errors/network_error_text.h"

namespace qt = quendel::toolvane;
using quendel::RuntimeError;
using quendel::automation::InvokeKind;
using quendel::automation::NamedArg;
using quendel::automation::Object;
using quendel::automation::String;
using quendel::automation::Variant;

namespace {

using quendel::testing::errorOf;

// An outside network object: properties read by name from a table; anything else is
// unknown (438), as on an object that lacks the member.
class FakeNetworkObject : public Object {
 public:
  explicit FakeNetworkObject(std::map<std::u16string, Variant> props) : props_(std::move(props)) {}
  Variant invoke(std::u16string_view member, InvokeKind, std::vector<Variant>&, std::vector<NamedArg>&) override {
    auto it = props_.find(std::u16string(member));
    if (it == props_.end()) throw RuntimeError(438);
    return it->second;
  }

 private:
  std::map<std::u16string, Variant> props_;
};

Variant http(Variant lastRC, Variant code, String text, Variant errorCode, String errorText) {
  return Variant(std::make_shared<FakeNetworkObject>(
      std::map<std::u16string, Variant>{{u"LastRC", lastRC},
                                        {u"ResponseCode", code},
                                        {u"ResponseText", Variant(std::move(text))},
                                        {u"ErrorCode", errorCode},
                                        {u"ErrorText", Variant(std::move(errorText))}}));
}

Variant ftp(Variant lastRC, Variant errorCode, String errorText) {
  return Variant(std::make_shared<FakeNetworkObject>(std::map<std::u16string, Variant>{
      {u"LastRC", lastRC}, {u"ErrorCode", errorCode}, {u"ErrorText", Variant(std::move(errorText))}}));
}

// The user's language for one test, through the locale.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* locale) {
    if (const char* old = std::getenv("LC_ALL")) old_ = old;
    setenv("LC_ALL", locale, 1);
  }
  ~ScopedLocale() {
    if (old_)
      setenv("LC_ALL", old_->c_str(), 1);
    else
      unsetenv("LC_ALL");
  }

 private:
  std::optional<std::string> old_;
};

TEST(qndErrTexts, ApiWinMMModule) {
  qt::qndErr err;
  struct Row {
    std::u16string got, want;
  } rows[] = {
      {err.GetErrorMessageAPI(0), u"Unknown Win32 API error."},
      {err.GetErrorMessageAPI(5), u"Win32 API error: 5\r\nDescription: Access is denied."},
      {err.GetErrorMessageAPI(9999), u"Win32 API error: 9999"},
      {err.GetErrorMessageAPI(-2147024891),
       u"Win32 API error: -2147024891 (0x80070005)\r\nDescription: Access is denied."},
      {err.GetErrorMessageWinMM(0), u"Unknown WinMM.DLL error."},
      {err.GetErrorMessageWinMM(6), u"WinMM.DLL error: 6\r\nDescription: There is no driver installed on your system."},
      {err.GetErrorMessageWinMM(500), u"WinMM.DLL error: 500"},
      {err.GetErrorMessageModule(0, u"wininet.dll"), u"Unknown wininet.dll error."},
      {err.GetErrorMessageModule(0, u"quendelplatform"), u"Unknown quendelplatform error."},
      {err.GetErrorMessageModule(12002, u"wininet.dll"), u"wininet.dll error: 12002"},
      // A loaded module without a message table gives the first line alone.
      {err.GetErrorMessageModule(7, u"quendelplatform"), u"quendelplatform error: 7"},
  };
  for (const auto& r : rows) EXPECT_EQ(r.got, r.want) << quendel::cp::toUtf8(r.want);
}

TEST(qndErrTexts, HttpAndFtpInBothLanguages) {
  qt::qndErr err;
  const char16_t* en8 = u"InternetReadFile() failed.";
  const char16_t* ru8 = u"Ошибка функции InternetReadFile().";
  struct Row {
    const char* locale;
    Variant object;
    bool isHttp;
    std::u16string want;
  } rows[] = {
      {"en_US.UTF-8", http(LONG{8}, LONG{404}, u"Not Found", LONG{0}, u""), true,
       std::u16string(en8) + u"\r\n\r\nHTTP response: 404, Not Found."},
      {"ru_RU.UTF-8", http(LONG{8}, LONG{404}, u"Not Found", LONG{0}, u""), true,
       std::u16string(ru8) + u"\r\n\r\nHTTP response: 404, Not Found."},
      // Another Cyrillic language is English.
      {"uk_UA.UTF-8", http(LONG{8}, LONG{404}, u"", LONG{0}, u""), true,
       std::u16string(en8) + u"\r\n\r\nHTTP response: 404"},
      {"en_US.UTF-8", http(LONG{99}, LONG{0}, u"x", LONG{0}, u"y"), true, u""},
      {"en_US.UTF-8", http(LONG{0}, LONG{0}, u"", LONG{12002}, u"The operation timed out"), true,
       u"Operation completed successfully.\r\n\r\nWinInet error: 12002\r\nDescription:   The operation timed out"},
      {"ru_RU.UTF-8", http(LONG{14}, LONG{200}, u"OK", LONG{12002}, u""), true,
       u"Сервер вернул неверные сжатые данные.\r\n\r\nHTTP response: 200, OK.\r\nWinInet error: 12002"},
      {"en_US.UTF-8", http(Variant(quendel::automation::Integer{10}), LONG{0}, u"", LONG{0}, u""), true,
       u"InternetSetOption() failed. Can't set proxy server user name."},
      {"en_US.UTF-8", http(LONG{-1}, Variant(double{500}), u"", Variant(double{-1}), u""), true,
       u"HTTP response: 500\r\nWinInet error: -1 (0xFFFFFFFF)"},
      {"en_US.UTF-8", ftp(LONG{3}, LONG{0}, u""), false, u"Connection was already established."},
      {"ru_RU.UTF-8", ftp(LONG{4}, LONG{0}, u""), false, u"Соединение ещё не установлено."},
      {"ru_RU.UTF-8", ftp(LONG{1}, LONG{12029}, u"Cannot connect"), false,
       u"Ошибка функции InternetOpen().\r\n\r\nWinInet error: 12029\r\nDescription:   Cannot connect"},
      {"en_US.UTF-8", ftp(LONG{99}, LONG{0}, u"ignored"), false, u""},
      {"en_US.UTF-8", Variant::nothing(), true, u""},
      {"en_US.UTF-8", Variant::nothing(), false, u""},
  };
  for (const auto& r : rows) {
    ScopedLocale locale(r.locale);
    String got = r.isHttp ? err.GetErrorMessageHTTPRequest(r.object) : err.GetErrorMessageFTPClient(r.object);
    EXPECT_EQ(got, r.want) << r.locale << " " << quendel::cp::toUtf8(r.want);
  }
}

TEST(qndErrTexts, EveryResultCodeHasBothLanguages) {
  for (auto kind : {qt::NetworkObjectKind::HTTPRequest, qt::NetworkObjectKind::FTPClient}) {
    for (LONG rc = 0; rc <= 14; ++rc) {
      std::u16string en = qt::networkResultMessage(kind, rc, 0x0409);
      std::u16string ru = qt::networkResultMessage(kind, rc, 0x0419);
      EXPECT_NE(en, ru);
      EXPECT_EQ(en.back(), u'.');
      EXPECT_EQ(ru.back(), u'.');
    }
    EXPECT_EQ(qt::networkResultMessage(kind, 15, 0x0409), nullptr);
    EXPECT_EQ(qt::networkResultMessage(kind, -1, 0x0419), nullptr);
  }
  // The rows 0 to 2 of the two tables are the same texts.
  for (LONG rc = 0; rc <= 2; ++rc)
    EXPECT_EQ(std::u16string(qt::networkResultMessage(qt::NetworkObjectKind::HTTPRequest, rc, 0x0419)),
              qt::networkResultMessage(qt::NetworkObjectKind::FTPClient, rc, 0x0419));
}

TEST(qndErrTexts, MissingMembersFailTheCall) {
  qt::qndErr err;
  Variant partial(
      std::make_shared<FakeNetworkObject>(std::map<std::u16string, Variant>{{u"LastRC", Variant(LONG{1})}}));
  EXPECT_EQ(errorOf([&] { err.GetErrorMessageFTPClient(partial); }), 438);
  EXPECT_THROW(err.ErrorDisplayHTTPRequest(partial, 16, u"T", u"", true), RuntimeError);
}

TEST(qndErrDisplay, SilentAndNothingObjects) {
  qt::qndErr err;
  auto e = quendel::automation::ErrObject::create(RuntimeError(5, u"", u"src", u"help.html", 7).info());
  EXPECT_EQ(err.ErrorDisplay(Variant(e), 16, u"T", u"", true), 1);
  EXPECT_EQ(err.ErrorDisplayAPI(5, 4, u"", u"why", true), 1);
  EXPECT_EQ(err.ErrorDisplayWinMM(5, 4, u"", u"", true), 1);
  EXPECT_EQ(err.ErrorDisplayModule(5, u"m", 4, u"", u"", true), 1);
  EXPECT_EQ(err.ErrorDisplayHTTPRequest(Variant::nothing()), 0);
  EXPECT_EQ(err.ErrorDisplayFTPClient(Variant::nothing(), 16, u"", u"", false), 0);
  EXPECT_THROW(err.ErrorDisplay(Variant::nothing(), 16, u"T", u"", true), RuntimeError);
  EXPECT_EQ(qt::errorBoxText(u"", u"E"), u"E");
  EXPECT_EQ(qt::errorBoxText(u"Mine", u"E"), u"Mine\r\n\r\nE");
  EXPECT_EQ(qt::errorBoxCaption(u""), u"toolvane_errors_tests");
  EXPECT_EQ(qt::errorBoxCaption(u"T"), u"T");
}

TEST(qndErrDisplay, WithoutDisplayTheBoxGoesToStandardError) {
  const char* old = std::getenv("DISPLAY");
  std::string saved = old ? old : "";
  unsetenv("DISPLAY");
  ScopedLocale locale("en_US.UTF-8");
  qt::qndErr err;
  auto e = quendel::automation::ErrObject::create(RuntimeError(5, u"", u"", u"help.html", 0).info());
  testing::internal::CaptureStderr();
  // Yes, No, Cancel with the second button as default (0x100).
  EXPECT_EQ(err.ErrorDisplay(Variant(e), 3 | 0x100, u"", u"Could not save."), 7);
  std::string written = testing::internal::GetCapturedStderr();
  EXPECT_EQ(
      written,
      "toolvane_errors_tests\nCould not save.\n\nError number: 5\nDescription:  Invalid procedure call or argument\n\n"
      "Help file:    help.html\nButtons: Yes [No] Cancel\nNo display: answered No.\n");
  if (old) setenv("DISPLAY", saved.c_str(), 1);
}

TEST(qndErrLateBound, OptionalArgumentsAndNames) {
  auto err = std::make_shared<qt::qndErr>();
  EXPECT_EQ(err->call(u"GetErrorMessageAPI", {Variant(LONG{2})}).toString(),
            u"Win32 API error: 2\r\nDescription: The system cannot find the file specified.");
  std::vector<Variant> args{Variant(LONG{5})};
  std::vector<NamedArg> named{{u"Silent", Variant(true)}, {u"Title", Variant(u"T")}};
  EXPECT_EQ(err->invoke(u"ErrorDisplayAPI", InvokeKind::Method, args, named).toLong(), 1);
  EXPECT_EQ(err->call(u"GetErrorMessageModule", {Variant(LONG{0}), Variant(u"x.dll")}).toString(),
            u"Unknown x.dll error.");
  const auto* show = qt::qndErr::describe().find(u"ShowErrorBox", InvokeKind::Method);
  ASSERT_NE(show, nullptr);
  ASSERT_EQ(show->params.size(), 6u);
  EXPECT_EQ(show->params[5].defaultValue.toLong(), 15);
  EXPECT_EQ(show->params[3].defaultValue.toLong(), -1);
  // The member table lists the members in their slot order.
  std::vector<std::u16string> names;
  for (const auto& m : qt::qndErr::describe().members) names.push_back(m.name);
  EXPECT_EQ(names, (std::vector<std::u16string>{
                       u"ErrorDisplay", u"GetErrorMessage", u"ErrorDisplayAPI", u"GetErrorMessageAPI",
                       u"ErrorDisplayWinMM", u"GetErrorMessageWinMM", u"ErrorDisplayModule", u"GetErrorMessageModule",
                       u"ErrorDisplayHTTPRequest", u"GetErrorMessageHTTPRequest", u"ErrorDisplayFTPClient",
                       u"GetErrorMessageFTPClient", u"ShowErrorBox"}));
}

}  // namespace
