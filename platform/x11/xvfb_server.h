// A private X server: Xvfb on a display number it picks itself (-displayfd), stopped and
// reaped when the object goes. For the tests and the screenshot tool, never the product.
//
//   XvfbServer x;                                // 1280 x 1024, 24 bits, 96 DPI
//   XvfbServer r({"+extension", "RANDR"});       // with arguments of its own
//   XvfbServer s({}, 1024, 768);
//   if (!x.running()) FAIL() << x.error();
//   ScopedEnv d("DISPLAY", x.display().c_str());
//
// The server listens on no TCP port, keeps no access control on local connections and
// has no window manager unless a test starts one. -noreset keeps it from resetting (and
// refusing connections meanwhile) whenever its last client goes. When it cannot start,
// running() is false and error() says why; the display is then empty.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::x11 {

class XvfbServer {
 public:
  explicit XvfbServer(const std::vector<std::string>& extraArguments = {}, int width = 1280, int height = 1024);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool running() const { return pid_ > 0 && !display_.empty(); }
  const std::string& display() const { return display_; }  // ":93"
  const std::string& error() const { return error_; }

 private:
  void readDisplayNumber(int fd);

  pid_t pid_ = -1;
  std::string display_;
  std::string error_;
};

}  // namespace quendel::x11

QUENDEL_EXPORT_END
