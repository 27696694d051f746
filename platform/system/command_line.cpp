#include "platform/system/command_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "support/codepage.h"

namespace quendel::platform {

namespace {
constexpr std::size_t kReadPiece = 4096;
}  // namespace

std::u16string joinCommandLine(const std::vector<std::u16string>& args) {
  std::u16string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) line.push_back(u' ');
    const std::u16string& a = args[i];
    bool quote = a.empty() || a.find_first_of(u" \t") != std::u16string::npos;
    if (quote) line.push_back(u'"');
    line += a;
    if (quote) line.push_back(u'"');
  }
  return line;
}

// Read with the system calls themselves: a file stream's set-up (its buffer, locale and
// code conversion) costs more than the read, a measurable part of a short Pixgrow run.
std::vector<std::string> processArguments() {
  std::string all;
  const int fd = ::open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    char buffer[kReadPiece];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
      if (n > 0) all.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
  }
  std::vector<std::string> args;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    args.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return args;
}

}  // namespace quendel::platform

const char16_t* GetCommandLineW() {
  static std::once_flag once;
  static std::u16string line;
  std::call_once(once, [] {
    std::vector<std::u16string> args;
    // File names and arguments are UTF-8 on Linux.
    for (const std::string& a : quendel::platform::processArguments()) args.push_back(quendel::cp::fromUtf8(a));
    line = quendel::platform::joinCommandLine(args);
  });
  return line.c_str();
}
