#include "toolvane/general/qnd_main.h"

#include <gtest/gtest.h>

#include "automation/safe_array.h"
#include "automation/std_font.h"
#include "automation/std_picture.h"
#include "support/testing.h"
#include "toolvane/frame/fake_client_objects.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;
using namespace automation;
using testing::CallLog;
using testing::FakeControl;
using testing::FakeControlArray;

Variant arrayOf(VarType type, const std::vector<Variant>& items, LONG lbound = 0) {
  return Variant(SafeArray::fromVariants(type, items, lbound));
}

std::shared_ptr<automation::Collection> collectionOf(const std::vector<Variant>& items) {
  auto c = automation::Collection::create();
  for (auto& v : items) c->add(v);
  return c;
}

// ---- Building ----

TEST(QndMainBuild, ArraysTakeTheBoundsOfTheArgumentList) {
  qndMain m;
  Variant longs = m.ArrayLong({Variant(LONG{1}), Variant(LONG{2}), Variant(LONG{3})});
  EXPECT_EQ(longs.type(), VarType(vbArray | vbLong));
  ASSERT_TRUE(longs.array());
  EXPECT_EQ(longs.array()->lbound(), 0);
  EXPECT_EQ(longs.array()->ubound(), 2);
  EXPECT_EQ(longs.array()->get(2).toLong(), 3);

  Variant empty = m.ArrayString({});
  ASSERT_TRUE(empty.array());  // allocated, without elements
  EXPECT_EQ(empty.array()->count(), 0u);
  EXPECT_EQ(empty.array()->ubound(), -1);
}

TEST(QndMainBuild, AnArgumentThatDoesNotConvertLeavesItsElementEmpty) {
  qndMain m;
  Variant longs = m.ArrayLong({Variant(u"12"), Variant(u"twelve"), Variant(2.5), Variant(1e12), Variant::null()});
  auto a = longs.array();
  std::vector<LONG> want{12, 0, 2, 0, 0};  // 2.5 rounds half to even
  for (LONG i = 0; i < 5; ++i) EXPECT_EQ(a->get(i).toLong(), want[i]) << i;

  Variant strings = m.ArrayString({Variant(u"a"), Variant(LONG{5}), Variant::null(), Variant(true)});
  auto s = strings.array();
  EXPECT_EQ(s->get(0).toString(), u"a");
  EXPECT_EQ(s->get(1).toString(), u"5");
  EXPECT_EQ(s->get(2).toString(), u"");
  EXPECT_EQ(s->get(3).toString(), u"True");
}

TEST(QndMainBuild, CollectionKeysAreThePositions) {
  qndMain m;
  auto c = m.Collection({Variant(u"first"), Variant(u"second")});
  EXPECT_EQ(c->count(), 2);
  EXPECT_EQ(c->item(Variant(u"2")).toString(), u"second");
  EXPECT_EQ(c->item(Variant(u"1")).toString(), u"first");
  EXPECT_EQ(m.Collection({})->count(), 0);
}

// ---- Searching ----

struct ArraySearchCase {
  const char* what;
  int member;  // 0 InArrayLong, 1 InArrayString, 2 InArrayStringText
  Variant array;
  Variant find;
  Variant startAt, endAt;
  LONG index;
  bool found;
  LONG error;
};

