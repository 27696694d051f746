// The update page: preparation, the check with its download off the window's thread,
// and ShowUpdateResult.
#include "toolvane/about/update_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <future>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/net/download_options.h"
#include "platform/shell/shell_execute.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace quendel::toolvane {
namespace {

constexpr auto kPumpInterval = std::chrono::milliseconds(50);
constexpr DWORD kCacheNameChars = 1024;  // the buffer holds one more, a NUL
constexpr size_t kMaxHostChars = 255;
constexpr LONG kErrFileNotFound = 53;
constexpr LONG kErrDeviceIO = 57;
constexpr LONG kErrPathFileAccess = 75;

// Cancels the transfer once the flag is set; called on the worker thread.
class CancelCallback : public IBindStatusCallback {
 public:
  explicit CancelCallback(const std::atomic<bool>& cancel) : cancel_(cancel) {}
  HRESULT OnProgress(ULONG, ULONG, ULONG, const char*) override { return cancel_.load() ? E_ABORT : S_OK; }

 private:
  const std::atomic<bool>& cancel_;
};

bool hostCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
}

// The name as one path segment: bytes other than letters, digits and "-._~" as %XX, so
// a name can never reach another path or a query.
String escapeSegment(const String& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  String out;
  for (unsigned char c : cp::toUtf8(name)) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char16_t>(c);
    } else {
      out += u'%';
      out += static_cast<char16_t>(kHex[c >> 4]);
      out += static_cast<char16_t>(kHex[c & 0xF]);
    }
  }
  return out;
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// One part of the version file: blanks, an optional sign, digits, blanks; 32-bit signed.
std::optional<LONG> parseVersionNumber(std::u16string_view part) {
  while (!part.empty() && isBlank(part.front())) part.remove_prefix(1);
  while (!part.empty() && isBlank(part.back())) part.remove_suffix(1);
  bool negative = false;
  if (!part.empty() && (part.front() == u'+' || part.front() == u'-')) {
    negative = part.front() == u'-';
    part.remove_prefix(1);
  }
  if (part.empty()) return std::nullopt;
  long long value = 0;
  const long long limit =
      negative ? -static_cast<long long>(std::numeric_limits<LONG>::min()) : std::numeric_limits<LONG>::max();
  for (char16_t c : part) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<LONG>(negative ? -value : value);
}

// The downloaded file's text: the run-time error of the failed step, or nullopt for a
// file above the bound (malformed).
struct ReadResult {
  std::optional<String> text;
  LONG error = 0;
};

ReadResult readVersionFile(const std::string& path) {
  auto errorOf = [](int e) {
    return e == ENOENT || e == ENOTDIR  ? kErrFileNotFound
           : e == EACCES || e == EISDIR ? kErrPathFileAccess
                                        : kErrDeviceIO;
  };
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return {std::nullopt, errorOf(errno)};
  struct stat st {};
  ReadResult r;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    r.error = kErrPathFileAccess;
  } else if (st.st_size <= kVersionFileMaxBytes) {
    // One byte more than the bound shows a file that grew meanwhile.
    std::vector<char> bytes(static_cast<size_t>(kVersionFileMaxBytes) + 1);
    size_t got = 0;
    while (got < bytes.size()) {
      ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        r.error = kErrDeviceIO;
        break;
      }
      if (n == 0) break;
      got += static_cast<size_t>(n);
    }
    if (r.error == 0 && got <= static_cast<size_t>(kVersionFileMaxBytes))
      r.text = cp::ansiToUnicode(std::string_view(bytes.data(), got));
  }
  ::close(fd);
  return r;
}

String errorText(const char16_t* lead, const RuntimeError& e) {
  String number;
  try {
    number = asGetErrorNumber(e.number());
  } catch (const RuntimeError&) {
    // The number stays out of the text; the description still tells what happened.
  }
  return String(lead) + number + u": " + e.description();
}

}  // namespace

UpdateDownload updateDownloadWith(const platform::DownloadOptions& options) {
  return [options](const std::string& url, char* fileName, DWORD cchFileName, const std::atomic<bool>& cancel) {
    CancelCallback callback(cancel);
    return platform::downloadToCacheFile(url.c_str(), fileName, cchFileName, &callback, options);
  };
}

UpdateDownload standardUpdateDownload() {
  return [](const std::string& url, char* fileName, DWORD cchFileName, const std::atomic<bool>& cancel) {
    CancelCallback callback(cancel);
    return URLDownloadToCacheFileA(nullptr, url.c_str(), fileName, cchFileName, 0, &callback);
  };
}

