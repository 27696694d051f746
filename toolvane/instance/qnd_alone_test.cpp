// qndAlone: detection in one and in several processes, on several displays and for
// other users; marking; activation by each method against a real other instance.
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "automation/activation.h"
#include "platform/window/window.h"
#include "platform/x11/xvfb_server.h"
#include "support/codepage.h"
#include "support/test_processes.h"
#include "support/testing.h"
#include "toolvane/instance/qnd_alone.h"

namespace {

using quendel::testing::builtProgram;
using quendel::testing::ChildProcess;
using quendel::testing::ScopedEnv;
using quendel::toolvane::amNormal;
using quendel::toolvane::amNormalWithMinimizeToTrayHook;
using quendel::toolvane::amViaMessage;
using quendel::toolvane::qndAlone;
using quendel::x11::XvfbServer;
namespace fs = std::filesystem;

const char* kGuid = "{5D3F1A2B-0000-4000-8000-00000000A1A1}";
const char16_t* kGuid16 = u"{5D3F1A2B-0000-4000-8000-00000000A1A1}";

// A private shared mutex folder for each test.
class MutexFolder {
 public:
  MutexFolder() {
    char pattern[] = "/tmp/quendel-alone-test-XXXXXX";
    if (::mkdtemp(pattern)) base_ = pattern;
    ::chmod(base_.c_str(), 0755);
    // Shared and sticky, as the machine-wide folder is, so other users' tests can use it.
    ::mkdir((base_ + "/ns").c_str(), 01777);
    ::chmod((base_ + "/ns").c_str(), 01777);
    env_ = std::make_unique<ScopedEnv>("QUENDEL_MUTEX_DIR", (base_ + "/ns").c_str());
  }
  ~MutexFolder() {
    env_.reset();
    std::error_code ec;
    fs::remove_all(base_, ec);
  }