TEST(QndMainSearch, Arrays) {
  Variant words = arrayOf(vbString, {Variant(u"APPLE")}, 1);
  Variant numbers = arrayOf(vbLong, {Variant(LONG{7}), Variant(LONG{5}), Variant(LONG{9}), Variant(LONG{5})}, 1);
  Variant mixed = arrayOf(vbVariant, {Variant(u"x"), Variant(LONG{3}), Variant(u"Straße")}, 0);
  Variant m = Variant::missing();
  ArraySearchCase cases[] = {
      {"binary misses capitals", 1, words, Variant(u"apple"), m, m, 0, false, 0},
      {"text finds capitals", 2, words, Variant(u"apple"), m, m, 1, true, 0},
      {"first match", 0, numbers, Variant(LONG{5}), m, m, 2, true, 0},
      {"StartAt 3 skips index 2", 0, numbers, Variant(LONG{5}), Variant(LONG{3}), m, 4, true, 0},
      {"EndAt stops the walk", 0, numbers, Variant(LONG{9}), m, Variant(LONG{2}), 0, false, 0},
      {"not found gives lbound - 1", 0, numbers, Variant(LONG{1}), m, m, 0, false, 0},
      {"StartAt numbers as text", 0, numbers, Variant(LONG{5}), Variant(u"3"), m, 4, true, 0},
      {"empty range searches nothing", 0, numbers, Variant(LONG{5}), Variant(LONG{5}), m, 0, false, 0},
      {"StartAt below the bounds", 0, numbers, Variant(LONG{5}), Variant(LONG{0}), m, 0, false, 9},
      {"EndAt above the bounds", 0, numbers, Variant(LONG{7}), m, Variant(LONG{5}), 0, false, 9},
      {"StartAt not a number", 0, numbers, Variant(LONG{7}), Variant(u"x"), m, 0, false, 13},
      {"variant array as strings", 1, mixed, Variant(u"3"), m, m, 1, true, 0},
      {"text compare folds letter by letter", 2, mixed, Variant(u"STRASSE"), m, m, -1, false, 0},
      {"text compare of accented capitals", 2, arrayOf(vbString, {Variant(u"ÉTÉ")}), Variant(u"été"), m, m, 0, true, 0},
      {"long search in a variant array of text", 0, mixed, Variant(LONG{3}), m, m, 0, false, 13},
      {"not an array", 0, Variant(LONG{5}), Variant(LONG{5}), m, m, 0, false, 13},
      {"unallocated array", 0, Variant::unallocatedArray(vbLong), Variant(LONG{5}), m, m, 0, false, 9},
      {"empty array", 1, arrayOf(vbString, {}), Variant(u"a"), m, m, -1, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qndMain q;
    bool found = !c.found;
    LONG index = -12345;
    LONG error = errorOf([&] {
      switch (c.member) {
        case 0: index = q.InArrayLong(c.array, c.find.toLong(), c.startAt, c.endAt, &found); break;
        case 1: index = q.InArrayString(c.array, c.find.toString(), c.startAt, c.endAt, &found); break;
        default: index = q.InArrayStringText(c.array, c.find.toString(), c.startAt, c.endAt, &found); break;
      }
    });
    EXPECT_EQ(error, c.error);
    if (c.error) {
      EXPECT_FALSE(found);  // set before the walk
      continue;
    }
    EXPECT_EQ(index, c.index);
    EXPECT_EQ(found, c.found);
    bool is = c.member == 0   ? q.IsInArrayLong(c.array, c.find.toLong(), c.startAt, c.endAt)
              : c.member == 1 ? q.IsInArrayString(c.array, c.find.toString(), c.startAt, c.endAt)
                              : q.IsInArrayStringText(c.array, c.find.toString(), c.startAt, c.endAt);
    EXPECT_EQ(is, c.found);
  }
}

TEST(QndMainSearch, Collections) {
  auto log = std::make_shared<CallLog>();
  auto plain = FakeControl::create(u"Label", log);  // an object without a default member
  auto items = collectionOf({Variant(u"Apple"), Variant(LONG{3}), Variant(u"3"), Variant(u"apple")});
  auto withObject = collectionOf({Variant(u"a"), Variant(ObjectPtr(plain)), Variant(u"b")});
  Variant m = Variant::missing();
  struct Case {
    const char* what;
    int member;  // 0 InCollection, 1 InCollectionString, 2 InCollectionStringText
    ObjectPtr collection;
    Variant find, startAt, endAt;
    LONG index;
    LONG error;
  } cases[] = {
      {"empty collection", 0, collectionOf({}), Variant(u"x"), m, m, 0, 0},
      {"variant equality: number", 0, items, Variant(LONG{3}), m, m, 2, 0},
      {"variant equality: text", 0, items, Variant(u"3"), m, m, 3, 0},
      {"variant equality: a number never equals text", 0, items, Variant(LONG{3}), Variant(LONG{3}), m, 0, 0},
      {"binary string", 1, items, Variant(u"apple"), m, m, 4, 0},
      {"binary string of a number", 1, items, Variant(LONG{3}), m, m, 2, 0},
      {"text", 2, items, Variant(u"APPLE"), m, m, 1, 0},
      {"text from StartAt", 2, items, Variant(u"APPLE"), Variant(LONG{2}), m, 4, 0},
      {"EndAt limits", 2, items, Variant(u"apple"), Variant(LONG{2}), Variant(LONG{3}), 0, 0},
      {"StartAt 0", 0, items, Variant(u"x"), Variant(LONG{0}), m, 0, 9},
      {"EndAt past Count", 0, items, Variant(u"Apple"), m, Variant(LONG{5}), 0, 9},
      {"Nothing", 0, nullptr, Variant(u"x"), m, m, 0, 91},
      {"object compared as text raises", 1, withObject, Variant(u"b"), m, m, 0, 438},
      {"match before the object", 1, withObject, Variant(u"a"), m, m, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qndMain q;
    bool found = true;
    LONG index = -1;
    LONG error = errorOf([&] {
      switch (c.member) {
        case 0: index = q.InCollection(c.collection, c.find, c.startAt, c.endAt, &found); break;
        case 1: index = q.InCollectionString(c.collection, c.find, c.startAt, c.endAt, &found); break;
        default: index = q.InCollectionStringText(c.collection, c.find, c.startAt, c.endAt, &found); break;
      }
    });
    EXPECT_EQ(error, c.error);
    if (c.error) continue;
    EXPECT_EQ(index, c.index);
    EXPECT_EQ(found, c.index != 0);
    bool is = c.member == 0   ? q.IsInCollection(c.collection, c.find, c.startAt, c.endAt)
              : c.member == 1 ? q.IsInCollectionString(c.collection, c.find, c.startAt, c.endAt)
                              : q.IsInCollectionStringText(c.collection, c.find, c.startAt, c.endAt);
    EXPECT_EQ(is, c.index != 0);
  }
}

TEST(QndMainSearch, LateBoundCallsWriteIsFoundBack) {
  auto m = std::make_shared<qndMain>();
  std::vector<Variant> args{arrayOf(vbString, {Variant(u"a"), Variant(u"B")}), Variant(u"b"), Variant::missing(),
                            Variant::missing(), Variant(false)};
  EXPECT_EQ(m->callRef(u"InArrayStringText", args).toLong(), 1);
  EXPECT_TRUE(args[4].toBool());
  std::vector<Variant> two{arrayOf(vbLong, {Variant(LONG{1})}), Variant(LONG{1})};
  EXPECT_EQ(m->callRef(u"InArrayLong", two).toLong(), 0);
  EXPECT_TRUE(m->call(u"IsInArrayLong", {arrayOf(vbLong, {Variant(LONG{4})}), Variant(LONG{4})}).toBool());
}

// ---- Joining and splitting ----

TEST(QndMainJoin, JoinsItemsWithDelimiters) {
  auto log = std::make_shared<CallLog>();
  ObjectPtr plain = FakeControl::create(u"Label", log);
  struct Case {
    const char* what;
    std::vector<Variant> items;
    const char16_t* delimiter;
    bool raise;
    const char16_t* text;
    LONG error;
  } cases[] = {
      {"three letters", {Variant(u"a"), Variant(u"b"), Variant(u"c")}, u",", false, u"a,b,c", 0},
      {"one item", {Variant(u"a")}, u",", false, u"a", 0},
      {"empty", {}, u",", false, u"", 0},
      {"numbers and booleans", {Variant(LONG{1}), Variant(true), Variant(2.5)}, u"; ", false, u"1; True; 2.5", 0},
      {"item without text keeps its delimiter",
       {Variant(u"a"), Variant(plain), Variant(u"c")},
       u",",
       false,
       u"a,,c",
       0},
      {"Null item keeps its delimiter", {Variant::null(), Variant(u"b")}, u"-", false, u"-b", 0},
      {"raised when asked", {Variant(u"a"), Variant(plain)}, u",", true, u"", 438},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qndMain m;
    String text;
    LONG error = errorOf([&] { text = m.JoinCollection(collectionOf(c.items), c.delimiter, c.raise); });
    EXPECT_EQ(error, c.error);
    if (!c.error) {
      EXPECT_EQ(text, c.text);
    }
  }
  qndMain m;
  EXPECT_EQ(m.JoinCollection(nullptr, u","), u"");
  EXPECT_EQ(errorOf([&] { m.JoinCollection(nullptr, u",", true); }), 91);
}

TEST(QndMainSplit, SplitsLikeTheRuntime) {
  Variant m = Variant::missing();
  struct Case {
    const char* what;
    const char16_t* expression;
    Variant delimiter;
    LONG limit, compare;
    bool raise;
    std::vector<std::u16string> parts;
    LONG error;
  } cases[] = {
      {"default blank, double blank gives an empty part",
       u"one two  three",
       m,
       -1,
       0,
       false,
       {u"one", u"two", u"", u"three"},
       0},
      {"limit 2 keeps the rest", u"one two  three", m, 2, 0, false, {u"one", u"two  three"}, 0},
      {"limit 1 is the whole text", u"a b", m, 1, 0, false, {u"a b"}, 0},
      {"limit 0 gives nothing", u"a b", m, 0, 0, false, {}, 0},
      {"empty expression", u"", m, -1, 0, false, {}, 0},
      {"empty delimiter", u"a b", Variant(u""), -1, 0, false, {u"a b"}, 0},
      {"binary compare is exact", u"aXbxc", Variant(u"x"), -1, 0, false, {u"aXb", u"c"}, 0},
      {"text compare ignores case", u"aXbxc", Variant(u"x"), -1, 1, false, {u"a", u"b", u"c"}, 0},
      {"long delimiter, at both ends", u"--a--b--", Variant(u"--"), -1, 0, false, {u"", u"a", u"b", u""}, 0},
      {"delimiter longer than the text", u"ab", Variant(u"abc"), -1, 1, false, {u"ab"}, 0},
      {"Cyrillic text compare", u"одинИтриидва", Variant(u"и"), -1, 1, false, {u"од", u"н", u"тр", u"", u"два"}, 0},
      {"number as delimiter", u"1020304", Variant(LONG{0}), -1, 0, false, {u"1", u"2", u"3", u"4"}, 0},
      {"bad limit ignored", u"a b", m, -2, 0, false, {}, 0},
      {"bad limit raised", u"a b", m, -2, 0, true, {}, 5},
      {"bad compare raised", u"a b", m, -1, 2, true, {}, 5},
      {"Null delimiter raised", u"a b", Variant::null(), -1, 0, true, {}, 94},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qndMain q;
    std::shared_ptr<automation::Collection> parts;
    LONG error = errorOf([&] { parts = q.SplitCollection(c.expression, c.delimiter, c.limit, c.compare, c.raise); });
    EXPECT_EQ(error, c.error);
    if (c.error) continue;
    ASSERT_TRUE(parts);
    std::vector<std::u16string> got;
    for (auto& v : parts->items()) got.push_back(v.toString());
    EXPECT_EQ(got, c.parts);
  }
}

// ---- Option buttons and buttons ----

struct Group {
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::map<LONG, std::shared_ptr<FakeControl>> buttons;
  std::shared_ptr<FakeControlArray> array;

  Group(const std::map<LONG, bool>& values) {
    std::map<LONG, ObjectPtr> items;
    for (auto [i, v] : values) {
      std::string n = "opt" + std::to_string(i);
      buttons[i] = FakeControl::create(u"OptionButton", log, {{u"Value", Variant(v)}, {u"Enabled", Variant(true)}},
                                       String(n.begin(), n.end()));
      items[i] = buttons[i];
    }
    array = FakeControlArray::create(items);
  }
};

TEST(QndMainOptions, SelectedIndexSkipsGapsAndUnreadableButtons) {
  qndMain m;
  EXPECT_EQ(m.GetSelectedOptionButtonIndex(Group({{0, false}, {1, false}}).array), -1);
  EXPECT_EQ(m.GetSelectedOptionButtonIndex(Group({{1, false}, {3, true}, {4, false}}).array), 3);
  Group broken({{0, true}, {1, true}});
  broken.buttons[0]->fail(u"Value", 5);
  EXPECT_EQ(m.GetSelectedOptionButtonIndex(broken.array), 1);
  EXPECT_EQ(m.GetSelectedOptionButtonIndex(nullptr), -1);
  EXPECT_EQ(m.GetSelectedOptionButtonIndex(FakeControl::create(u"Form", nullptr)), -1);  // no LBound
}

TEST(QndMainOptions, SelectingAMissingIndexSelectsTheFirstButton) {
  qndMain m;
  Group g({{2, false}, {3, false}, {5, false}});
  m.SetSelectedOptionButtonIndex(g.array, 5);
  EXPECT_EQ(*g.log, (CallLog{"opt5.Value=True"}));
  g.log->clear();
  m.SetSelectedOptionButtonIndex(g.array, 4);  // a gap
  EXPECT_EQ(*g.log, (CallLog{"opt2.Value=True"}));
  m.SetSelectedOptionButtonIndex(nullptr, 1);  // nothing to do, no error
}

TEST(QndMainOptions, TheSelectedButtonIsEnabledFirstAndDisabledLast) {
  qndMain m;
  Group g({{0, false}, {1, true}, {3, false}});
  m.DisableOptionButtonGroup(g.array);
  EXPECT_EQ(*g.log, (CallLog{"opt0.Enabled=False", "opt3.Enabled=False", "opt1.Enabled=False"}));
  g.log->clear();
  m.EnableOptionButtonGroup(g.array);
  EXPECT_EQ(*g.log, (CallLog{"opt1.Enabled=True", "opt0.Enabled=True", "opt3.Enabled=True"}));
}

TEST(QndMainButtons, PressButtonClicksOnlyAnEnabledCommandButton) {
  auto log = std::make_shared<CallLog>();
  qndMain m;
  auto enabled = FakeControl::create(u"CommandButton", log, {{u"Enabled", Variant(true)}}, u"cmdOK");
  auto disabled = FakeControl::create(u"CommandButton", log, {{u"Enabled", Variant(false)}}, u"cmdNo");
  auto option = FakeControl::create(u"OptionButton", log, {{u"Enabled", Variant(true)}}, u"opt");
  auto failing = FakeControl::create(u"CommandButton", log, {{u"Enabled", Variant(true)}}, u"cmdBad");
  failing->fail(u"Value", 5);
  auto unreadable = FakeControl::create(u"commandbutton", log, {}, u"cmdOdd");  // no Enabled
  EXPECT_TRUE(m.PressButton(enabled));
  EXPECT_FALSE(m.PressButton(disabled));
  EXPECT_FALSE(m.PressButton(option));
  EXPECT_FALSE(m.PressButton(failing));
  EXPECT_FALSE(m.PressButton(unreadable));
  EXPECT_FALSE(m.PressButton(nullptr));
  EXPECT_EQ(*log, (CallLog{"cmdOK.Value=True"}));
}

// ---- Forms ----

TEST(QndMainForms, ShowModalFormMovesTheParentOutOfSightWhileTheChildIsShown) {
  auto log = std::make_shared<CallLog>();
  auto parent =
      FakeControl::create(u"Form", log, {{u"Left", Variant(1500.0f)}, {u"Width", Variant(4800.0f)}}, u"frmMain");
  auto child = FakeControl::create(u"Form", log, {}, u"frmChild");
  Variant leftDuringShow, styleOfShow;
  child->method(u"Show", [&](FakeControl&, std::vector<Variant>& a) {
    leftDuringShow = parent->value(u"Left");
    styleOfShow = a.empty() ? Variant() : a[0];
    return Variant();
  });
  qndMain m;
  m.ShowModalForm(parent, child);
  EXPECT_DOUBLE_EQ(leftDuringShow.toDouble(), -5800.0);
  EXPECT_EQ(styleOfShow.toLong(), 1);
  EXPECT_DOUBLE_EQ(parent->value(u"Left").toDouble(), 1500.0);
  EXPECT_EQ(*log, (CallLog{"frmMain.Left=-5800", "frmChild.Show", "frmMain.Left=1500"}));
}

TEST(QndMainForms, ShowModalFormLeavesAParentItCannotMeasure) {
  auto log = std::make_shared<CallLog>();
  auto parent = FakeControl::create(u"Form", log, {{u"Left", Variant(1500.0f)}}, u"frmMain");  // no Width
  auto child = FakeControl::create(u"Form", log, {}, u"frmChild");
  child->method(u"Show", [&](FakeControl&, std::vector<Variant>&) -> Variant { throw RuntimeError(401); });
  qndMain m;
  m.ShowModalForm(parent, child);
  EXPECT_EQ(*log, (CallLog{"frmChild.Show"}));
  m.ShowModalForm(nullptr, nullptr);
}

TEST(QndMainForms, FixFontsSetsEveryControlsFontButNotTheForms) {
  auto log = std::make_shared<CallLog>();
  auto f1 = StdFont::create();
  auto f2 = StdFont::create(FontDesc{u"Tahoma", Currency{90000}, false, true, true, Integer{700}, Integer{0}});
  auto formFont = StdFont::create();
  auto a = FakeControl::create(u"Label", log, {{u"Font", Variant(f1)}});
  auto b = FakeControl::create(u"TextBox", log, {{u"Font", Variant(f2)}});
  auto noFont = FakeControl::create(u"Line", log);
  auto controls = arrayOf(vbVariant, {Variant(a), Variant(noFont), Variant(LONG{5}), Variant(b)});
  auto form = FakeControl::create(u"Form", log, {{u"Controls", controls}, {u"Font", Variant(formFont)}});
  qndMain m;
  m.FixFonts(form);
  for (auto& f : {f1, f2}) {
    EXPECT_EQ(f->Name(), u"Times New Roman");
    EXPECT_EQ(f->Size().scaled, 105000);
    EXPECT_TRUE(f->Italic());
    EXPECT_FALSE(f->Bold());
    EXPECT_FALSE(f->Underline());
    EXPECT_FALSE(f->Strikethrough());
    EXPECT_EQ(f->Charset().value, 204);
  }
  EXPECT_NE(formFont->Name(), u"Times New Roman");
  m.FixFonts(FakeControl::create(u"Form", log));  // no Controls: nothing, no error
}

TEST(QndMainForms, FixCBCursorsGivesDropDownListsTheListCursor) {
  auto log = std::make_shared<CallLog>();
  auto list = FakeControl::create(u"ComboBox", log, {{u"Style", Variant(Integer{2})}}, u"cboList");
  auto combo = FakeControl::create(u"ComboBox", log, {{u"Style", Variant(Integer{0})}}, u"cboEdit");
  auto text = FakeControl::create(u"TextBox", log, {{u"Style", Variant(Integer{2})}}, u"txt");
  auto form = FakeControl::create(u"Form", log,
                                  {{u"Controls", arrayOf(vbVariant, {Variant(text), Variant(combo), Variant(list)})}});
  qndMain m;
  m.FixCBCursors(form);
  EXPECT_EQ(*log, (CallLog{"cboList.MouseIcon=<object>", "cboList.MousePointer=99"}));
  auto picture = std::dynamic_pointer_cast<StdPicture>(list->value(u"MouseIcon").toObject());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Type().value, 3);
  EXPECT_GT(picture->Width(), 0);
  EXPECT_NE(picture->Handle(), 0u);
  m.FixCBCursors(nullptr);
}

// ---- Command line ----

TEST(QndMainCommandLine, OneParserPerObject) {
  qndMain a, b;
  EXPECT_EQ(a.CommandLine(), a.CommandLine());
  EXPECT_NE(a.CommandLine(), b.CommandLine());
}

}  // namespace
}  // namespace quendel::toolvane