std::string updateHost() {
  const char* moved = std::getenv(kUpdateHostVariable);
  if (!moved || !*moved) return kDefaultUpdateHost;
  std::string_view host(moved);
  if (host.size() > kMaxHostChars) return kDefaultUpdateHost;
  for (char c : host)
    if (!hostCharacter(c)) return kDefaultUpdateHost;
  return std::string(host);
}

String versionFileURL(const String& internalName) {
  return u"http://" + cp::fromUtf8(updateHost()) + u"/programs/win32/versions/Version." + escapeSegment(internalName) +
         u".DAT";
}

String updateSiteURL() { return u"https://" + cp::fromUtf8(updateHost()) + u"/"; }

UpdateCheck::UpdateCheck(UpdateDownload download) : download_(std::move(download)) { state_.siteURL = updateSiteURL(); }

void UpdateCheck::SetAppVersion(LONG major, LONG minor, LONG revision) {
  appMajor_ = major;
  appMinor_ = minor;
  appRevision_ = revision;
}

bool UpdateCheck::Prepare(const String& internalName) {
  if (internalName.empty()) {
    state_.pageKept = false;
    return false;
  }
  state_.infoText += u"\r\n\r\nРесурс: Version." + internalName + u".DAT";
  updateURL_ = versionFileURL(internalName);
  state_.checkButtonToolTip = updateURL_;
  state_.pageKept = true;
  return true;
}

void UpdateCheck::Check(const std::function<bool()>& pump) {
  if (state_.resultVisible || updateURL_.empty()) return;  // done already, or never prepared
  std::vector<char> buffer(kCacheNameChars + 1, '\0');
  std::atomic<bool> cancel{false};
  std::string url = cp::toUtf8(updateURL_);  // only ASCII: the host and the escaped name
  auto download = download_;
  std::future<HRESULT> result = std::async(std::launch::async, [&] {
    try {
      return download(url, buffer.data(), kCacheNameChars, cancel);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  });
  bool pumping = static_cast<bool>(pump);
  while (result.wait_for(kPumpInterval) != std::future_status::ready) {
    if (pumping && !pump()) {
      cancel = true;  // the window is closing; the download ends at its next slice
      pumping = false;
    }
  }
  HRESULT hr = result.get();
  if (FAILED(hr)) {
    state_.infoText = errorText(update_texts::kDownloadFailed, RuntimeError(hr));
    return;
  }
  String fileName;
  try {
    fileName = asGetStringFromPointerA(buffer.data());
  } catch (const RuntimeError& e) {
    state_.infoText = errorText(update_texts::kReadFailed, e);
    return;
  }
  ReadResult read = readVersionFile(cp::unicodeToAnsi(fileName));
  if (read.error != 0) {
    state_.infoText = errorText(update_texts::kReadFailed, RuntimeError(read.error));
    return;
  }
  if (!read.text) {
    state_.infoText = update_texts::kMalformed;  // larger than any version file
    return;
  }
  ShowUpdateResult(*read.text);
}

void UpdateCheck::ShowUpdateResult(const String& text) {
  std::vector<std::u16string_view> parts;
  std::u16string_view rest(text);
  for (;;) {
    size_t dot = rest.find(u'.');
    parts.push_back(rest.substr(0, dot));
    if (dot == std::u16string_view::npos) break;
    rest.remove_prefix(dot + 1);
  }
  if (parts.size() != 3) {
    state_.infoText = update_texts::kMalformed;
    return;
  }
  std::array<LONG, 3> site{};
  for (size_t i = 0; i < 3; ++i) {
    auto n = parseVersionNumber(parts[i]);
    if (!n) {
      state_.infoText = update_texts::kBadNumbers;
      return;
    }
    site[i] = *n;
  }
  state_.siteURLIsLink = true;
  state_.checkButtonVisible = false;
  state_.infoVisible = false;
  state_.resultVisible = true;
  try {
    state_.versionTexts[2] = asFormatVersion(appMajor_, appMinor_, appRevision_);
  } catch (const RuntimeError&) {
    // The label keeps its designed text, as a failed step of the page does.
  }
  try {
    state_.versionTexts[3] = asFormatVersion(site[0], site[1], site[2]);
  } catch (const RuntimeError&) {
    // As above.
  }
  const std::array<LONG, 3> local{appMajor_, appMinor_, appRevision_};
  state_.resultText = site == local  ? update_texts::kUpToDate
                      : site > local ? update_texts::kNewerOnSite
                                     : update_texts::kOlderOnSite;
}

void UpdateCheck::OpenSite(HWND owner) const {
  // The result is not checked: the desktop's opener reports its own failures.
  (void)ShellExecuteA(owner, "open", cp::unicodeToAnsi(state_.siteURL).c_str(), "", "", SW_SHOWDEFAULT);
}

}  // namespace quendel::toolvane
