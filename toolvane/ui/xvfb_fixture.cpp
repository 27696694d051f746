#include "toolvane/ui/xvfb_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

namespace quendel::toolvane::ui {

XvfbServer::XvfbServer(int width, int height) {
  int fds[2];
  // The write end stays open across exec for the server; the read end is ours alone.
  if (pipe(fds) != 0 || fcntl(fds[0], F_SETFD, FD_CLOEXEC) != 0) {
    error_ = "pipe: " + std::string(std::strerror(errno));
    return;
  }
  // -displayfd makes the server choose a free display number and write it to the pipe;
  // -noreset keeps it from resetting (and refusing connections meanwhile) whenever its
  // last client goes, as happens between the short connections of a display check.
  std::string fd = std::to_string(fds[1]);
  std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  std::vector<std::string> args = {"Xvfb",      "-displayfd", fd,     "-screen", "0",       screen,
                                   "-nolisten", "tcp",        "-dpi", "96",      "-noreset"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  int rc = posix_spawnp(&pid_, "Xvfb", &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(fds[1]);
  if (rc != 0) {
    pid_ = -1;
    close(fds[0]);
    error_ = "cannot start Xvfb: " + std::string(std::strerror(rc));
    return;
  }
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  while (number.find('\n') == std::string::npos) {
    if (poll(&p, 1, 20000) <= 0) break;
    char buf[32];
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    number.append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
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

}  // namespace quendel::toolvane::ui
