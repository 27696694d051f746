// The download module: one transfer over libcurl's multi interface, driven in 50 ms
// slices so that the caller's progress call can cancel it at any moment.
#include "platform/net/download_module.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>

namespace quendel::platform {
namespace {

constexpr int kSliceMs = 50;

struct Transfer {
  const DownloadRequest* request;
  DownloadOutcome* outcome;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  DownloadOutcome& o = *t->outcome;
  if (o.written + static_cast<long long>(bytes) > t->request->maxBytes) {
    o.tooLarge = true;
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
  size_t done = 0;
  while (done < bytes) {
    ssize_t n = write(t->request->fd, data + done, bytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      o.writeErrno = n < 0 ? errno : EIO;
      return 0;
    }
    done += static_cast<size_t>(n);
  }
  o.written += static_cast<long long>(bytes);
  return bytes;
}

struct EasyDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct MultiDeleter {
  void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

// Tells the caller how far the transfer is; false when it asks to cancel.
bool report(const Transfer& t, CURL* easy) {
  if (!t.request->progress) return true;
  curl_off_t expected = -1;
  curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
  return t.request->progress(t.request->context, t.outcome->written, expected);
}

// Runs the transfer in slices; the curl result, or CURLE_ABORTED_BY_CALLBACK on cancel.
CURLcode drive(CURLM* multi, CURL* easy, const Transfer& t) {
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
    if (running == 0) break;
    if (curl_multi_poll(multi, nullptr, 0, kSliceMs, nullptr) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
    if (!report(t, easy)) return CURLE_ABORTED_BY_CALLBACK;
  }
  int left = 0;
  while (CURLMsg* msg = curl_multi_info_read(multi, &left))
    if (msg->msg == CURLMSG_DONE) return msg->data.result;
  return CURLE_RECV_ERROR;
}

void setOptions(CURL* e, const DownloadRequest& r, Transfer* t) {
  curl_easy_setopt(e, CURLOPT_URL, r.url);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, r.maxRedirects);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, r.connectTimeoutMs);
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, r.totalTimeoutMs);
  curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(r.maxBytes));
  curl_easy_setopt(e, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_USERAGENT, r.userAgent);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, writeBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, t);
}

void transfer(const DownloadRequest* request, DownloadOutcome* outcome) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  *outcome = DownloadOutcome{CURLE_OUT_OF_MEMORY, 0, 0, false, 0};
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
  if (!easy || !multi) return;
  Transfer t{request, outcome};
  setOptions(easy.get(), *request, &t);
  if (curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) return;
  outcome->curlCode = drive(multi.get(), easy.get(), t);
  curl_multi_remove_handle(multi.get(), easy.get());
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &outcome->httpStatus);
}

const DownloadModule kTable{{kModuleTableMagic, kDownloadModuleVersion, sizeof(DownloadModule)}, transfer};

}  // namespace
}  // namespace quendel::platform

extern "C" __attribute__((visibility("default"))) const quendel::platform::ModuleTableHeader* quendelDownloadModule() {
  return &quendel::platform::kTable.header;
}
