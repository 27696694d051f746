// URLDownloadToCacheFileA: the checks and the cache file here, the transfer in the
// download module (download_module.h), loaded on the first download. libcurl's header
// is read for its result codes only; this code does not link it.
#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "platform/net/download_module.h"
#include "platform/net/download_options.h"
#include "platform/sync/sha256.h"

namespace quendel::platform {
namespace {

constexpr mode_t kCacheFolderMode = 0700;
constexpr size_t kMaxSegmentChars = 80;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr long kFirstHttpError = 400;
constexpr const char* kUserAgent = "Quendel-Toolvane/3.05";

const DownloadModule* downloadModule() {
  static OnDemandModule module(kDownloadModuleFile, kDownloadModuleEntry, kDownloadModuleVersion,
                               sizeof(DownloadModule));
  return module.table<DownloadModule>();
}

HRESULT fromErrno(int e) {
  switch (e) {
    case EACCES:
    case EPERM:
    case EROFS: return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    case ENOSPC:
    case EDQUOT: return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    case ENOENT:
    case ENOTDIR: return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case ENAMETOOLONG: return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    case ENOMEM: return E_OUTOFMEMORY;
    default: return E_FAIL;
  }
}

// Makes every missing folder of path (mode 0700); false with errno set.
bool makeFolders(const std::string& path) {
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), kCacheFolderMode) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

bool schemeAllowed(std::string_view url) {
  auto starts = [&](std::string_view p) {
    if (url.size() < p.size()) return false;
    for (size_t i = 0; i < p.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(url[i])) != p[i]) return false;
    return true;
  };
  return starts("http://") || starts("https://");
}

bool hasScheme(std::string_view url) {
  size_t colon = url.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  for (size_t i = 0; i < colon; ++i) {
    unsigned char c = url[i];
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return std::isalpha(static_cast<unsigned char>(url[0])) != 0;
}

// The temporary file the body is written to; removed unless committed.
class TempFile {
 public:
  explicit TempFile(std::string folder) : path_(std::move(folder) + "/.download-XXXXXX") {
    fd_ = mkostemp(path_.data(), O_CLOEXEC);  // mode 0600
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_) unlink(path_.c_str());
  }
  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Flushes the file and renames it over target; errno set on failure.
  bool commit(const std::string& target) {
    if (fsync(fd_) != 0 || close(fd_) != 0) {
      fd_ = -1;
      return false;
    }
    fd_ = -1;
    if (rename(path_.c_str(), target.c_str()) != 0) return false;
    committed_ = true;
    return true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool committed_ = false;
};

ULONG clampProgress(long long v) { return v < 0 ? 0 : v > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<ULONG>(v); }

// The caller's callback and what it has been told.
struct Progress {
  IBindStatusCallback* callback = nullptr;
  bool began = false;
};

// Tells the callback how far the transfer is; false when it asks to cancel.
bool report(void* context, long long written, long long expected) {
  auto& p = *static_cast<Progress*>(context);
  if (!p.callback) return true;
  ULONG status = BINDSTATUS_CONNECTING;
  if (written > 0) {
    status = p.began ? BINDSTATUS_DOWNLOADINGDATA : BINDSTATUS_BEGINDOWNLOADDATA;
    p.began = true;
  }
  return SUCCEEDED(p.callback->OnProgress(clampProgress(written), clampProgress(expected), status, nullptr));
}

}  // namespace

std::string inetCacheFolder() {
  std::string base;
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;  // a relative value is to be ignored (XDG base directories)
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && home[0] ? home : "/tmp") + "/.cache";
  }
  return base + "/quendel/inetcache";
}

std::string cacheFileNameFor(std::string_view url) {
  std::string name = sha256Hex(url);
  std::string_view path = url.substr(0, url.find_first_of("?#"));
  std::string_view segment = path.substr(path.rfind('/') + 1);
  if (path.find("://") != std::string_view::npos && path.rfind('/') <= path.find("://") + 2) segment = {};
  std::string safe;
  for (char c : segment) {
    if (safe.size() == kMaxSegmentChars) break;
    bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
    safe += plain ? c : '_';
  }
  if (!safe.empty()) name += "-" + safe;
  return name;
}

