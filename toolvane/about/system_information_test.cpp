#include "toolvane/about/system_information.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/registry/registry_key.h"
#include "platform/registry/registry_test_support.h"
#include "toolvane/frame/system_information_program.h"

namespace fs = std::filesystem;
namespace tv = quendel::toolvane;

namespace {

// A private registry and folder, no display (the warning box goes to standard error,
// as every console client sees it).
class SystemInformationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.emplace("registry");
    root_ = registry_->root();
    fs::create_directories(root_ + "/bin");
    if (const char* d = std::getenv("DISPLAY")) display_ = d;
    unsetenv("DISPLAY");
    setenv("LC_ALL", "C.UTF-8", 1);
  }
  void TearDown() override {
    if (display_) setenv("DISPLAY", display_->c_str(), 1);
    unsetenv("LC_ALL");
    registry_.reset();
  }
  // An executable that writes "started" into marker (default: root/started).
  std::string program(const std::string& path, const std::string& marker = {}) const {
    std::string m = marker.empty() ? root_ + "/started" : marker;
    std::ofstream out(path);
    out << "#!/bin/sh\necho started > '" << m << "'\n";
    out.close();
    chmod(path.c_str(), 0755);
    return path;
  }
  bool started() const {
    for (int i = 0; i < 500; ++i) {
      if (fs::exists(root_ + "/started")) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  static void writeMachineValue(const char* key, const char* name, const std::string& value) {
    quendel::registry::RegKey k;
    ASSERT_EQ(k.create(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE), ERROR_SUCCESS);
    ASSERT_EQ(k.writeString(name, value), ERROR_SUCCESS);
  }
  static std::optional<std::string> machineValue(const char* key, const char* name) {
    quendel::registry::RegKey k;
    if (k.open(HKEY_LOCAL_MACHINE, key, KEY_QUERY_VALUE) != ERROR_SUCCESS) return std::nullopt;
    std::string v;
    if (k.readString(name, &v) != ERROR_SUCCESS) return std::nullopt;
    return v;
  }
  // The text of the box ShowSystemInformation showed, taken from standard error ("" when none showed).
  static std::string showAndCaptureBox() {
    ::testing::internal::CaptureStderr();
    tv::ShowSystemInformation();
    return ::testing::internal::GetCapturedStderr();
  }

  std::optional<quendel::registry::testing::PrivateRegistry> registry_;
  std::string root_;
  std::optional<std::string> display_;
};

const std::string kWarning =
    "toolvane_about_tests\nИнформация о системе почему-то не доступна...\nButtons: [OK]\nNo display: answered OK.\n";

TEST_F(SystemInformationTest, TheRegisteredProgramIsStarted) {
  writeMachineValue(tv::kMsInfoKey, tv::kMsInfoValue, program(root_ + "/bin/sysinfo"));
  EXPECT_EQ(showAndCaptureBox(), "");
  EXPECT_TRUE(started());
}

TEST_F(SystemInformationTest, TheSharedToolsFolderIsTheSecondPlace) {
  fs::create_directories(root_ + "/tools");
  program(root_ + "/tools/MSINFO32.EXE");
  writeMachineValue(tv::kMsInfoLocationKey, tv::kMsInfoLocationValue, root_ + "/tools");
  EXPECT_EQ(showAndCaptureBox(), "");
  EXPECT_TRUE(started());
}

TEST_F(SystemInformationTest, WithoutAProgramTheWarningBoxShows) {
  struct Row {
    const char* what;
    std::optional<std::string> path, location;
  } rows[] = {
      {"no value at all", std::nullopt, std::nullopt},
      {"an empty path", std::string(), std::nullopt},
      {"a path to nothing", root_ + "/bin/missing", std::nullopt},
      {"a folder without the program", std::nullopt, root_ + "/bin"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    quendel::registry::testing::PrivateRegistry fresh;  // each row starts empty
    if (row.path) writeMachineValue(tv::kMsInfoKey, tv::kMsInfoValue, *row.path);
    if (row.location) writeMachineValue(tv::kMsInfoLocationKey, tv::kMsInfoLocationValue, *row.location);
    EXPECT_EQ(showAndCaptureBox(), kWarning);
  }
  EXPECT_FALSE(fs::exists(root_ + "/started"));
}

TEST_F(SystemInformationTest, FindingTheDesktopsProgram) {
  std::string a = root_ + "/a", b = root_ + "/b";
  fs::create_directories(a);
  fs::create_directories(b);
  program(b + "/hardinfo");
  program(a + "/xfce4-taskmanager");
  std::ofstream(a + "/gnome-system-monitor") << "not executable";
  struct Row {
    std::string pathList, expected;
  } rows[] = {
      {a + ":" + b, a + "/xfce4-taskmanager"},  // the list of programs decides, then the folders
      {b + ":" + a, a + "/xfce4-taskmanager"},
      {b, b + "/hardinfo"},
      {"relative:" + b, b + "/hardinfo"},
      {"", ""},
      {root_ + "/nowhere", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pathList);
    EXPECT_EQ(tv::findSystemInformationProgram(row.pathList), row.expected);
  }
}

TEST_F(SystemInformationTest, RegistrationWritesThePathOnlyWhenAProgramIsFound) {
  std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (root_ + "/bin").c_str(), 1);
  EXPECT_EQ(tv::registerSystemInformationProgram(), S_OK);
  EXPECT_EQ(machineValue(tv::kMsInfoKey, tv::kMsInfoValue), std::nullopt);

  program(root_ + "/bin/plasma-systemmonitor");
  EXPECT_EQ(tv::registerSystemInformationProgram(), S_OK);
  EXPECT_EQ(machineValue(tv::kMsInfoKey, tv::kMsInfoValue), root_ + "/bin/plasma-systemmonitor");
  setenv("PATH", oldPath.c_str(), 1);

  // And the About box's button then starts it.
  program(root_ + "/bin/plasma-systemmonitor");
  EXPECT_EQ(showAndCaptureBox(), "");
  EXPECT_TRUE(started());
}

}  // namespace
