#include "platform/shell/shell_execute.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A temporary folder with programs that write what they were started with into a file,
// and PATH pointed at its bin folder for the test.
class ShellExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/quendel-shell-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    fs::create_directories(root_ + "/bin");
    fs::create_directories(root_ + "/work");
    if (const char* p = std::getenv("PATH")) oldPath_ = p;
    setenv("PATH", (root_ + "/bin").c_str(), 1);
    writeProgram(root_ + "/bin/recorder", root_ + "/started");
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    fs::remove_all(root_);
  }
  static void writeProgram(const std::string& path, const std::string& marker) {
    std::ofstream out(path);
    out << "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > '" << marker << ".tmp'\n/bin/mv '" << marker
        << ".tmp' '" << marker << "'\n";
    out.close();
    chmod(path.c_str(), 0755);
  }
  // What the started program wrote, waiting up to 5 s for it.
  std::string started() const {
    std::string path = root_ + "/started";
    for (int i = 0; i < 500 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static std::intptr_t code(HINSTANCE h) { return reinterpret_cast<std::intptr_t>(h); }

  std::string root_, oldPath_;
};

TEST_F(ShellExecuteTest, StartsProgramsWithTheirParametersAndFolder) {
  std::string program = root_ + "/bin/recorder";
  HINSTANCE r =
      ShellExecuteA(nullptr, "open", program.c_str(), "one \"two words\"  three", (root_ + "/work").c_str(), 1);
  EXPECT_TRUE(shellExecuteSucceeded(r));
  EXPECT_EQ(started(), root_ + "/work\n[one]\n[two words]\n[three]\n");
}

TEST_F(ShellExecuteTest, ABareNameIsLookedForOnPath) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_TRUE(shellExecuteSucceeded(ShellExecuteA(nullptr, nullptr, "recorder", "", "", SW_SHOWNORMAL)));
  EXPECT_EQ(started(), std::string(cwd) + "\n");
}

TEST_F(ShellExecuteTest, DocumentsAndAddressesGoToTheOpener) {
  writeProgram(root_ + "/bin/xdg-open", root_ + "/started");
  std::string doc = root_ + "/work/readme.txt";
  std::ofstream(doc) << "text";
  struct Row {
    std::string file, expectedArg;
  } rows[] = {
      {"mailto:someone@example.org", "mailto:someone@example.org"},
      {"https://www.example.org/a?b=c", "https://www.example.org/a?b=c"},
      {doc, doc},
      {root_ + "/work", root_ + "/work"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    fs::remove(root_ + "/started");
    EXPECT_TRUE(shellExecuteSucceeded(ShellExecuteA(nullptr, "open", row.file.c_str(), "", "", SW_SHOWDEFAULT)));
    std::string out = started();
    EXPECT_NE(out.find("[" + row.expectedArg + "]\n"), std::string::npos) << out;
  }
}

TEST_F(ShellExecuteTest, FailuresAsTheShellNumbersThem) {
  std::string doc = root_ + "/work/readme.txt";
  std::ofstream(doc) << "text";
  std::string garbage = root_ + "/bin/garbage";
  std::ofstream(garbage) << "\x01\x02 not a program";
  chmod(garbage.c_str(), 0755);
  struct Row {
    const char* verb;
    std::string file;
    std::string directory;
    std::intptr_t expected;
    DWORD lastError;
  } rows[] = {
      {"open", root_ + "/missing", "", SE_ERR_FNF, 2},
      {"open", "", "", SE_ERR_FNF, 2},
      {"open", root_ + "/bin/recorder", root_ + "/no-such-folder", SE_ERR_PNF, 3},
      {"print", root_ + "/bin/recorder", "", SE_ERR_NOASSOC, 1155},
      {"open", doc, "", SE_ERR_NOASSOC, 1155},  // no xdg-open on PATH
      {"open", "mailto:x@example.org", "", SE_ERR_NOASSOC, 1155},
      {"open", garbage, "", ERROR_BAD_FORMAT_RESULT, 11},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    HINSTANCE r = ShellExecuteA(nullptr, row.verb, row.file.c_str(), "", row.directory.c_str(), SW_SHOWNORMAL);
    EXPECT_EQ(code(r), row.expected);
    EXPECT_EQ(GetLastError(), row.lastError);
  }
  EXPECT_EQ(code(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, 1)), SE_ERR_FNF);
  EXPECT_FALSE(fs::exists(root_ + "/started"));
}

}  // namespace
