#include "toolvane/controls/qnd_tab_control.h"

#include <gtest/gtest.h>

#include "support/testing.h"
#include "toolvane/frame/fake_client_objects.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;
using testing::CallLog;
using testing::FakeControl;
using testing::FakeControlArray;

struct Pages {
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::vector<std::shared_ptr<FakeControl>> frames;
  std::shared_ptr<qndTabControl> tabs = std::make_shared<qndTabControl>();
  std::vector<LONG> shown;

  explicit Pages(int n) {
    for (int i = 1; i <= n; ++i) {
      std::string name = "fra" + std::to_string(i);
      auto f = FakeControl::create(u"Frame", log, {{u"Visible", Variant(false)}}, String(name.begin(), name.end()));
      f->method(u"ZOrder", [](FakeControl&, std::vector<Variant>&) { return Variant(); });
      frames.push_back(f);
    }
    tabs->advise(std::make_shared<FunctionSink>([this](Object&, std::u16string_view name, std::vector<Variant>& args) {
      if (equalsText(name, u"TabShown")) shown.push_back(args.at(0).toLong());
    }));
  }
  void addAll(bool hide = false) {
    for (auto& f : frames) tabs->AddTab(f, hide);
  }
  std::vector<bool> visible() const {
    std::vector<bool> v;
    for (auto& f : frames) v.push_back(f->value(u"Visible").toBool());
    return v;
  }
};

TEST(TabControl, AddingNPagesShowsEachOnce) {
  Pages p(3);
  p.addAll();
  EXPECT_EQ(p.shown, (std::vector<LONG>{1, 2, 3}));
  EXPECT_EQ(p.tabs->TabsCount(), 3);
  EXPECT_EQ(p.tabs->CurrentTab(), 3);
  EXPECT_EQ(p.tabs->TabItem(2), p.frames[1]);
}

