// qndMultiMonitor and Monitor: snapshots, overflow, the single-screen fall-back without
// a display or without RandR, and two RandR monitors.
#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "automation/activation.h"
#include "platform/x11/xvfb_server.h"
#include "support/test_processes.h"
#include "support/testing.h"
#include "toolvane/monitors/qnd_multi_monitor.h"

namespace {

using quendel::testing::builtProgram;
using quendel::testing::ChildProcess;
using quendel::testing::errorOf;
using quendel::testing::ScopedEnv;
using quendel::toolvane::mffDefaultToNearest;
using quendel::toolvane::mffDefaultToNull;
using quendel::toolvane::mffDefaultToPrimary;
using quendel::toolvane::Monitor;
using quendel::toolvane::qndMultiMonitor;
using quendel::x11::XvfbServer;

TEST(MonitorSnapshot, NormalisedNamedAndChecked) {
  MONITORINFOEXA record{};
  record.cbSize = sizeof record;
  record.rcMonitor = RECT{100, 50, -20, 10};
  record.rcWork = RECT{INT_MIN, 0, INT_MAX, 10};
  record.dwFlags = 0;
  std::memset(record.szDevice, 'x', sizeof record.szDevice);  // no terminating zero
  Monitor m;
  m.SetInfo(record);
  EXPECT_EQ(m.MonitorLeft(), -20);
  EXPECT_EQ(m.MonitorRight(), 100);
  EXPECT_EQ(m.MonitorTop(), 10);
  EXPECT_EQ(m.MonitorWidth(), 120);
  EXPECT_EQ(m.MonitorHeight(), 40);
  EXPECT_FALSE(m.Primary());
  EXPECT_EQ(m.DeviceName(), std::u16string(31, u'x'));
  EXPECT_EQ(errorOf([&] { m.WorkAreaWidth(); }), 6);
  EXPECT_EQ(m.WorkAreaHeight(), 10);
  record.dwFlags = 3;
  m.SetInfo(record);
  EXPECT_TRUE(m.Primary());
  EXPECT_EQ(m.Flags(), 3);
}

void expectFallback(const std::shared_ptr<Monitor>& m) {
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->DeviceName(), u"DISPLAY");
  EXPECT_TRUE(m->Primary());
  EXPECT_EQ(m->Flags(), 1);
  EXPECT_GT(m->MonitorWidth(), 0);
  EXPECT_GT(m->WorkAreaHeight(), 0);
}

void expectFallbackEverywhere() {
  qndMultiMonitor mm;
  auto all = mm.GetAllMonitors();
  ASSERT_EQ(all->count(), 1);
  expectFallback(std::dynamic_pointer_cast<Monitor>(all->item(quendel::automation::Variant(LONG{1})).toObject()));
  expectFallback(mm.MonitorFromPoint(-100000, -100000, mffDefaultToNull));
  expectFallback(mm.MonitorFromRect(90000, 90000, 90001, 90001, mffDefaultToNull));
  expectFallback(mm.MonitorFromNewRect(INT_MAX, 0, 5, 5, mffDefaultToNull));  // no overflow check either
  expectFallback(mm.MonitorFromWindow(0x3FFFFF, mffDefaultToNull));
}

TEST(MultiMonitorFallback, WithoutDisplay) {
  ScopedEnv none("DISPLAY", nullptr);
  expectFallbackEverywhere();
}

TEST(MultiMonitorFallback, DisplayWithoutRandR) {
  XvfbServer x({"-extension", "RANDR"});
  ASSERT_TRUE(x.running());
  ScopedEnv env("DISPLAY", x.display().c_str());
  expectFallbackEverywhere();
  auto m = qndMultiMonitor().MonitorFromPoint(0, 0, mffDefaultToNull);
  EXPECT_EQ(m->MonitorWidth(), 1280);  // the root window
  EXPECT_EQ(m->MonitorHeight(), 1024);
  EXPECT_EQ(m->WorkAreaWidth(), 1280);
}

