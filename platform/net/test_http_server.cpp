#include "platform/net/test_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace quendel::testing {
namespace {

constexpr size_t kMaxRequestBytes = 64 * 1024;
constexpr size_t kEndlessChunk = 64 * 1024;

sockaddr_in loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

bool sendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

const char* reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

}  // namespace

TestHttpServer::TestHttpServer() {
  if (::pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = loopback(0);
  if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(listenFd_, 16) != 0)
    throw std::runtime_error("listen");
  socklen_t len = sizeof a;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len);
  port_ = ntohs(a.sin_port);
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

TestHttpServer::~TestHttpServer() {
  char stop = 1;
  (void)!::write(stopPipe_[1], &stop, 1);
  acceptThread_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int fd : connectionFds_) ::shutdown(fd, SHUT_RDWR);
    threads.swap(connections_);
  }
  for (auto& t : threads) t.join();
  ::close(listenFd_);
  ::close(stopPipe_[0]);
  ::close(stopPipe_[1]);
}

void TestHttpServer::on(const std::string& path, Response response) {
  std::lock_guard<std::mutex> lock(mutex_);
  responses_[path] = std::move(response);
}

int TestHttpServer::requests(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = requests_.find(path);
  return it == requests_.end() ? 0 : it->second;
}

int TestHttpServer::refusedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = loopback(0);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);  // bound but never listening: connections are refused
  return ntohs(a.sin_port);
}

// Waits until fd can be read or the server stops; false when it stops.
bool TestHttpServer::waitReadable(int fd) const {
  pollfd fds[2] = {{fd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
  while (::poll(fds, 2, -1) < 0)
    if (errno != EINTR) return false;
  return (fds[1].revents & POLLIN) == 0;
}

void TestHttpServer::acceptLoop() {
  while (waitReadable(listenFd_)) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    connectionFds_.push_back(fd);
    connections_.emplace_back([this, fd] { serve(fd); });
  }
}

void TestHttpServer::serve(int fd) {
  // One request per connection (Connection: close).
  std::string request;
  char buf[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes) {
    if (!waitReadable(fd)) break;
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    request.append(buf, static_cast<size_t>(n));
  }
  std::string path;
  if (size_t sp = request.find(' '); sp != std::string::npos) {
    size_t end = request.find(' ', sp + 1);
    path = request.substr(sp + 1, end == std::string::npos ? std::string::npos : end - sp - 1);
  }
  Response r;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++requests_[path];
    auto it = responses_.find(path);
    if (it != responses_.end())
      r = it->second;
    else
      r = text("not here\n", 404);
  }
  if (r.kind == Kind::Silent) {
    while (waitReadable(fd) && ::recv(fd, buf, sizeof buf, 0) > 0) {
    }
  } else {
    std::string head = "HTTP/1.1 " + std::to_string(r.status) + " " + reason(r.status) + "\r\nConnection: close\r\n";
    for (auto& [name, value] : r.headers) head += name + ": " + value + "\r\n";
    if (r.kind == Kind::Endless) {
      head += r.chunked ? "Transfer-Encoding: chunked\r\n\r\n"
                        : "Content-Length: " + std::to_string(r.endlessBytes) + "\r\n\r\n";
      if (sendAll(fd, head)) {
        std::string zeros(kEndlessChunk, '0');
        long long left = r.endlessBytes;
        while (left > 0) {
          size_t n = static_cast<size_t>(std::min<long long>(left, static_cast<long long>(zeros.size())));
          std::string piece = zeros.substr(0, n);
          if (r.chunked) {
            char size[32];
            std::snprintf(size, sizeof size, "%zx\r\n", n);
            piece = size + piece + "\r\n";
          }
          if (!sendAll(fd, piece)) break;
          bytesSent_ += static_cast<long long>(n);
          left -= static_cast<long long>(n);
        }
        if (left == 0 && r.chunked) (void)sendAll(fd, "0\r\n\r\n");
      }
    } else {
      head += "Content-Length: " + std::to_string(r.body.size()) + "\r\n\r\n";
      (void)sendAll(fd, head + r.body);
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  connectionFds_.erase(std::remove(connectionFds_.begin(), connectionFds_.end(), fd), connectionFds_.end());
  ::close(fd);
}

}  // namespace quendel::testing
