// Loading libxcb at first use: what a process maps before and after a window call, a
// library that cannot be loaded, and that the platform's xcb entries stay inside it.
#include "platform/x11/xcb_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/codecs/test_pictures.h"
#include "platform/x11/x11_session.h"
#include "platform/x11/xvfb_server.h"
#include "support/test_processes.h"
#include "support/testing.h"

namespace {

using quendel::testing::builtProgram;
using quendel::testing::ScopedEnv;
using quendel::testpics::TempDir;
using quendel::x11::XvfbServer;

// What one run of platform_x11_helper printed.
using HelperRun = quendel::testing::HelperReport;

HelperRun runHelper(const std::string& mode) {
  return quendel::testing::runHelperProgram({builtProgram("platform_x11_helper"), mode});
}

// The platform's own libraries, which must not link libxcb.
bool ourLibrary(const std::string& file) {
  return file.rfind("libquendel", 0) == 0 || file.rfind("libtoolvane", 0) == 0;
}

// libxcb may be mapped only by another library that links it (cairo, for the metafile
// drawing, while that is loaded with the platform), never by ours.
void expectNoXcbOfOurOwn(const HelperRun& run) {
  std::string neededBy = run["xcb needed by"];
  for (std::size_t start = 0; start < neededBy.size();) {
    std::size_t end = neededBy.find(' ', start);
    if (end == std::string::npos) end = neededBy.size();
    EXPECT_FALSE(ourLibrary(neededBy.substr(start, end - start))) << neededBy;
    start = end + 1;
  }
  EXPECT_EQ(run["xcb mapped"], neededBy.empty() ? "no" : "yes") << neededBy;
}

class XcbLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.running()) << server_.error();
    registryDir_ = std::make_unique<TempDir>();
  }
  void TearDown() override { registryDir_.reset(); }

  XvfbServer server_{{"+extension", "RANDR"}};
  ScopedEnv debug_{"QUENDEL_DEBUG", "1"};
  std::unique_ptr<TempDir> registryDir_;
  ScopedEnv display_{"DISPLAY", server_.display().c_str()};
};

TEST_F(XcbLoading, ConsoleCallsLeaveTheXLibrariesAlone) {
  ScopedEnv registry("QUENDEL_REGISTRY_DIR", registryDir_->path().c_str());
  HelperRun run = runHelper("console");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run["registry"], "yes");
  EXPECT_EQ(run["gdi"], "yes");
  EXPECT_EQ(run["randr mapped"], "no");
  expectNoXcbOfOurOwn(run);
  EXPECT_EQ(run.linesContaining("x11:", ""), 0);
}

TEST_F(XcbLoading, AWindowCallLoadsThemOnce) {
  HelperRun run = runHelper("display");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run["session"], "yes");
  EXPECT_EQ(run["generation"], "1");
  EXPECT_EQ(run["display opens"], "yes");
  EXPECT_EQ(run["bell"], "yes");
  EXPECT_EQ(run["desktop window"], "yes");
  EXPECT_EQ(run["monitors"], "yes");
  EXPECT_EQ(run["xcb mapped"], "yes");
  EXPECT_EQ(run["randr mapped"], "yes");
  EXPECT_EQ(run.linesContaining("x11:", ""), 0);
}

// A missing file, or one that is no library: the display reads as unreachable, and the
// reason is told once.
TEST_F(XcbLoading, WithoutLibxcbThereIsNoDisplay) {
  TempDir dir;
  quendel::testpics::writeFile(dir.file("libxcb.so.1"), {'n', 'o', 't', ' ', 'E', 'L', 'F', '\n'});
  struct Case {
    std::string file, reason;
  };
  for (const Case& c : {Case{dir.file("missing/libxcb.so.1"), "No such file"}, Case{dir.file("libxcb.so.1"), ""}}) {
    SCOPED_TRACE(c.file);
    ScopedEnv library("QUENDEL_XCB_LIBRARY", c.file.c_str());
    HelperRun run = runHelper("display");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run["session"], "no");
    EXPECT_EQ(run["generation"], "0");
    EXPECT_EQ(run["display opens"], "no");
    EXPECT_EQ(run["bell"], "no");
    EXPECT_EQ(run["desktop window"], "no");
    EXPECT_EQ(run["monitors"], "no");
    expectNoXcbOfOurOwn(run);
    EXPECT_EQ(run["randr mapped"], "no");
    EXPECT_EQ(run.linesContaining("x11: " + c.file + " cannot be loaded (", c.reason), 1);
    EXPECT_EQ(run.linesContaining("x11: ", "; no display"), 1);
  }
}

TEST_F(XcbLoading, WithoutLibxcbRandrThereAreNoMonitors) {
  TempDir dir;
  std::string file = dir.file("libxcb-randr.so.0");
  ScopedEnv library("QUENDEL_XCB_RANDR_LIBRARY", file.c_str());
  HelperRun run = runHelper("display");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run["session"], "yes");
  EXPECT_EQ(run["desktop window"], "yes");
  EXPECT_EQ(run["monitors"], "no");
  EXPECT_EQ(run["xcb mapped"], "yes");
  EXPECT_EQ(run["randr mapped"], "no");
  EXPECT_EQ(run.linesContaining("x11: " + file + " cannot be loaded (", "No such file"), 1);
  EXPECT_EQ(run.linesContaining("x11: ", "; no RandR monitors"), 1);
}

// This program links libxcb itself: its calls reach libxcb, and the platform library
// exports no xcb function or data of its own.
TEST(XcbEntries, StayInsideThePlatformLibrary) {
  Dl_info info{};
  void* connect = dlsym(RTLD_DEFAULT, "xcb_connect");
  ASSERT_NE(connect, nullptr);
  ASSERT_NE(dladdr(connect, &info), 0);
  EXPECT_NE(std::string(info.dli_fname).find("libxcb.so"), std::string::npos) << info.dli_fname;

  ASSERT_NE(dladdr(reinterpret_cast<void*>(&quendel::platform::x11::session), &info), 0);
  const std::string platformFile = info.dli_fname;
  void* platform = dlopen(platformFile.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(platform, nullptr) << platformFile;
  for (const char* name : {"xcb_connect", "xcb_get_property", "xcb_randr_get_monitors", "xcb_randr_id"}) {
    // The search covers the libraries the platform links too; whatever it finds is theirs.
    void* found = dlsym(platform, name);
    if (found && dladdr(found, &info) != 0) {
      EXPECT_NE(platformFile, info.dli_fname) << name;
    }
  }
  dlclose(platform);
}

}  // namespace
