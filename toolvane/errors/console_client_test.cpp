#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

std::string programPath() {
  std::array<char, 4096> buf{};
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  std::string self(buf.data(), n > 0 ? static_cast<size_t>(n) : 0);
  return self.substr(0, self.rfind('/') + 1) + "toolvane_console_client";
}

// Runs the console client with one step; returns its exit status and output.
int runClient(const std::string& step, std::string* output) {
  std::string command = "LC_ALL=C.UTF-8 '" + programPath() + "' " + step + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buf[512];
  while (fgets(buf, sizeof buf, pipe)) *output += buf;
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ConsoleClient, ErrorTextLoadsNoToolkit) {
  std::string out;
  EXPECT_EQ(runClient("text", &out), 0) << out;
  EXPECT_NE(out.find("Error number: 53"), std::string::npos) << out;
}

TEST(ConsoleClient, BoxesWithoutDisplayGoToStandardErrorWithoutToolkit) {
  std::string out;
  EXPECT_EQ(runClient("all", &out), 0) << out;
  EXPECT_NE(out.find("Backup\nDisk full\nButtons: [Yes] No\nNo display: answered Yes.\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Backup\nCan't write the archive.\n\nWin32 API error: 5\nDescription: Access is denied.\n"
                     "Buttons: [OK] Cancel\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("results 6 1 1"), std::string::npos) << out;
}

}  // namespace
