// The icon control's state and drawing steps over a recording surface.
#include <gtest/gtest.h>

#include <string>

#include "automation/std_picture.h"
#include "platform/ole/load_picture.h"
#include "support/testing.h"
#include "toolvane/controls/ole_color.h"
#include "toolvane/controls/uc_icon_control.h"

namespace qt = quendel::toolvane;
namespace qa = quendel::automation;
using qa::Variant;
using quendel::testing::errorOf;

namespace {

// Writes down every call; the icon of a picture is its Type 3.
class RecordingSurface : public qt::IconSurface {
 public:
  std::vector<std::string> calls;
  void eraseTo(LONG c) override { calls.push_back("erase " + std::to_string(static_cast<DWORD>(c))); }
  void drawIcon(qa::Object& p) override { calls.push_back("draw " + std::to_string(p.get(u"Type").toLong())); }
  void refresh() override { calls.emplace_back("refresh"); }
  void setMouseIcon(const qa::ObjectPtr& p) override {
    if (p && p->get(u"Type").toLong() != PICTYPE_ICON) throw quendel::RuntimeError(380);
    calls.emplace_back(p ? "icon" : "no icon");
  }
  void setMousePointer(LONG v) override { calls.push_back("pointer " + std::to_string(v)); }
};

std::shared_ptr<qa::StdPicture> picture(short type) { return qa::StdPicture::create({qa::Integer{type}, 0, 0, 0, 0}); }

struct Fixture {
  std::shared_ptr<qt::ucIconControl> control = std::make_shared<qt::ucIconControl>();
  RecordingSurface surface;
  std::vector<std::u16string> changed;
  Fixture() {
    control->attach(&surface);
    control->propertyChanged = [this](std::u16string_view n) { changed.emplace_back(n); };
  }
};

TEST(IconControl, NewControlHoldsTheDefaultsAndDrawsNothing) {
  Fixture f;
  auto p = std::dynamic_pointer_cast<qa::StdPicture>(f.control->Picture());
  ASSERT_TRUE(p);  // an empty picture, not Nothing
  EXPECT_EQ(p->Type().value, PICTYPE_NONE);
  EXPECT_EQ(static_cast<DWORD>(f.control->BackColor()), 0x8000000Fu);
  EXPECT_EQ(f.control->MouseIcon(), nullptr);
  EXPECT_EQ(f.control->MousePointer().value, 0);
  EXPECT_TRUE(f.surface.calls.empty());
}

TEST(IconControl, WritesDrawAsTheirRulesSay) {
  using Calls = std::vector<std::string>;
  const struct Row {
    const char* what;
    std::function<void(qt::ucIconControl&)> write;
    Calls calls;
    std::u16string changed;
  } rows[] = {
      {"Picture Nothing clears", [](auto& c) { c.setPicture(nullptr); }, {"erase 2147483663"}, u"Picture"},
      {"Picture draws over", [](auto& c) { c.setPicture(picture(PICTYPE_ICON)); }, {"draw 3", "refresh"}, u"Picture"},
      {"BackColor erases and redraws",
       [](auto& c) { c.setBackColor(0xFF); },
       {"erase 255", "draw 0", "refresh"},
       u"BackColor"},
      {"MouseIcon does not draw", [](auto& c) { c.setMouseIcon(picture(PICTYPE_ICON)); }, {"icon"}, u"MouseIcon"},
      {"MousePointer does not draw",
       [](auto& c) { c.setMousePointer(qa::Integer{99}); },
       {"pointer 99"},
       u"MousePointer"},
  };
  for (const auto& r : rows) {
    Fixture f;
    r.write(*f.control);
    EXPECT_EQ(f.surface.calls, r.calls) << r.what;
    EXPECT_EQ(f.changed, std::vector<std::u16string>{r.changed}) << r.what;
  }
}

TEST(IconControl, InvalidValuesRaise380AndChangeNothing) {
  const struct Row {
    const char* what;
    std::function<void(qt::ucIconControl&)> write;
  } rows[] = {
      {"BackColor with a high byte", [](auto& c) { c.setBackColor(0x12345678); }},
      {"BackColor system index 31", [](auto& c) { c.setBackColor(static_cast<LONG>(0x8000001Fu)); }},
      {"BackColor negative", [](auto& c) { c.setBackColor(-1); }},
      {"MousePointer 16", [](auto& c) { c.setMousePointer(qa::Integer{16}); }},
      {"MousePointer -1", [](auto& c) { c.setMousePointer(qa::Integer{-1}); }},
      {"MouseIcon of a bitmap", [](auto& c) { c.setMouseIcon(picture(PICTYPE_BITMAP)); }},
  };
  for (const auto& r : rows) {
    Fixture f;
    f.control->setMouseIcon(picture(PICTYPE_ICON));
    auto icon = f.control->MouseIcon();
    f.surface.calls.clear();
    f.changed.clear();
    EXPECT_EQ(errorOf([&] { r.write(*f.control); }), 380) << r.what;
    EXPECT_TRUE(f.surface.calls.empty()) << r.what;
    EXPECT_TRUE(f.changed.empty()) << r.what;
    EXPECT_EQ(static_cast<DWORD>(f.control->BackColor()), 0x8000000Fu) << r.what;
    EXPECT_EQ(f.control->MousePointer().value, 0) << r.what;
    EXPECT_EQ(f.control->MouseIcon(), icon) << r.what;
  }
}

TEST(IconControl, SavesOnlyChangedValuesAndLoadsInOrder) {
  Fixture fresh;
  qa::PropertyBag empty(qt::kIconControlProgId);
  fresh.control->WriteProperties(empty);
  EXPECT_EQ(empty.size(), 0u);  // every value is its default

  Fixture f;
  f.control->setBackColor(0x00FF00);
  f.control->setMousePointer(qa::Integer{2});
  f.control->setPicture(nullptr);
  qa::PropertyBag bag(qt::kIconControlProgId);
  f.control->WriteProperties(bag);
  EXPECT_EQ(bag.size(), 3u);

  Fixture g;
  g.control->ReadProperties(qa::PropertyBag::fromContents(bag.Contents(), qt::kIconControlProgId));
  // Picture is kept without drawing; BackColor's write then draws it (Nothing: clears).
  EXPECT_EQ(g.surface.calls, (std::vector<std::string>{"erase 65280", "erase 65280", "no icon", "pointer 2"}));
  EXPECT_EQ(g.control->Picture(), nullptr);
  EXPECT_EQ(g.control->BackColor(), 0x00FF00);
  EXPECT_EQ(g.control->MousePointer().value, 2);
}

TEST(IconControl, LoadIgnoresErrorsItemByItem) {
  qa::PropertyBag bag(qt::kIconControlProgId);
  bag.WriteProperty(u"Picture", Variant(u"not a picture"), Variant());
  bag.WriteProperty(u"BackColor", Variant(LONG{0x12345678}), Variant());
  bag.WriteProperty(u"MouseIcon", Variant(picture(PICTYPE_NONE)), Variant());
  bag.WriteProperty(u"MousePointer", Variant(qa::Integer{11}), Variant());
  Fixture f;
  f.control->ReadProperties(bag);
  EXPECT_EQ(std::dynamic_pointer_cast<qa::StdPicture>(f.control->Picture())->Type().value, PICTYPE_NONE);
  EXPECT_EQ(static_cast<DWORD>(f.control->BackColor()), 0x8000000Fu);
  EXPECT_EQ(f.control->MousePointer().value, 11);
}

TEST(IconControl, ReachedByNameWithItsEvents) {
  Fixture f;
  const auto& members = qt::ucIconControl::describe().members;
  std::vector<std::u16string> order;
  for (const auto& m : members)
    if (order.empty() || order.back() != m.name) order.push_back(m.name);
  EXPECT_EQ(order, (std::vector<std::u16string>{u"Picture", u"BackColor", u"MouseIcon", u"MousePointer"}));
  f.control->set(u"picture", picture(PICTYPE_ICON));
  f.control->let(u"BACKCOLOR", Variant(LONG{7}));
  EXPECT_EQ(f.control->get(u"BackColor").toLong(), 7);
  EXPECT_EQ(f.control->get(u"Picture").toObject()->get(u"Type").toLong(), PICTYPE_ICON);
  EXPECT_EQ(errorOf([&] { f.control->let(u"MousePointer", Variant(LONG{100})); }), 380);

  std::vector<std::string> seen;
  auto sink = std::make_shared<qa::FunctionSink>([&](qa::Object&, std::u16string_view name, std::vector<Variant>& a) {
    std::string line(name.begin(), name.end());
    for (const auto& v : a) line += " " + std::to_string(v.toDouble()).substr(0, 4) + ":" + std::to_string(v.type());
    seen.push_back(line);
    if (!a.empty()) a[0] = Variant(qa::Integer{0});
  });
  f.control->advise(sink);
  f.control->raiseClick();
  f.control->raiseMouse(u"MouseDown", qa::Integer{2}, qa::Integer{1}, 15.0f, 30.0f);
  EXPECT_EQ(seen, (std::vector<std::string>{"Click", "MouseDown 2.00:2 1.00:2 15.0:4 30.0:4"}));
}

}  // namespace