TEST(TabControl, WrapAround) {
  struct Case {
    const char* what;
    LONG start;
    bool next;
    LONG shown;
  } cases[] = {
      {"next after the last", 3, true, 1},
      {"previous before the first", 1, false, 3},
      {"next in the middle", 2, true, 3},
      {"previous in the middle", 2, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Pages p(3);
    p.addAll();
    p.tabs->PopTab(c.start);
    p.shown.clear();
    if (c.next)
      p.tabs->PopNextTab();
    else
      p.tabs->PopPrevTab();
    EXPECT_EQ(p.shown, (std::vector<LONG>{c.shown}));
    EXPECT_EQ(p.tabs->CurrentTab(), c.shown);
  }
}

TEST(TabControl, FromPositionZeroNextIsTheFirstAndPreviousTheLast) {
  for (bool next : {true, false}) {
    Pages p(3);
    // FillTabs adds all three, then its show fails: pages, and still position 0.
    p.frames[2]->fail(u"Visible", 70);
    auto array = FakeControlArray::create({{0, p.frames[0]}, {1, p.frames[1]}, {2, p.frames[2]}});
    EXPECT_EQ(errorOf([&] { p.tabs->FillTabs(array); }), 70);
    EXPECT_EQ(p.tabs->TabsCount(), 3);
    EXPECT_EQ(p.tabs->CurrentTab(), 0);
    p.frames[2]->unfail(u"Visible");
    if (next)
      p.tabs->PopNextTab();
    else
      p.tabs->PopPrevTab();
    EXPECT_EQ(p.tabs->CurrentTab(), next ? 1 : 3);
  }
  auto empty = std::make_shared<qndTabControl>();
  EXPECT_EQ(errorOf([&] { empty->PopNextTab(); }), 5);
  EXPECT_EQ(errorOf([&] { empty->PopPrevTab(); }), 5);
  EXPECT_EQ(empty->CurrentTab(), 0);
}

TEST(TabControl, HideOtherTabsAndRestacking) {
  Pages p(3);
  p.addAll();
  p.log->clear();
  p.tabs->PopTab(2, false, false);
  EXPECT_EQ(p.visible(), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(*p.log, (CallLog{"fra1.ZOrder", "fra2.ZOrder", "fra3.ZOrder", "fra1.Visible=True", "fra2.Visible=True",
                             "fra3.Visible=True", "fra2.ZOrder", "fra2.Visible=True"}));
  p.log->clear();
  p.tabs->PopTab(1, true, true);
  EXPECT_EQ(p.visible(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(*p.log, (CallLog{"fra1.Visible=False", "fra2.Visible=False", "fra3.Visible=False", "fra1.ZOrder",
                             "fra1.Visible=True"}));
  p.log->clear();
  p.tabs->ArrangeTabs(true);  // the current page again, all restacked
  EXPECT_EQ(p.tabs->CurrentTab(), 1);
  EXPECT_EQ((*p.log)[0], "fra1.ZOrder");
  EXPECT_EQ(p.visible(), (std::vector<bool>{true, false, false}));
}

TEST(TabControl, ErrorsLeaveTheStateAsItWas) {
  Pages p(2);
  p.addAll();
  p.tabs->PopTab(1);
  p.shown.clear();
  for (LONG bad : {0L, 3L, -2L}) EXPECT_EQ(errorOf([&] { p.tabs->PopTab(bad); }), 5) << bad;
  EXPECT_EQ(errorOf([&] { p.tabs->AddTab(nullptr); }), 380);
  EXPECT_EQ(p.tabs->TabsCount(), 2);
  EXPECT_EQ(errorOf([&] { p.tabs->TabItem(3); }), 9);
  EXPECT_EQ(p.tabs->CurrentTab(), 1);
  EXPECT_TRUE(p.shown.empty());

  // A page that fails stops the round: no new position, no event.
  p.frames[1]->fail(u"Visible", 438);
  EXPECT_EQ(errorOf([&] { p.tabs->PopTab(2); }), 438);
  EXPECT_EQ(p.tabs->CurrentTab(), 1);
  EXPECT_TRUE(p.shown.empty());
}

TEST(TabControl, ClearTabsKeepsThePosition) {
  Pages p(3);
  p.addAll();
  p.tabs->PopTab(2);
  p.tabs->ClearTabs();
  EXPECT_EQ(p.tabs->CurrentTab(), 2);
  EXPECT_EQ(p.tabs->TabsCount(), 0);
  EXPECT_EQ(errorOf([&] { p.tabs->ArrangeTabs(); }), 5);
  p.tabs->AddTab(p.frames[0]);
  EXPECT_EQ(p.tabs->CurrentTab(), 1);
}

TEST(TabControl, FillTabsTakesTheElementsOfAControlArray) {
  Pages p(3);
  auto array = FakeControlArray::create({{1, p.frames[0]}, {2, p.frames[1]}, {3, p.frames[2]}});
  p.tabs->FillTabs(array, true);
  EXPECT_EQ(p.tabs->TabsCount(), 3);
  EXPECT_EQ(p.shown, (std::vector<LONG>{3}));
  EXPECT_EQ(p.visible(), (std::vector<bool>{false, false, true}));

  // A gap raises the array's error; the elements before it stay, nothing is shown.
  p.shown.clear();
  auto gappy = FakeControlArray::create({{0, p.frames[0]}, {2, p.frames[2]}});
  EXPECT_EQ(errorOf([&] { p.tabs->FillTabs(gappy); }), 340);
  EXPECT_EQ(p.tabs->TabsCount(), 1);
  EXPECT_TRUE(p.shown.empty());
  EXPECT_EQ(errorOf([&] { p.tabs->FillTabs(nullptr); }), 91);
}

TEST(TabControl, AHandlerMayCallTheControlAgain) {
  Pages p(3);
  p.addAll();
  // The handler moves on from page 2 to page 3 once: re-entrant PopTab inside TabShown.
  bool redirected = false;
  p.tabs->advise(std::make_shared<FunctionSink>([&](Object& source, std::u16string_view, std::vector<Variant>& a) {
    if (a.at(0).toLong() == 2 && !redirected) {
      redirected = true;
      source.call(u"PopNextTab");
    }
  }));
  p.shown.clear();
  p.tabs->PopTab(2);
  EXPECT_EQ(p.shown, (std::vector<LONG>{2, 3}));
  EXPECT_EQ(p.tabs->CurrentTab(), 3);
}

TEST(TabControl, LateBoundMembersAndDefaults) {
  Pages p(2);
  ObjectPtr tabs = p.tabs;
  tabs->call(u"AddTab", {Variant(ObjectPtr(p.frames[0]))});
  tabs->call(u"AddTab", {Variant(ObjectPtr(p.frames[1])), Variant(true)});
  EXPECT_EQ(tabs->get(u"TabsCount").toLong(), 2);
  EXPECT_EQ(tabs->get(u"TabItem", {Variant(LONG{1})}).toObject(), p.frames[0]);
  tabs->call(u"PopTab");  // Index −1: the current page
  EXPECT_EQ(tabs->get(u"CurrentTab").toLong(), 2);
  std::vector<Variant> args{Variant(LONG{1})};
  std::vector<NamedArg> named{{u"HideOtherTabs", Variant(true)}};
  tabs->invoke(u"PopTab", InvokeKind::Method, args, named);
  EXPECT_EQ(p.visible(), (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace quendel::toolvane
