// The update page of the About box, without the window: what its controls show before
// and after a check, and the check itself.
//
//   UpdateCheck page;
//   page.SetAppVersion(1, 9, 5);                      // AppMajor, AppMinor, AppRevision
//   if (page.Prepare(GetHostInternalName())) {        // false: the page is dropped
//     show(page.state());                             // button, info text, tool tip
//     page.Check([] { app.processEvents(); return !closing; });   // the button's click
//     show(page.state());                             // verdict, or the error text
//   }
//
// The version file is "http://" + host + "/programs/win32/versions/Version." + name +
// ".DAT"; the site link is "https://" + host + "/". The host is the maker's,
// kDefaultUpdateHost, unless the environment variable QUENDEL_UPDATE_HOST names another
// (host or host:port; anything holding characters outside letters, digits, ".-:[]" is
// ignored so the address cannot be bent into another path).
//
// Check downloads the file on a worker thread (URLDownloadToCacheFileA) while the calling
// thread calls pump about every 50 ms; pump returning false cancels the download (the
// window is closing). The file is then read, at most kVersionFileMaxBytes (a larger file
// is malformed), and ShowUpdateResult shows the outcome. Nothing raises: every failure
// ends as a text in state().infoText, with the button still there to try again. After a
// successful check the button and the info text are hidden and the versions, the verdict
// and the link are shown; a further Check does nothing.
//
// Numbers in the file: three parts split at ".", each optional blanks, an optional sign,
// decimal digits and optional blanks (a line break after the revision is such a blank),
// within the 32-bit signed range.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <string>

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {
struct DownloadOptions;
}

namespace quendel::toolvane {

constexpr char kUpdateHostVariable[] = "QUENDEL_UPDATE_HOST";
constexpr char kDefaultUpdateHost[] = "www.kestrane.org";
constexpr long kVersionFileMaxBytes = 64 * 1024;

// What the controls of the page show. The form copies it onto its widgets.
struct UpdatePageState {
  bool pageKept = false;           // the page exists (a name was given)
  bool checkButtonVisible = true;  // cmdUpdateCheck
  String checkButtonText = u"Проверить обновление";
  String checkButtonToolTip;  // the version file's address (UpdateURL)
  bool infoVisible = true;    // lblUpdateInfo
  String infoText = u"Нажмите кнопку для проверки версии программы на сайте.";
  bool resultVisible = false;  // lblUpdateResult, lblUpdateURL, lblUpdateVersion(0) to (3)
  String resultText = u"...";  // lblUpdateResult
  String siteURL;              // lblUpdateURL's caption, the maker's site
  bool siteURLIsLink = false;  // underlined, the MERCURY_CURSOR pointer over it
  std::array<String, 4> versionTexts{u"Локальная версия:", u"Версия на сайте:", u"0.00.0000", u"0.00.0000"};
};

// The download step: URLDownloadToCacheFileA's arguments that vary, and its result. The
// cancel flag is set when the pump asks to stop; the download checks it as it goes.
using UpdateDownload =
    std::function<HRESULT(const std::string& url, char* fileName, DWORD cchFileName, const std::atomic<bool>& cancel)>;

// The download through URLDownloadToCacheFileA with its standard bounds, or with other
// bounds (tests, callers that must give up sooner).
UpdateDownload standardUpdateDownload();
UpdateDownload updateDownloadWith(const platform::DownloadOptions& options);

// The maker's host: QUENDEL_UPDATE_HOST when it is set and well-formed, else the default.
std::string updateHost();
// The version file's address for a program's internal name, and the site's address.
String versionFileURL(const String& internalName);
String updateSiteURL();

class UpdateCheck {
 public:
  explicit UpdateCheck(UpdateDownload download = standardUpdateDownload());

  // The running version that the site's is compared with.
  void SetAppVersion(LONG major, LONG minor, LONG revision);

  // Preparation: false (page dropped, nothing else done) for an empty name; else the info
  // text gains CR LF CR LF + "Ресурс: Version." + name + ".DAT", UpdateURL and the tool tip
  // are set, and the result is true.
  bool Prepare(const String& internalName);

  // The button's click: download, read, ShowUpdateResult. Returns when done or cancelled.
  void Check(const std::function<bool()>& pump);

  // Shows the outcome of a downloaded text: the error texts, or the versions and verdict.
  void ShowUpdateResult(const String& text);

  // The site link's click: opens the link's caption with the desktop's opener.
  void OpenSite(HWND owner) const;

  const UpdatePageState& state() const { return state_; }
  const String& UpdateURL() const { return updateURL_; }

 private:
  UpdateDownload download_;
  UpdatePageState state_;
  String updateURL_;
  LONG appMajor_ = 0, appMinor_ = 0, appRevision_ = 0;
};

// The verdict texts of ShowUpdateResult and the failure texts of the check (the Russian
// of the page, byte for byte).
namespace update_texts {
inline constexpr char16_t kUpToDate[] = u"У Вас свежая версия - обновление не требуется ^_^";
inline constexpr char16_t kNewerOnSite[] = u"На сайте свежая версия - можно обновляться ^_^";
inline constexpr char16_t kOlderOnSite[] = u"Привет, Мира-чан ^_~";
inline constexpr char16_t kMalformed[] = u"Сведения о версии программы на сайте получены, но они содержат ошибку.";
inline constexpr char16_t kBadNumbers[] =
    u"Сведения о версии программы на сайте получены, но они содержат ошибку. Номера указаны неверно.";
inline constexpr char16_t kDownloadFailed[] = u"Не удалось получить сведения о версии программы на сайте. Ошибка ";
inline constexpr char16_t kReadFailed[] =
    u"Не удалось прочитать полученные сведения о версии программы на сайте. Ошибка ";
}  // namespace update_texts

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
