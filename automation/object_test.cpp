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
  std::u16string last;

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
