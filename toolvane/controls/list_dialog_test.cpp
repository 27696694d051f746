#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "automation/std_font.h"
#include "toolvane/controls/list_dialog_request.h"
#include "toolvane/controls/qnd_simple_list_dialog.h"
#include "toolvane/frame/fake_client_objects.h"

namespace quendel::toolvane {
namespace {

TEST(ListDialog, CreatedWithItsDesignValues) {
  qndSimpleListDialog d;
  EXPECT_EQ(d.Elements()->count(), 0);
  EXPECT_TRUE(d.ShowCountInCaption());
  EXPECT_EQ(d.Caption(), u"");
  auto font = std::dynamic_pointer_cast<StdFont>(d.Font());
  ASSERT_TRUE(font);
  EXPECT_EQ(font->Name(), u"Tahoma");
  EXPECT_EQ(font->Size().scaled, 90000);
  EXPECT_EQ(font->Charset().value, 204);
  EXPECT_EQ(font->Weight().value, 100);
  EXPECT_FALSE(font->Bold());
  EXPECT_FALSE(font->Italic() || font->Underline() || font->Strikethrough());
}

TEST(ListDialog, ElementsAreSharedAndNeverNothing) {
  auto d = std::make_shared<qndSimpleListDialog>();
  auto mine = Collection::create();
  d->set(u"Elements", mine);
  mine->add(Variant(u"added later"));
  EXPECT_EQ(d->Elements()->count(), 1);  // shared, not copied
  d->set(u"Elements", nullptr);
  EXPECT_TRUE(d->get(u"Elements").toObject());
  EXPECT_EQ(d->Elements()->count(), 0);
  d->let(u"Elements", Variant(ObjectPtr(mine)));  // let behaves as set
  EXPECT_EQ(d->Elements(), mine);
  EXPECT_THROW(d->set(u"Elements", std::make_shared<qndSimpleListDialog>()), RuntimeError);
  EXPECT_EQ(d->Elements(), mine);
  auto font = StdFont::create();
  d->set(u"Font", font);
  EXPECT_EQ(d->get(u"Font").toObject(), font);
}

TEST(ListDialog, RequestCaptionsAndItems) {
  struct Case {
    const char* what;
    std::vector<Variant> elements;
    const char16_t* caption;
    bool showCount;
    const char16_t* windowCaption;
    std::vector<std::u16string> items;
  } cases[] = {
      {"empty with count", {}, u"Modules", true, u"Modules [0]", {}},
      {"empty without count", {}, u"Modules", false, u"Modules", {}},
      {"no caption starts with a blank", {Variant(u"a")}, u"", true, u" [1]", {u"a"}},
      {"elements as text, bad ones skipped",
       {Variant(u"a\tb"), Variant(LONG{42}), Variant::null(), Variant(true)},
       u"C",
       true,
       u"C [3]",
       {u"a\tb", u"42", u"True"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qndSimpleListDialog d;
    for (auto& e : c.elements) d.Elements()->add(e);
    d.setCaption(c.caption);
    d.setShowCountInCaption(c.showCount);
    ListDialogRequest r = d.request();
    EXPECT_EQ(r.caption, c.windowCaption);
    EXPECT_EQ(r.items, c.items);
    ASSERT_TRUE(r.font);
    EXPECT_EQ(r.font->name, u"Tahoma");
  }
}

TEST(ListDialog, AFontThatCannotBeReadLeavesTheDesignFont) {
  qndSimpleListDialog d;
  d.setFont(testing::FakeControl::create(u"Font", nullptr, {{u"Name", Variant(u"Serif")}}));
  EXPECT_FALSE(d.request().font);
  d.setFont(nullptr);
  EXPECT_FALSE(d.request().font);
}

TEST(ListDialog, ShowNeverRaises) {
  auto d = std::make_shared<qndSimpleListDialog>();
  d->Elements()->add(Variant(u"x"));
  // Without a display Show returns at once; the environment is put back afterwards.
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}) {
    if (const char* v = ::getenv(name)) saved.emplace_back(name, v);
    ::unsetenv(name);
  }
  EXPECT_NO_THROW(d->call(u"Show"));
  for (auto& [name, value] : saved) ::setenv(name.c_str(), value.c_str(), 1);
}

TEST(ListDialog, TheLabelShowsTheTextAfterTheFirstTab) {
  EXPECT_EQ(listItemTag(u"no tab"), u"no tab");
  EXPECT_EQ(listItemTag(u"name\tdetail"), u"detail");
  EXPECT_EQ(listItemTag(u"a\tb\tc"), u"b\tc");
  EXPECT_EQ(listItemTag(u"ends\t"), u"");
  EXPECT_EQ(listItemTag(u""), u"");
}

TEST(ListDialog, Layout) {
  struct Case {
    double windowHeight, innerWidth, innerHeight, tagHeight;
    double wantWindowHeight, listWidth, listHeight, tagTop;
    bool snapped;
  } cases[] = {
      // The design size: 6735 x 4050 inner, a 405-twip frame, the label 900 high.
      {4455, 6735, 4050, 900, 4455, 6615, 3030, 3090, false},
      {2000, 3000, 1595, 900, 2325, 2880, 900, 960, true},   // below 2 x 900 + 405 + 120
      {2325, 3000, 1920, 900, 2325, 2880, 900, 960, false},  // exactly the minimum
      {500, 100, 95, 0, 525, 0, 0, 60, true},                // no negative sizes
  };
  for (const auto& c : cases) {
    ListDialogLayout l = layoutListDialog(c.windowHeight, c.innerWidth, c.innerHeight, c.tagHeight);
    EXPECT_EQ(l.snapped, c.snapped) << c.windowHeight;
    EXPECT_DOUBLE_EQ(l.windowHeight, c.wantWindowHeight);
    EXPECT_DOUBLE_EQ(l.listLeft, 60);
    EXPECT_DOUBLE_EQ(l.listTop, 60);
    EXPECT_DOUBLE_EQ(l.listWidth, c.listWidth);
    EXPECT_DOUBLE_EQ(l.listHeight, c.listHeight);
    EXPECT_DOUBLE_EQ(l.tagLeft, 60);
    EXPECT_DOUBLE_EQ(l.tagTop, c.tagTop);
    EXPECT_DOUBLE_EQ(l.tagWidth, c.listWidth);
    EXPECT_DOUBLE_EQ(l.tagHeight, c.tagHeight);
  }
}

}  // namespace
}  // namespace quendel::toolvane
