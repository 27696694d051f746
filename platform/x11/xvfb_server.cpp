#include "platform/x11/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace quendel::x11 {
namespace {

// How long a starting server may take to report its display number.
constexpr int kStartTimeoutMs = 20000;

// Every server has the same depth and resolution, so pictures and twips compare across runs.
constexpr const char* kDepth = "24";
constexpr const char* kDotsPerInch = "96";

std::vector<std::string> serverArguments(const std::vector<std::string>& extra, int width, int height, int displayFd) {
  std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + kDepth;
  std::vector<std::string> args = {
      "Xvfb",       "-displayfd", std::to_string(displayFd), "-screen", "0", screen, "-nolisten", "tcp", "-dpi",
      kDotsPerInch, "-noreset"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

// Starts the server with its output going nowhere; 0 or the errno of the failure.
int spawnQuietly(std::vector<std::string>& args, pid_t* pid) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  int rc = posix_spawnp(pid, "Xvfb", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc;
}

}  // namespace

XvfbServer::XvfbServer(const std::vector<std::string>& extraArguments, int width, int height) {
  int fds[2];
  // The write end stays open across exec for the server; the read end is ours alone.
  if (pipe(fds) != 0 || fcntl(fds[0], F_SETFD, FD_CLOEXEC) != 0) {
    error_ = "pipe: " + std::string(std::strerror(errno));
    return;
  }
  std::vector<std::string> args = serverArguments(extraArguments, width, height, fds[1]);
  int rc = spawnQuietly(args, &pid_);
  close(fds[1]);
  if (rc != 0) {
    pid_ = -1;
    close(fds[0]);
    error_ = "cannot start Xvfb: " + std::string(std::strerror(rc));
    return;
  }
  readDisplayNumber(fds[0]);
  close(fds[0]);
}

void XvfbServer::readDisplayNumber(int fd) {
  std::string number;
  pollfd p{fd, POLLIN, 0};
  while (number.find('\n') == std::string::npos) {
    if (poll(&p, 1, kStartTimeoutMs) <= 0) break;
    char buf[32];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    number.append(buf, static_cast<size_t>(n));
  }
  if (auto nl = number.find('\n'); nl != std::string::npos && nl > 0) {
    display_ = ":" + number.substr(0, nl);
  } else {
    error_ = "Xvfb did not report a display";
  }
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace quendel::x11
