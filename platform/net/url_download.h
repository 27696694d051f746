// The URL moniker call that fetches a file into the Internet cache (URLMON), over libcurl.
//
//   char file[1025] = {};
//   HRESULT hr = URLDownloadToCacheFileA(nullptr, "http://host/programs/x.DAT", file, 1024, 0, nullptr);
//   if (SUCCEEDED(hr)) std::ifstream in(file);       // the cache file, mode 0600
//
// Only http and https addresses. The body is downloaded afresh on every call (an update
// check must not be answered from a stale copy) and written atomically into the cache
// folder `$XDG_CACHE_HOME/quendel/inetcache/` (default `~/.cache/...`, made 0700), one
// file per address, named by the address's SHA-256 and its last path segment; the name
// is copied, zero-terminated, into szFileName. A failed download leaves an earlier cache
// file of the address as it was and the buffer untouched.
//
// Bounds: connect time-out 10 s, whole transfer 30 s, at most 5 redirects and only to http
// or https, a body of at most 8 MiB (kDownloadMaxBytes). The callback's OnProgress is
// called from the calling thread about every 50 ms and on progress; returning E_ABORT (or
// any failure) cancels the transfer, which then returns E_ABORT.
//
// Failures: E_INVALIDARG for a null address or buffer; E_OUTOFMEMORY when the cache file
// name with its NUL does not fit cchFileName (the platform's code for a bad buffer
// length); INET_E_INVALID_URL for a malformed address, INET_E_UNKNOWN_PROTOCOL for
// another scheme; network failures and HTTP statuses of 400 and above as the INET_E_*
// codes below (urlDownloadResult tells which); E_ABORT when cancelled; a cache folder or
// file that cannot be written gives HRESULT_FROM_WIN32 of the system error
// (ERROR_ACCESS_DENIED, ERROR_DISK_FULL, ...). The texts of the INET_E_* codes are the
// platform's; the support library's error descriptions know them.
#pragma once

#include "platform/base/last_error.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

#define QUENDEL_NET_API QUENDEL_EXPORT

// The Internet facility's statuses (FACILITY_INTERNET, 12).
constexpr HRESULT INET_E_INVALID_URL = static_cast<HRESULT>(0x800C0002u);
constexpr HRESULT INET_E_NO_SESSION = static_cast<HRESULT>(0x800C0003u);
constexpr HRESULT INET_E_CANNOT_CONNECT = static_cast<HRESULT>(0x800C0004u);
constexpr HRESULT INET_E_RESOURCE_NOT_FOUND = static_cast<HRESULT>(0x800C0005u);
constexpr HRESULT INET_E_OBJECT_NOT_FOUND = static_cast<HRESULT>(0x800C0006u);
constexpr HRESULT INET_E_DATA_NOT_AVAILABLE = static_cast<HRESULT>(0x800C0007u);
constexpr HRESULT INET_E_DOWNLOAD_FAILURE = static_cast<HRESULT>(0x800C0008u);
constexpr HRESULT INET_E_AUTHENTICATION_REQUIRED = static_cast<HRESULT>(0x800C0009u);
constexpr HRESULT INET_E_NO_VALID_MEDIA = static_cast<HRESULT>(0x800C000Au);
constexpr HRESULT INET_E_CONNECTION_TIMEOUT = static_cast<HRESULT>(0x800C000Bu);
constexpr HRESULT INET_E_INVALID_REQUEST = static_cast<HRESULT>(0x800C000Cu);
constexpr HRESULT INET_E_UNKNOWN_PROTOCOL = static_cast<HRESULT>(0x800C000Du);
constexpr HRESULT INET_E_SECURITY_PROBLEM = static_cast<HRESULT>(0x800C000Eu);
constexpr HRESULT INET_E_CANNOT_LOAD_DATA = static_cast<HRESULT>(0x800C000Fu);
constexpr HRESULT INET_E_REDIRECT_FAILED = static_cast<HRESULT>(0x800C0014u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);

// Status codes of OnProgress (BINDSTATUS) that this port reports.
constexpr ULONG BINDSTATUS_CONNECTING = 2;
constexpr ULONG BINDSTATUS_BEGINDOWNLOADDATA = 4;
constexpr ULONG BINDSTATUS_DOWNLOADINGDATA = 5;
constexpr ULONG BINDSTATUS_ENDDOWNLOADDATA = 6;

// The largest body a download accepts.
constexpr long long kDownloadMaxBytes = 8LL << 20;

// The progress part of the bind status callback: the one member a download calls.
struct IBindStatusCallback {
  virtual HRESULT OnProgress(ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode, const char* szStatusText) = 0;

 protected:
  ~IBindStatusCallback() = default;
};

// lpUnkcaller is not used (no calling object); dwReserved must be 0.
[[nodiscard]] QUENDEL_NET_API HRESULT URLDownloadToCacheFileA(void* lpUnkcaller, const char* szURL, char* szFileName,
                                                              DWORD cchFileName, DWORD dwReserved,
                                                              IBindStatusCallback* lpfnCB);

QUENDEL_EXPORT_END
