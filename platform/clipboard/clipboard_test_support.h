// Test helpers: a private session for the clipboard (own XDG_RUNTIME_DIR, no desktop),
// removed with everything in it at the end.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard/clipboard.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::clipboard::testing {

class SavedEnv {
 public:
  explicit SavedEnv(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) value_ = v;
  }
  ~SavedEnv() {
    if (value_)
      ::setenv(name_, value_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> value_;
};

class PrivateSession : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/quendel-clip-test-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    runtime_ = tmpl;
    ::chmod(tmpl, 0700);
    ::setenv("XDG_RUNTIME_DIR", tmpl, 1);
    ::unsetenv("QUENDEL_CLIPBOARD_DIR");
    ::unsetenv("DISPLAY");
  }
  void TearDown() override {
    while (CloseClipboard()) {
    }
    std::error_code ec;
    std::filesystem::remove_all(runtime_, ec);
  }
  std::string storeFolder() const { return runtime_ + "/quendel-clipboard"; }

  static HGLOBAL block(const std::string& bytes, UINT flags = GMEM_MOVEABLE) {
    HGLOBAL h = GlobalAlloc(flags, bytes.size());
    if (h && !bytes.empty()) std::memcpy(GlobalLock(h), bytes.data(), bytes.size()), GlobalUnlock(h);
    return h;
  }
  static bool put(UINT format, const std::string& bytes) {
    HGLOBAL h = block(bytes);
    if (SetClipboardData(format, h)) return true;
    GlobalFree(h);
    return false;
  }
  // The bytes of a format; the clipboard must be open.
  static std::optional<std::string> get(UINT format) {
    HANDLE h = GetClipboardData(format);
    if (!h) return std::nullopt;
    auto* p = static_cast<const char*>(GlobalLock(static_cast<HGLOBAL>(h)));
    std::string s(p, GlobalSize(static_cast<HGLOBAL>(h)));
    GlobalUnlock(static_cast<HGLOBAL>(h));
    return s;
  }
  // Runs fn in a child process and returns its exit status (fn's result).
  template <class Fn>
  static int inChild(Fn fn) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(fn());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
  }

 private:
  SavedEnv xdg_{"XDG_RUNTIME_DIR"}, dir_{"QUENDEL_CLIPBOARD_DIR"}, display_{"DISPLAY"};
  std::string runtime_;
};

}  // namespace quendel::clipboard::testing

QUENDEL_EXPORT_END
