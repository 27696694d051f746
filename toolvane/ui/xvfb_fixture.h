// A private X server for tests and the screenshot tool: Xvfb on a display number it picks
// itself, stopped and reaped when the object goes.
//
//   XvfbServer x(1024, 768);
//   if (!x.running()) FAIL() << x.error();
//   setenv("DISPLAY", x.display().c_str(), 1);
#pragma once

#include <sys/types.h>

#include <string>

namespace quendel::toolvane::ui {

class XvfbServer {
 public:
  XvfbServer(int width = 1024, int height = 768);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool running() const { return pid_ > 0 && !display_.empty(); }
  const std::string& display() const { return display_; }  // ":93"
  const std::string& error() const { return error_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string error_;
};

}  // namespace quendel::toolvane::ui
