// Test support: helper processes that a test talks to line by line, ended and reaped by
// their destructors, and the programs built beside the test program.
//
//   ChildProcess p({builtProgram("platform_window_helper"), "window", "shown", "7"});
//   std::string id = p.readLine();               // what the child printed
//   HelperReport r = runHelperProgram({builtProgram("platform_registry_helper"), "read"});
//   EXPECT_EQ(r["result"], "0");                 // its "result: 0" line
//
// The private X server for such tests is platform/x11/xvfb_server.h.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::testing {

// A child program with a pipe to its standard input and one from its standard output.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return;
    if (::pipe2(out, O_CLOEXEC) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      std::vector<char*> args;
      args.reserve(argv.size() + 1);
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execvp(args[0], args.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
  }
  ~ChildProcess() { stop(SIGKILL); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // One line of the child's output without its line break; empty after 10 s or at the end.
  std::string readLine(int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      auto nl = buffer_.find('\n');
      if (nl != std::string::npos) {
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || fromChild_ < 0) return {};
      pollfd p{fromChild_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[256];
      ssize_t n = ::read(fromChild_, chunk, sizeof chunk);
      if (n <= 0) return {};
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  void writeLine(const std::string& line) {
    std::string text = line + "\n";
    if (toChild_ >= 0 && ::write(toChild_, text.data(), text.size()) < 0) return;
  }
  // Ends the child (closing its input first) and reaps it; its exit status or -1.
  int stop(int signal = SIGTERM) {
    if (toChild_ >= 0) ::close(toChild_);
    toChild_ = -1;
    int status = -1;
    if (pid_ > 0) {
      ::kill(pid_, signal);
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
    }
    if (fromChild_ >= 0) ::close(fromChild_);
    fromChild_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int toChild_ = -1, fromChild_ = -1;
  std::string buffer_;
};

// A program built beside the test program.
inline std::string builtProgram(const std::string& name) {
  const char* dir = std::getenv("QUENDEL_BUILD_DIR");
  if (dir && *dir) return std::string(dir) + "/bin/" + name;
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return name;
  std::string path(self, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + name;
}

// What a helper program printed up to its line "end": its "name: value" lines by name,
// and every line. `ended` is false when the program stopped or timed out before "end".
struct HelperReport {
  std::map<std::string, std::string> values;
  std::vector<std::string> lines;
  bool ended = false;

  // The value of `name`, or "(missing)".
  std::string operator[](const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? "(missing)" : it->second;
  }
  // How many lines contain both a and b.
  int linesContaining(const std::string& a, const std::string& b) const {
    int n = 0;
    for (const auto& line : lines) n += line.find(a) != std::string::npos && line.find(b) != std::string::npos;
    return n;
  }
};

// Runs argv and reads its report, waiting at most lineTimeoutMs for each line.
inline HelperReport runHelperProgram(const std::vector<std::string>& argv, int lineTimeoutMs = 30000) {
  ChildProcess child(argv);
  HelperReport report;
  for (std::string line = child.readLine(lineTimeoutMs); !line.empty(); line = child.readLine(lineTimeoutMs)) {
    if (line == "end") {
      report.ended = true;
      break;
    }
    report.lines.push_back(line);
    if (auto colon = line.find(": "); colon != std::string::npos)
      report.values[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return report;
}

}  // namespace quendel::testing

QUENDEL_EXPORT_END
