// The table of the download module (libquendeldownload.so, download_module.cpp), the one
// part of the platform that links libcurl; url_download.cpp loads it on the first
// download.
//
// transfer fetches request.url (http and https only, redirects too) into request.fd
// within the request's bounds, calling progress about every 50 ms from the calling
// thread (false cancels: CURLE_ABORTED_BY_CALLBACK). It always fills the outcome: the
// libcurl result, the HTTP status, the bytes written, whether the body passed maxBytes
// and the errno of a failed write.
#pragma once

#include "platform/base/on_demand_module.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

constexpr std::uint32_t kDownloadModuleVersion = 1;
constexpr const char* kDownloadModuleFile = "libquendeldownload.so";
constexpr const char* kDownloadModuleEntry = "quendelDownloadModule";

struct DownloadRequest {
  const char* url;
  long connectTimeoutMs, totalTimeoutMs, maxRedirects;
  long long maxBytes;
  const char* userAgent;
  int fd;
  bool (*progress)(void* context, long long written, long long expected);
  void* context;
};

struct DownloadOutcome {
  int curlCode;
  long httpStatus;
  long long written;
  bool tooLarge;
  int writeErrno;
};

struct DownloadModule {
  ModuleTableHeader header;
  void (*transfer)(const DownloadRequest* request, DownloadOutcome* outcome);
};

}  // namespace quendel::platform

QUENDEL_EXPORT_END