 private:
  std::string base_;
  std::unique_ptr<ScopedEnv> env_;
};

TEST(qndAloneDetection, OneProcess) {
  MutexFolder folder;
  ScopedEnv noDisplay("DISPLAY", nullptr);  // detection needs no display
  auto first = std::make_shared<qndAlone>();
  EXPECT_EQ(first->AppGUID(), u"");
  EXPECT_TRUE(first->IsAlone(kGuid16));
  EXPECT_EQ(first->AppGUID(), kGuid16);
  EXPECT_TRUE(first->IsAlone(kGuid16));  // its own earlier claim does not count
  {
    qndAlone second;
    EXPECT_FALSE(second.IsAlone(kGuid16));
    EXPECT_TRUE(second.IsAloneOnDesktop(kGuid16));  // the three namespaces are apart
    EXPECT_TRUE(second.IsAloneAtUser(kGuid16));
    EXPECT_FALSE(first->IsAloneOnDesktop(kGuid16));
    EXPECT_FALSE(first->IsAloneAtUser(kGuid16));
    EXPECT_TRUE(second.IsAlone(u"{another}"));
    EXPECT_EQ(second.AppGUID(), u"{another}");
  }
  first.reset();
  qndAlone third;
  EXPECT_TRUE(third.IsAlone(kGuid16));
  EXPECT_TRUE(third.IsAlone(u"имя с пробелами / и \\ разделителями"));
  qndAlone fourth;
  EXPECT_FALSE(fourth.IsAlone(u"имя с пробелами / и \\ разделителями"));
}

TEST(qndAloneDetection, LateBoundAndWithoutDisplay) {
  MutexFolder folder;
  ScopedEnv noDisplay("DISPLAY", nullptr), noWayland("WAYLAND_DISPLAY", nullptr), noSession("XDG_SESSION_ID", nullptr);
  auto a = quendel::automation::createObject(u"TvFuncs0305.qndAlone");
  auto b = quendel::automation::createObject(u"TvFuncs0305.qndAlone");
  using quendel::automation::Variant;
  EXPECT_TRUE(a->call(u"IsAlone", {Variant(quendel::automation::String(u"late"))}).toBool());
  EXPECT_FALSE(b->call(u"IsAlone", {Variant(quendel::automation::String(u"late"))}).toBool());
  EXPECT_EQ(b->get(u"AppGUID").toString(), u"late");
  EXPECT_EQ(b->get(u"WM_ACTIVATE_PREV_INSTANCE").toLong(), 0);  // no display, no message
  EXPECT_FALSE(b->call(u"MarkPrevInstanceWindow", {Variant(LONG{0x200001}), Variant(LONG{amNormal})}).toBool());
  EXPECT_FALSE(b->call(u"ActivatePrevInstanceWindow", {}).toBool());
  EXPECT_EQ(qndAlone::desktopName(), u"");
}

TEST(qndAloneDetection, DesktopNameIsTheDisplay) {
  ScopedEnv display("DISPLAY", ":37.0");
  EXPECT_EQ(qndAlone::desktopName(), u":37");
  std::string longName(150, 'h');
  ScopedEnv longDisplay("DISPLAY", (longName + ":1").c_str());  // past the first buffer
  EXPECT_EQ(qndAlone::desktopName(), quendel::cp::fromUtf8(longName + ":1"));
}

class qndAloneWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new XvfbServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(server_->running());
    display_ = std::make_unique<ScopedEnv>("DISPLAY", server_->display().c_str());
    folder_ = std::make_unique<MutexFolder>();
  }
  void TearDown() override {
    folder_.reset();
    display_.reset();
  }

  // Starts the first instance; its window id (0 when it did not start or mark).
  static LONG startFirst(ChildProcess& p, bool* firstWasAlone) {
    std::istringstream line(p.readLine());
    int alone = -1;
    LONG window = 0;
    line >> alone >> window;
    *firstWasAlone = alone == 1;
    return window;
  }
  static std::vector<std::string> first(const char* state, LONG method, const char* handler) {
    return {builtProgram("toolvane_instance_helper"), "first", kGuid, state, std::to_string(method), handler};
  }
  static xcb_window_t focus() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    auto* r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    xcb_window_t f = r ? r->focus : 0;
    std::free(r);
    xcb_disconnect(c);
    return f;
  }

  static XvfbServer* server_;
  std::unique_ptr<ScopedEnv> display_;
  std::unique_ptr<MutexFolder> folder_;
};
XvfbServer* qndAloneWindows::server_ = nullptr;

TEST_F(qndAloneWindows, MarkingRules) {
  ChildProcess p(first("shown", amNormal, "none"));
  bool alone = false;
  LONG w = startFirst(p, &alone);
  ASSERT_NE(w, 0);
  qndAlone o;
  EXPECT_NE(o.WM_ACTIVATE_PREV_INSTANCE(), 0);
  EXPECT_FALSE(o.MarkPrevInstanceWindow(w, amNormal));  // no identifier yet
  o.IsAlone(u"{marking}");
  EXPECT_FALSE(o.MarkPrevInstanceWindow(w, 0));
  EXPECT_FALSE(o.MarkPrevInstanceWindow(w, 72));
  EXPECT_FALSE(o.MarkPrevInstanceWindow(0x3FFFFF, amNormal));
  EXPECT_FALSE(o.UnMarkPrevInstanceWindow(w));  // nothing to remove
  EXPECT_EQ(GetPropA(quendel::platform::hwndFromId(static_cast<uint32_t>(w)), "PrevInstance_{marking}_Marker"),
            nullptr);
  EXPECT_TRUE(o.MarkPrevInstanceWindow(w, amViaMessage));
  EXPECT_EQ(GetPropA(quendel::platform::hwndFromId(static_cast<uint32_t>(w)), "PrevInstance_{marking}_Marker"),
            reinterpret_cast<HANDLE>(70));
  EXPECT_FALSE(o.MarkPrevInstanceWindowEx(w, amNormal, u""));
  EXPECT_TRUE(o.UnMarkPrevInstanceWindow(w));
  EXPECT_FALSE(o.UnMarkPrevInstanceWindowEx(w, u""));
  EXPECT_FALSE(o.ActivatePrevInstanceWindowEx(u"{nobody marked this}"));
}

