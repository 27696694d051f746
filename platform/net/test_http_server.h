// Test support: a small HTTP/1.1 server on 127.0.0.1 in threads of the test program,
// stopped and joined by its destructor (open connections are closed).
//
//   TestHttpServer server;
//   server.on("/v.DAT", TestHttpServer::text("3.5.120"));
//   server.on("/loop", TestHttpServer::redirect(302, "/loop"));
//   server.on("/hang", TestHttpServer::silent());
//   std::string url = server.url("/v.DAT");
//
// Kinds: Normal sends status, headers and body with its Content-Length; Silent reads the
// request and never answers; Endless answers 200 and sends endlessBytes zero bytes, with
// a Content-Length unless chunked is set. A path without a response gets 404.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::testing {

class TestHttpServer {
 public:
  enum class Kind { Normal, Silent, Endless };
  struct Response {
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    Kind kind = Kind::Normal;
    long long endlessBytes = 0;
    bool chunked = false;
  };

  static Response text(std::string body, int status = 200) {
    Response r;
    r.status = status;
    r.body = std::move(body);
    return r;
  }
  static Response status(int status) { return text({}, status); }
  static Response redirect(int status, std::string location) {
    Response r = text({}, status);
    r.headers.emplace_back("Location", std::move(location));
    return r;
  }
  static Response silent() {
    Response r;
    r.kind = Kind::Silent;
    return r;
  }
  static Response endless(long long bytes, bool chunked) {
    Response r;
    r.kind = Kind::Endless;
    r.endlessBytes = bytes;
    r.chunked = chunked;
    return r;
  }

  TestHttpServer();
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  void on(const std::string& path, Response response);
  int port() const { return port_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string url(std::string_view path) const { return "http://" + host() + std::string(path); }
  // How many requests for path arrived.
  int requests(const std::string& path) const;
  // The bytes sent for Endless answers so far (all connections).
  long long bytesSent() const { return bytesSent_.load(); }

  // A port of 127.0.0.1 on which nothing listens (bound, then closed).
  static int refusedPort();

 private:
  void acceptLoop();
  void serve(int fd);
  bool waitReadable(int fd) const;

  int listenFd_ = -1;
  int stopPipe_[2] = {-1, -1};
  int port_ = 0;
  std::thread acceptThread_;
  mutable std::mutex mutex_;
  std::map<std::string, Response> responses_;
  std::map<std::string, int> requests_;
  std::vector<std::thread> connections_;
  std::vector<int> connectionFds_;
  std::atomic<long long> bytesSent_{0};
};

}  // namespace quendel::testing

QUENDEL_EXPORT_END