HRESULT urlDownloadResult(int curlCode, long httpStatus) {
  if (httpStatus >= kFirstHttpError) {
    switch (httpStatus) {
      case 400: return INET_E_INVALID_REQUEST;
      case 401:
      case 407: return INET_E_AUTHENTICATION_REQUIRED;
      case 404:
      case 410: return INET_E_OBJECT_NOT_FOUND;
      case 406:
      case 415: return INET_E_NO_VALID_MEDIA;
      default: return INET_E_DOWNLOAD_FAILURE;
    }
  }
  switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OK: return S_OK;
    case CURLE_URL_MALFORMAT: return INET_E_INVALID_URL;
    // The address's own scheme is checked before the transfer: this is a redirect's.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_TOO_MANY_REDIRECTS: return INET_E_REDIRECT_FAILED;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return INET_E_RESOURCE_NOT_FOUND;
    case CURLE_COULDNT_CONNECT: return INET_E_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return INET_E_CONNECTION_TIMEOUT;
    case CURLE_LOGIN_DENIED: return INET_E_AUTHENTICATION_REQUIRED;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH: return INET_E_SECURITY_PROBLEM;
    case CURLE_ABORTED_BY_CALLBACK: return E_ABORT;
    case CURLE_OUT_OF_MEMORY: return E_OUTOFMEMORY;
    case CURLE_GOT_NOTHING: return INET_E_DATA_NOT_AVAILABLE;
    default: return INET_E_DOWNLOAD_FAILURE;
  }
}

HRESULT downloadToCacheFile(const char* url, char* fileName, DWORD cchFileName, IBindStatusCallback* callback,
                            const DownloadOptions& options) {
  if (!url || !fileName) return E_INVALIDARG;
  std::string_view address(url);
  if (!schemeAllowed(address)) return hasScheme(address) ? INET_E_UNKNOWN_PROTOCOL : INET_E_INVALID_URL;

  std::string folder = inetCacheFolder();
  std::string target = folder + "/" + cacheFileNameFor(address);
  if (target.size() + 1 > cchFileName) return E_OUTOFMEMORY;
  if (!makeFolders(folder)) return fromErrno(errno);
  TempFile temp(folder);
  if (!temp.ok()) return fromErrno(errno);

  const DownloadModule* module = downloadModule();
  if (!module) return INET_E_DOWNLOAD_FAILURE;  // as a transfer that failed; a debug line tells why
  Progress progress{callback};
  const DownloadRequest request{url,
                                options.connectTimeoutMs,
                                options.totalTimeoutMs,
                                options.maxRedirects,
                                options.maxBytes,
                                kUserAgent,
                                temp.fd(),
                                report,
                                &progress};
  DownloadOutcome t{};
  module->transfer(&request, &t);
  const auto code = static_cast<CURLcode>(t.curlCode);
  if (t.writeErrno != 0) return fromErrno(t.writeErrno);
  if (t.tooLarge) return INET_E_DOWNLOAD_FAILURE;
  if (code == CURLE_FILESIZE_EXCEEDED) return INET_E_DOWNLOAD_FAILURE;
  if (code == CURLE_ABORTED_BY_CALLBACK) return E_ABORT;
  if (HRESULT hr = urlDownloadResult(code, t.httpStatus); FAILED(hr)) return hr;
  if (!temp.commit(target)) return fromErrno(errno);
  if (callback)
    (void)callback->OnProgress(clampProgress(t.written), clampProgress(t.written), BINDSTATUS_ENDDOWNLOADDATA, nullptr);
  std::memcpy(fileName, target.c_str(), target.size() + 1);
  return S_OK;
}

}  // namespace quendel::platform

HRESULT URLDownloadToCacheFileA(void* /*lpUnkcaller*/, const char* szURL, char* szFileName, DWORD cchFileName,
                                DWORD dwReserved, IBindStatusCallback* lpfnCB) {
  if (dwReserved != 0) return E_INVALIDARG;
  return quendel::platform::downloadToCacheFile(szURL, szFileName, cchFileName, lpfnCB, {});
}
