#include <gtest/gtest.h>

#include "support/testing.h"
#include "toolvane/controls/qnd_text_box_def_button_watcher.h"
#include "toolvane/controls/text_box_insert_hook.h"
#include "toolvane/frame/fake_client_objects.h"
#include "toolvane/general/qnd_main.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;
using testing::CallLog;
using testing::FakeControl;

std::shared_ptr<FakeControl> textBox(bool locked, std::shared_ptr<CallLog> log = nullptr, String name = u"txt") {
  return FakeControl::create(u"TextBox", std::move(log), {{u"Locked", Variant(locked)}}, std::move(name));
}

// Raises KeyDown(KeyCode, Shift) as a text box does and returns what the handlers left.
std::pair<LONG, LONG> keyDown(Object& box, Variant code, Variant shift) {
  std::vector<Variant> args{std::move(code), std::move(shift)};
  box.raiseEvent(u"KeyDown", args);
  return {args[0].toLong(), args[1].toLong()};
}

TEST(InsertHook, SwallowsShiftInsertOnlyInALockedTextBox) {
  struct Case {
    const char* what;
    bool locked;
    LONG code, shift;
    bool swallowed;
  } cases[] = {
      {"Shift+Insert, locked", true, 45, 1, true},       {"Shift+Insert, unlocked", false, 45, 1, false},
      {"Ctrl+Shift+Insert, locked", true, 45, 3, false}, {"Alt+Shift+Insert, locked", true, 45, 5, false},
      {"Insert alone, locked", true, 45, 0, false},      {"Ctrl+Insert, locked", true, 45, 2, false},
      {"Shift+A, locked", true, 65, 1, false},           {"Shift+Delete, locked", true, 46, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qndMain m;
    auto box = textBox(c.locked);
    ASSERT_TRUE(m.AddTextBoxInsertHook(box));
    auto [code, shift] = keyDown(*box, Variant(Integer{static_cast<std::int16_t>(c.code)}),
                                 Variant(Integer{static_cast<std::int16_t>(c.shift)}));
    EXPECT_EQ(code, c.swallowed ? 0 : c.code);
    EXPECT_EQ(shift, c.swallowed ? 0 : c.shift);
  }
}

TEST(InsertHook, ReadsLockedAtTheMomentOfTheKey) {
  qndMain m;
  auto box = textBox(false);
  m.AddTextBoxInsertHook(box);
  EXPECT_EQ(keyDown(*box, Variant(LONG{45}), Variant(LONG{1})).first, 45);
  box->setValue(u"Locked", Variant(true));
  std::vector<Variant> args{Variant(LONG{45}), Variant(LONG{1})};
  box->raiseEvent(u"KeyDown", args);
  EXPECT_EQ(args[0].type(), vbLong);  // the caller's subtype is kept
  EXPECT_EQ(args[0].toLong(), 0);
  // A box whose Locked cannot be read and keys that are no numbers pass unchanged.
  auto odd = FakeControl::create(u"TextBox", nullptr);
  m.AddTextBoxInsertHook(odd);
  EXPECT_EQ(keyDown(*odd, Variant(LONG{45}), Variant(LONG{1})).first, 45);
  std::vector<Variant> text{Variant(u"x"), Variant(LONG{1})};
  box->raiseEvent(u"KeyDown", text);
  EXPECT_EQ(text[0].toString(), u"x");
}

TEST(InsertHook, AddRemoveAndClear) {
  qndMain m;
  auto a = textBox(true);
  auto b = textBox(true);
  EXPECT_TRUE(m.AddTextBoxInsertHook(a));
  EXPECT_FALSE(m.AddTextBoxInsertHook(a));
  EXPECT_TRUE(m.AddTextBoxInsertHook(b));
  EXPECT_TRUE(m.RemoveTextBoxInsertHook(a));
  EXPECT_FALSE(m.RemoveTextBoxInsertHook(a));
  EXPECT_FALSE(a->hasSinks());  // the removed guard let go of its text box
  EXPECT_EQ(keyDown(*a, Variant(LONG{45}), Variant(LONG{1})).first, 45);
  EXPECT_TRUE(m.RemoveTextBoxInsertHook(b));
  EXPECT_TRUE(m.AddTextBoxInsertHook(b));  // a new collection after the last was removed
  m.ClearTextBoxInsertHooks();
  EXPECT_FALSE(b->hasSinks());
  EXPECT_TRUE(m.AddTextBoxInsertHook(b));
}

TEST(InsertHook, GuardsBelongToTheirQndMainObject) {
  auto box = textBox(true);
  {
    qndMain first;
    qndMain second;
    EXPECT_TRUE(first.AddTextBoxInsertHook(box));
    EXPECT_TRUE(second.AddTextBoxInsertHook(box));
    EXPECT_FALSE(second.RemoveTextBoxInsertHook(textBox(true)));
  }
  EXPECT_FALSE(box->hasSinks());  // both objects ended and released their guards
}

TEST(InsertHook, RefusesNothingAndOtherControls) {
  qndMain m;
  auto log = std::make_shared<CallLog>();
  EXPECT_EQ(errorOf([&] { m.AddTextBoxInsertHook(nullptr); }), 5);
  EXPECT_EQ(errorOf([&] { m.RemoveTextBoxInsertHook(nullptr); }), 5);
  EXPECT_EQ(errorOf([&] { m.AddTextBoxInsertHook(FakeControl::create(u"ComboBox", log)); }), 13);
  EXPECT_EQ(errorOf([&] { m.RemoveTextBoxInsertHook(FakeControl::create(u"Label", log)); }), 13);
  // The same through late binding.
  auto main = std::make_shared<qndMain>();
  EXPECT_EQ(errorOf([&] { main->call(u"AddTextBoxInsertHook", {Variant::nothing()}); }), 5);
  EXPECT_TRUE(main->call(u"AddTextBoxInsertHook", {Variant(ObjectPtr(textBox(true)))}).toBool());
}

TEST(InsertHook, CurrentHookByName) {
  auto hook = std::make_shared<CTextBoxInsertHook>();
  auto box = textBox(true);
  hook->set(u"CurrentHook", box);
  EXPECT_EQ(hook->get(u"TextBoxObject").toObject(), box);
  EXPECT_TRUE(box->hasSinks());
  hook->let(u"CurrentHook", Variant::nothing());
  EXPECT_FALSE(box->hasSinks());
  EXPECT_TRUE(hook->get(u"CurrentHook").isNothing());
}

// ---- Default-button watcher ----

struct WatchedForm {
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::shared_ptr<FakeControl> global = FakeControl::create(u"CommandButton", log, {}, u"cmdOK");
  std::shared_ptr<FakeControl> local = FakeControl::create(u"CommandButton", log, {}, u"cmdFind");
  std::shared_ptr<FakeControl> box = textBox(false, log, u"txtFind");
  std::shared_ptr<qndTextBoxDefButtonWatcher> watcher = std::make_shared<qndTextBoxDefButtonWatcher>();

  void focus(bool got) {
    std::vector<Variant> none;
    box->raiseEvent(got ? u"GotFocus" : u"LostFocus", none);
  }
};

TEST(DefButtonWatcher, MovesTheDefaultWhileTheTextBoxHasTheFocus) {
  struct Case {
    const char* what;
    bool withGlobal, withLocal;
    CallLog got, lost;
  } cases[] = {
      {"both buttons", true, true, {"cmdFind.Default=True"}, {"cmdFind.Default=False", "cmdOK.Default=True"}},
      {"no local button", true, false, {}, {"cmdOK.Default=True"}},
      {"no global button", false, true, {"cmdFind.Default=True"}, {"cmdFind.Default=False"}},
      {"no buttons", false, false, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WatchedForm f;
    f.watcher->Init(c.withGlobal ? f.global : nullptr, c.withLocal ? f.local : nullptr, f.box);
    EXPECT_TRUE(f.log->empty());  // Init itself changes nothing
    f.focus(true);
    EXPECT_EQ(*f.log, c.got);
    f.log->clear();
    f.focus(false);
    EXPECT_EQ(*f.log, c.lost);
  }
}

TEST(DefButtonWatcher, InitRetargetsAndChecksKindsFirst) {
  WatchedForm f;
  f.watcher->Init(f.global, f.local, f.box);
  auto other = textBox(false, f.log, u"txtOther");
  EXPECT_EQ(errorOf([&] { f.watcher->Init(f.global, other, other); }), 13);  // a text box as a button
  f.focus(true);
  EXPECT_EQ(*f.log, (CallLog{"cmdFind.Default=True"}));  // still watching the first box
  f.watcher->Init(f.global, f.local, other);
  EXPECT_FALSE(f.box->hasSinks());
  f.log->clear();
  f.focus(true);
  EXPECT_TRUE(f.log->empty());
  std::vector<Variant> none;
  other->raiseEvent(u"GotFocus", none);
  EXPECT_EQ(*f.log, (CallLog{"cmdFind.Default=True"}));
}

TEST(DefButtonWatcher, ADroppedWatcherStopsAndRestoresNothing) {
  WatchedForm f;
  f.watcher->Init(f.global, f.local, f.box);
  f.watcher.reset();
  EXPECT_FALSE(f.box->hasSinks());
  f.focus(false);
  EXPECT_TRUE(f.log->empty());
}

TEST(DefButtonWatcher, LateBoundInit) {
  WatchedForm f;
  ObjectPtr w = f.watcher;
  w->call(u"Init", {Variant(ObjectPtr(f.global)), Variant::nothing(), Variant(ObjectPtr(f.box))});
  f.focus(false);
  EXPECT_EQ(*f.log, (CallLog{"cmdOK.Default=True"}));
  EXPECT_EQ(errorOf([&] {
              w->call(u"Init", {Variant(LONG{1}), Variant::nothing(), Variant::nothing()});
            }),
            424);  // not an object
}

}  // namespace
}  // namespace quendel::toolvane