TEST_F(qndAloneWindows, SecondInstanceActivatesTheFirst) {
  struct Case {
    const char* state;
    LONG method;
    const char* handler;
    bool expected;
    bool focused;
  } cases[] = {
      {"shown", amNormal, "none", true, true},
      {"hidden", amNormal, "none", false, false},  // hidden: left alone
      {"hidden-minimized", amNormalWithMinimizeToTrayHook, "none", true, true},
      {"shown", amNormalWithMinimizeToTrayHook, "none", true, true},
      {"hidden", amViaMessage, "1", true, false},  // the first instance's answer decides
      {"shown", amViaMessage, "0", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.state) + " " + std::to_string(c.method) + " " + c.handler);
    ChildProcess p(first(c.state, c.method, c.handler));
    bool firstAlone = false;
    LONG w = startFirst(p, &firstAlone);
    ASSERT_NE(w, 0);
    EXPECT_TRUE(firstAlone);
    qndAlone second;
    EXPECT_FALSE(second.IsAlone(kGuid16));
    EXPECT_EQ(second.ActivatePrevInstanceWindow(), c.expected);
    if (c.focused) {
      EXPECT_TRUE(IsWindowVisible(quendel::platform::hwndFromId(static_cast<uint32_t>(w))));
      EXPECT_EQ(focus(), static_cast<xcb_window_t>(w));
    }
    if (c.method == amViaMessage) {
      EXPECT_EQ(p.readLine(), "activated");
    }
    p.stop();
    EXPECT_TRUE(second.IsAlone(kGuid16));  // the first one is gone
  }
}

TEST_F(qndAloneWindows, ViaMessageToAHungInstanceGivesUp) {
  ScopedEnv shortWait("QUENDEL_SENDMESSAGE_TIMEOUT_MS", "200");
  ChildProcess p(first("shown", amViaMessage, "silent"));
  bool firstAlone = false;
  ASSERT_NE(startFirst(p, &firstAlone), 0);
  qndAlone second;
  EXPECT_FALSE(second.IsAlone(kGuid16));
  EXPECT_FALSE(second.ActivatePrevInstanceWindow());
}

TEST_F(qndAloneWindows, KilledFirstInstanceReleasesItsClaim) {
  ChildProcess p({builtProgram("toolvane_instance_helper"), "hold", "plain", kGuid});
  ASSERT_EQ(p.readLine(), "1");
  qndAlone second;
  EXPECT_FALSE(second.IsAlone(kGuid16));
  p.stop(SIGKILL);
  EXPECT_TRUE(second.IsAlone(kGuid16));
}

TEST_F(qndAloneWindows, AnotherDisplayIsAnotherDesktop) {
  XvfbServer other;
  ASSERT_TRUE(other.running());
  ChildProcess p({builtProgram("toolvane_instance_helper"), "hold", "desktop", kGuid});
  ASSERT_EQ(p.readLine(), "1");
  qndAlone here;
  EXPECT_FALSE(here.IsAloneOnDesktop(kGuid16));
  {
    ScopedEnv there("DISPLAY", other.display().c_str());
    qndAlone elsewhere;
    EXPECT_TRUE(elsewhere.IsAloneOnDesktop(kGuid16));
  }
}

TEST_F(qndAloneWindows, OtherUsers) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as other users";
  // The machine-wide mutex of another user: not alone.
  ChildProcess nobody({builtProgram("toolvane_instance_helper"), "hold", "plain", kGuid, "65534"});
  ASSERT_EQ(nobody.readLine(), "1");
  qndAlone me;
  EXPECT_FALSE(me.IsAlone(kGuid16));
  // Per user: another user's instance does not count, one's own does.
  ChildProcess theirs({builtProgram("toolvane_instance_helper"), "hold", "user", kGuid, "65534"});
  ASSERT_EQ(theirs.readLine(), "1");
  EXPECT_TRUE(me.IsAloneAtUser(kGuid16));
  qndAlone again;
  EXPECT_FALSE(again.IsAloneAtUser(kGuid16));
}

}  // namespace
