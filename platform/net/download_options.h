// The bounds of one download, for the platform's own tests and for callers that need
// shorter waits than URLDownloadToCacheFileA's (10 s to connect, 30 s in all).
//
//   DownloadOptions o;
//   o.totalTimeoutMs = 500;
//   HRESULT hr = downloadToCacheFile("http://127.0.0.1:8080/x", buf, sizeof buf, nullptr, o);
//
// The result and outputs are those of URLDownloadToCacheFileA (url_download.h).
#pragma once

#include <string>
#include <string_view>

#include "platform/net/url_download.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

struct DownloadOptions {
  long connectTimeoutMs = 10000;
  long totalTimeoutMs = 30000;
  long maxRedirects = 5;
  long long maxBytes = kDownloadMaxBytes;
};

[[nodiscard]] QUENDEL_NET_API HRESULT downloadToCacheFile(const char* url, char* fileName, DWORD cchFileName,
                                                          IBindStatusCallback* callback,
                                                          const DownloadOptions& options);

// The HRESULT of a finished transfer: curlCode is libcurl's result, httpStatus the last
// response's status (0 when none came). 0 and a status below 400 give S_OK.
QUENDEL_NET_API HRESULT urlDownloadResult(int curlCode, long httpStatus);

// The cache folder, `$XDG_CACHE_HOME/quendel/inetcache` (or `$HOME/.cache/...`), and the
// file name an address is kept under inside it.
QUENDEL_NET_API std::string inetCacheFolder();
QUENDEL_NET_API std::string cacheFileNameFor(std::string_view url);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
