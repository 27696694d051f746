#include "automation/object.h"

#include <gtest/gtest.h>

#include "support/testing.h"

#include "automation/dispatch.h"
#include "automation/err_object.h"
#include "automation/safe_array.h"
#include "automation/std_font.h"
#include "automation/std_picture.h"

namespace qa = quendel::automation;
using qa::CallArgs;
using qa::Variant;
using quendel::RuntimeError;
using quendel::testing::errorOf;

namespace {

// A small class whose members exercise every binding rule.
class Sample : public qa::Object {
 public:
  LONG value = 0;
  qa::ObjectPtr picture;
  Variant tag;

  const qa::ClassDesc* classDesc() const override {
    static const qa::ClassDesc d =
        qa::ClassBuilder<Sample>(u"Sample")
            .get(u"Value", qa::vbLong, [](Sample& s, CallArgs&) { return Variant(s.value); })
            .defaultMember()
            .let(u"Value", qa::vbLong, [](Sample& s, CallArgs& a) { s.value = a.lng(0); })
            .function(u"Join", qa::vbString,
                      {qa::param(u"First", qa::vbString), qa::optionalParam(u"Sep", qa::vbString, Variant(u"-")),
                       qa::optionalVariant(u"Last")},
                      [](Sample&, CallArgs& a) {
                        std::u16string r = a.str(0) + a.str(1);
                        r += a.isMissing(2) ? u"(missing)" : a.str(2);
                        return Variant(r);
                      })
            .sub(u"Find",
                 {qa::param(u"What", qa::vbLong),
                  qa::optionalParam(u"IsFound", qa::vbBoolean, Variant(false), qa::kOut)},
                 [](Sample& s, CallArgs& a) { a.ref(1) = Variant(a.lng(0) == s.value); })
            .function(u"Count", qa::vbLong, {qa::paramArray(u"Args")},
                      [](Sample&, CallArgs& a) { return Variant(static_cast<LONG>(a.paramArray().size())); })
            .function(u"Fire", qa::vbLong, {qa::param(u"N", qa::vbLong)},
                      [](Sample& s, CallArgs& a) {
                        std::vector<Variant> args{Variant(a.lng(0))};
                        s.raiseEvent(u"Changed", args);
                        return args[0];
                      })
            .sub(u"Swap", {qa::param(u"A", qa::vbVariant, qa::kOut), qa::param(u"B", qa::vbVariant, qa::kOut)},
                 [](Sample&, CallArgs& a) { std::swap(a.ref(0), a.ref(1)); })
            .function(u"Half", qa::vbLong, {qa::param(u"N", qa::vbLong)},
                      [](Sample&, CallArgs& a) { return Variant(a.lng(0) / 2); })
            .get(u"ReadOnly", qa::vbLong, [](Sample&, CallArgs&) { return Variant(LONG{1}); })
            .set(u"Picture", [](Sample& s, CallArgs& a) { s.picture = a.obj(0); })
            .get(u"Picture", qa::vbObject, [](Sample& s, CallArgs&) { return Variant(s.picture); })
            .let(u"Tag", qa::vbVariant, [](Sample& s, CallArgs& a) { s.tag = a[0]; })
            .build();
    return &d;
  }
};

TEST(Dispatch, PropertiesAndDefaultMember) {
  auto s = std::make_shared<Sample>();
  s->let(u"value", Variant(u"41"));
  EXPECT_EQ(s->get(u"VALUE").toLong(), 41);
  EXPECT_EQ(s->get(u"").toLong(), 41);
  EXPECT_EQ(Variant(qa::ObjectPtr(s)).toLong(), 41);  // conversion through the default member
  EXPECT_EQ(errorOf([&] { s->let(u"Value", Variant(u"x")); }), 13);
  EXPECT_EQ(errorOf([&] { s->get(u"Nope"); }), 438);
  EXPECT_EQ(s->className(), u"Sample");
}

TEST(Dispatch, OptionalNamedAndMissingArguments) {
  auto s = std::make_shared<Sample>();
  EXPECT_EQ(s->call(u"Join", {Variant(u"a")}).toString(), u"a-(missing)");
  EXPECT_EQ(s->call(u"Join", {Variant(u"a"), Variant::missing(), Variant(u"z")}).toString(), u"a-z");
  std::vector<Variant> args{Variant(u"a")};
  std::vector<qa::NamedArg> named{{u"last", Variant(u"z")}, {u"SEP", Variant(u"+")}};
  EXPECT_EQ(s->invoke(u"Join", qa::InvokeKind::Method, args, named).toString(), u"a+z");
  EXPECT_EQ(errorOf([&] { s->call(u"Join"); }), 449);
  EXPECT_EQ(errorOf([&] { s->call(u"Join", {Variant(1), Variant(2), Variant(3), Variant(4)}); }), 450);
  std::vector<qa::NamedArg> bad{{u"Other", Variant(1)}};
  EXPECT_EQ(errorOf([&] { s->invoke(u"Join", qa::InvokeKind::Method, args, bad); }), 448);
}

TEST(Dispatch, ByReferenceResultsReachTheCaller) {
  auto s = std::make_shared<Sample>();
  s->value = 7;
  std::vector<Variant> args{Variant(7), Variant(false)};
  s->callRef(u"Find", args);
  EXPECT_TRUE(args[1].toBool());
  std::vector<Variant> missing{Variant(8), Variant::missing()};
  s->callRef(u"Find", missing);
  EXPECT_EQ(missing[1].type(), qa::vbBoolean);
  EXPECT_FALSE(missing[1].toBool());
}

TEST(Dispatch, ParamArrayGathersTheRest) {
  auto s = std::make_shared<Sample>();
  EXPECT_EQ(s->call(u"Count").toLong(), 0);
  EXPECT_EQ(s->call(u"Count", {Variant(1), Variant(u"x"), Variant()}).toLong(), 3);
}

// One late-bound call and what it gives: the result as text, or the error raised.
struct BindingRow {
  const char* what;
  const char16_t* member;
  qa::InvokeKind kind;
  std::vector<Variant> args;
  std::vector<qa::NamedArg> named;
  const char16_t* result;
  LONG error;
};

TEST(Dispatch, BindingRules) {
  using K = qa::InvokeKind;
  const Variant a(u"a"), z(u"z"), plus(u"+"), missing = Variant::missing();
  const BindingRow rows[] = {
      {"positional", u"Join", K::Method, {a, plus, z}, {}, u"a+z", 0},
      {"default for an omitted optional", u"Join", K::Method, {a}, {}, u"a-(missing)", 0},
      {"default for the missing marker", u"Join", K::Method, {a, missing, z}, {}, u"a-z", 0},
      {"named only", u"Join", K::Method, {}, {{u"First", a}}, u"a-(missing)", 0},
      {"named in any case and order", u"JOIN", K::Method, {}, {{u"LAST", z}, {u"sep", plus}, {u"first", a}}, u"a+z", 0},
      {"named after positional", u"Join", K::Method, {a}, {{u"Last", z}}, u"a-z", 0},
      {"named fills a missing marker", u"Join", K::Method, {missing, plus}, {{u"First", a}}, u"a+(missing)", 0},
      {"named twice", u"Join", K::Method, {a}, {{u"First", z}}, nullptr, 5},
      {"unknown named", u"Join", K::Method, {a}, {{u"Other", z}}, nullptr, 448},
      {"named for the value of a let", u"Value", K::PropertyLet, {Variant(1)}, {{u"RHS", Variant(2)}}, nullptr, 448},
      {"required omitted", u"Join", K::Method, {}, {}, nullptr, 449},
      {"required given as missing", u"Join", K::Method, {missing, plus}, {}, nullptr, 449},
      {"missing marker in a ParamArray", u"Count", K::Method, {Variant(1), missing}, {}, nullptr, 449},
      {"too many", u"Join", K::Method, {a, a, a, a}, {}, nullptr, 450},
      {"arguments to a property without parameters", u"Value", K::PropertyGet, {Variant(1)}, {}, nullptr, 450},
      {"let without a value", u"Value", K::PropertyLet, {}, {}, nullptr, 450},
      {"let with an extra argument", u"Value", K::PropertyLet, {Variant(1), Variant(2)}, {}, nullptr, 450},
      {"property get called as a method", u"value", K::Method, {}, {}, u"41", 0},
      {"method called as a property get", u"Join", K::PropertyGet, {a}, {}, u"a-(missing)", 0},
      {"default member called as a method", u"", K::Method, {}, {}, u"41", 0},
      {"unknown member", u"Nope", K::Method, {}, {}, nullptr, 438},
      {"let of a read-only property", u"ReadOnly", K::PropertyLet, {Variant(1)}, {}, nullptr, 438},
      {"get of a write-only property", u"Tag", K::PropertyGet, {}, {}, nullptr, 438},
      {"argument of the wrong kind", u"Half", K::Method, {Variant(u"x")}, {}, nullptr, 13},
      {"argument out of range", u"Half", K::Method, {Variant(1e10)}, {}, nullptr, 6},
      {"argument converted", u"Half", K::Method, {Variant(u"9")}, {}, u"4", 0},
  };
  for (const auto& r : rows) {
    auto s = std::make_shared<Sample>();
    s->value = 41;
    std::vector<Variant> args = r.args;
    std::vector<qa::NamedArg> named = r.named;
    Variant result;
    EXPECT_EQ(errorOf([&] { result = s->invoke(r.member, r.kind, args, named); }), r.error) << r.what;
    if (r.result) {
      EXPECT_EQ(result.toString(), r.result) << r.what;
    }
  }
}

TEST(Dispatch, ByReferenceWriteBackReachesPositionalAndNamedArguments) {
  auto s = std::make_shared<Sample>();
  std::vector<Variant> args{Variant(1), Variant(u"two")};
  std::vector<qa::NamedArg> none;
  s->invoke(u"Swap", qa::InvokeKind::Method, args, none);
  EXPECT_EQ(args[0].toString(), u"two");
  EXPECT_EQ(args[1].toLong(), 1);

  std::vector<Variant> noArgs;
  std::vector<qa::NamedArg> named{{u"b", Variant(2)}, {u"a", Variant(u"one")}};
  s->invoke(u"Swap", qa::InvokeKind::Method, noArgs, named);
  EXPECT_EQ(named[0].value.toString(), u"one");
  EXPECT_EQ(named[1].value.toLong(), 2);

  // An omitted by-reference parameter with a default runs with the default and writes
  // nowhere; a named one receives the result.
  s->value = 3;
  EXPECT_EQ(errorOf([&] { s->call(u"Find", {Variant(3)}); }), 0);
  std::vector<Variant> what{Variant(3)};
  std::vector<qa::NamedArg> found{{u"IsFound", Variant(false)}};
  s->invoke(u"Find", qa::InvokeKind::Method, what, found);
  EXPECT_EQ(found[0].value.type(), qa::vbBoolean);
  EXPECT_TRUE(found[0].value.toBool());
}

TEST(Dispatch, LetAndSetTakeEachOthersForm) {
  auto s = std::make_shared<Sample>();
  auto other = std::make_shared<Sample>();
  s->let(u"Picture", Variant(qa::ObjectPtr(other)));  // only a Set is declared
  EXPECT_EQ(s->picture, other);
  EXPECT_EQ(s->get(u"Picture").toObject(), other);
  s->set(u"Tag", other);  // only a Let is declared
  EXPECT_EQ(s->tag.toObject(), other);
  EXPECT_EQ(errorOf([&] { s->set(u"ReadOnly", other); }), 438);
}

TEST(Dispatch, ObjectsWithoutATableAnswer438) {
  auto plain = std::make_shared<qa::Object>();
  EXPECT_EQ(errorOf([&] { plain->get(u"Anything"); }), 438);
  EXPECT_EQ(errorOf([&] { Variant(qa::ObjectPtr(plain)).toLong(); }), 438);  // no default member
  EXPECT_EQ(plain->className(), u"Object");
}

TEST(Events, SinksChangeArgumentsAndMayUnsubscribe) {
  auto s = std::make_shared<Sample>();
  std::vector<std::u16string> seen;
  qa::Object::Cookie second = 0;
  auto first =
      s->advise(std::make_shared<qa::FunctionSink>([&](qa::Object&, std::u16string_view name, std::vector<Variant>& a) {
        seen.push_back(std::u16string(name));
        a[0] = Variant(a[0].toLong() * 2);
        s->unadvise(second);  // the second sink must not run in this round
      }));
  second = s->advise(std::make_shared<qa::FunctionSink>(
      [&](qa::Object&, std::u16string_view, std::vector<Variant>& a) { a[0] = Variant(-1); }));
  EXPECT_EQ(s->call(u"Fire", {Variant(21)}).toLong(), 42);
  EXPECT_EQ(seen.size(), 1u);
  s->unadvise(first);
  EXPECT_EQ(s->call(u"Fire", {Variant(5)}).toLong(), 5);
  EXPECT_EQ(errorOf([&] { s->unadvise(first); }), 5);
}

// Sinks that record what they saw, and may act on the source while the event runs.
struct Recorder {
  std::vector<std::u16string> order;
  std::shared_ptr<qa::FunctionSink> sink(std::u16string label, std::function<void()> action = {}) {
    return std::make_shared<qa::FunctionSink>(
        [this, label = std::move(label), action = std::move(action)](qa::Object&, std::u16string_view, auto&) {
          order.push_back(label);
          if (action) action();
        });
  }
  std::u16string seen() {
    std::u16string r;
    for (const auto& l : order) r += l;
    order.clear();
    return r;
  }
};

TEST(Events, ASinkUnsubscribingItselfLetsTheOthersRun) {
  auto s = std::make_shared<Sample>();
  Recorder rec;
  qa::Object::Cookie b = 0;
  s->advise(rec.sink(u"a"));
  b = s->advise(rec.sink(u"b", [&] { s->unadvise(b); }));
  s->advise(rec.sink(u"c"));
  std::vector<Variant> args;
  s->raiseEvent(u"Tick", args);
  EXPECT_EQ(rec.seen(), u"abc");
  s->raiseEvent(u"Tick", args);
  EXPECT_EQ(rec.seen(), u"ac");
}

TEST(Events, ASinkSubscribedDuringAnEventRunsFromTheNextOne) {
  auto s = std::make_shared<Sample>();
  Recorder rec;
  bool added = false;
  s->advise(rec.sink(u"a", [&] {
    if (!added) s->advise(rec.sink(u"n"));
    added = true;
  }));
  s->advise(rec.sink(u"b"));
  std::vector<Variant> args;
  s->raiseEvent(u"Tick", args);
  EXPECT_EQ(rec.seen(), u"ab");
  s->raiseEvent(u"Tick", args);
  EXPECT_EQ(rec.seen(), u"abn");
}

TEST(Events, ASinkMayUnsubscribeEveryoneAndDropTheSource) {
  auto s = std::make_shared<Sample>();
  std::weak_ptr<Sample> watch = s;
  Sample* raw = s.get();
  Recorder rec;
  std::vector<qa::Object::Cookie> cookies;
  cookies.push_back(raw->advise(rec.sink(u"a", [&] {
    for (auto c : cookies) raw->unadvise(c);
    s.reset();  // the last reference but the one the round holds
  })));
  cookies.push_back(raw->advise(rec.sink(u"b")));
  std::vector<Variant> args;
  raw->raiseEvent(u"Tick", args);
  EXPECT_EQ(rec.seen(), u"a");
  EXPECT_TRUE(watch.expired());  // gone once the round ended
}

TEST(Events, ErrorsOfASinkReachTheRaiser) {
  auto s = std::make_shared<Sample>();
  Recorder rec;
  s->advise(rec.sink(u"a", [] { throw RuntimeError(380); }));
  EXPECT_EQ(errorOf([&] { s->call(u"Fire", {Variant(1)}); }), 380);
  EXPECT_TRUE(s->hasSinks());  // still subscribed
  EXPECT_EQ(errorOf([&] { s->advise(nullptr); }), 91);
}

TEST(StandardObjects, ErrFontAndPicture) {
  auto err = qa::ErrObject::create({53, u"", u"src", u"", 0});
  EXPECT_EQ(err->get(u"Number").toLong(), 53);
  EXPECT_EQ(err->get(u"Source").toString(), u"src");
  EXPECT_EQ(errorOf([&] { err->call(u"Raise", {Variant(9)}); }), 9);
  EXPECT_EQ(err->get(u"Description").toString(), u"Subscript out of range");

  auto font = qa::StdFont::create();
  font->let(u"Bold", Variant(true));
  EXPECT_EQ(font->get(u"Weight").toLong(), 700);
  font->let(u"Weight", Variant(qa::Integer{400}));
  EXPECT_FALSE(font->get(u"Bold").toBool());
  font->let(u"Size", Variant(10.5));
  EXPECT_EQ(font->get(u"Size").toDouble(), 10.5);
  EXPECT_EQ(errorOf([&] { font->let(u"Size", Variant(-1)); }), 380);

  int released = 0;
  {
    auto pic = qa::StdPicture::create({qa::Integer{1}, 0x1234, 0, 2540, 1270},
                                      [&](const qa::PictureDesc& d) { released += d.handle == 0x1234; });
    EXPECT_EQ(pic->get(u"Handle").toLong(), 0x1234);
    EXPECT_EQ(pic->get(u"Type").toLong(), 1);
    EXPECT_EQ(pic->get(u"Width").toLong(), 2540);
  }
  EXPECT_EQ(released, 1);
  EXPECT_EQ(qa::handleFromVariant(qa::handleToVariant(0x7FFF12345678u)), 0x7FFF12345678u);
  EXPECT_EQ(qa::handleFromVariant(qa::handleToVariant(0xFFFFFFF0u)), 0xFFFFFFF0u);
}

}  // namespace