class TwoRandRMonitors : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.running());
    display_ = std::make_unique<ScopedEnv>("DISPLAY", server_.display().c_str());
    ChildProcess set(
        {builtProgram("platform_window_helper"), "set-monitors", "LEFT:0,0,640,1024:primary", "RIGHT:640,0,640,1024"});
    ASSERT_EQ(set.readLine(), "ok");
  }
  void TearDown() override { display_.reset(); }

  XvfbServer server_{{"+extension", "RANDR"}};
  std::unique_ptr<ScopedEnv> display_;
};

TEST_F(TwoRandRMonitors, QueriesLateBound) {
  auto mm = quendel::automation::createObject(u"TvFuncs0305.qndMultiMonitor");
  using quendel::automation::Variant;
  auto all = mm->call(u"GetAllMonitors", {}).toObject();
  ASSERT_EQ(all->get(u"Count").toLong(), 2);
  auto left = all->call(u"Item", {Variant(LONG{1})}).toObject();
  EXPECT_EQ(left->get(u"DeviceName").toString(), u"LEFT");
  EXPECT_TRUE(left->get(u"Primary").toBool());
  EXPECT_EQ(left->get(u"MonitorWidth").toLong(), 640);
  auto name = [&](std::vector<Variant> args, const char16_t* member) -> std::u16string {
    auto m = mm->call(member, std::move(args));
    return m.isNothing() ? u"(nothing)" : m.toObject()->get(u"DeviceName").toString();
  };
  auto L = [](LONG v) { return Variant(v); };
  EXPECT_EQ(name({L(10), L(10), L(mffDefaultToNull)}, u"MonitorFromPoint"), u"LEFT");
  EXPECT_EQ(name({L(700), L(10), L(mffDefaultToNull)}, u"MonitorFromPoint"), u"RIGHT");
  EXPECT_EQ(name({L(5000), L(10), L(mffDefaultToNull)}, u"MonitorFromPoint"), u"(nothing)");
  EXPECT_EQ(name({L(5000), L(10), L(mffDefaultToPrimary)}, u"MonitorFromPoint"), u"LEFT");
  EXPECT_EQ(name({L(5000), L(10), L(mffDefaultToNearest)}, u"MonitorFromPoint"), u"RIGHT");
  for (LONG left : {-200, 500, 620, 3000}) {
    EXPECT_EQ(name({L(left), L(5), L(200), L(100), L(mffDefaultToNearest)}, u"MonitorFromNewRect"),
              name({L(left), L(5), L(left + 200), L(105), L(mffDefaultToNearest)}, u"MonitorFromRect"));
  }
  EXPECT_EQ(errorOf([&] {
              mm->call(u"MonitorFromNewRect", {L(INT_MAX - 5), L(0), L(10), L(10), L(mffDefaultToNull)});
            }),
            6);
  ChildProcess window({builtProgram("platform_window_helper"), "window", "shown", "none"});
  LONG hwnd = std::stol(window.readLine());
  EXPECT_EQ(name({L(hwnd), L(mffDefaultToNull)}, u"MonitorFromWindow"), u"LEFT");
  EXPECT_EQ(name({L(0x3FFFFF), L(mffDefaultToNull)}, u"MonitorFromWindow"), u"(nothing)");
}

TEST_F(TwoRandRMonitors, SnapshotKeepsItsValues) {
  qndMultiMonitor mm;
  auto right = mm.MonitorFromPoint(700, 10, mffDefaultToNull);
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(right->WorkAreaTop(), 0);
  // A window manager arrives and reserves a panel at the top.
  ChildProcess wm({builtProgram("platform_window_helper"), "fake-wm", "0", "30", "1280", "994"});
  ASSERT_EQ(wm.readLine(), "ready");
  EXPECT_EQ(mm.MonitorFromPoint(700, 10, mffDefaultToNull)->WorkAreaTop(), 30);
  EXPECT_EQ(right->WorkAreaTop(), 0);
  EXPECT_EQ(right->WorkAreaHeight(), 1024);
}

}  // namespace
