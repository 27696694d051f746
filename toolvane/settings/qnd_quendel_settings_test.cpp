#include "toolvane/settings/qnd_quendel_settings.h"

#include <gtest/gtest.h>

#include "automation/activation.h"
#include "automation/app_object.h"
#include "automation/std_font.h"
#include "support/testing.h"
#include "toolvane/settings/password_cryptor.h"
#include "toolvane/settings/settings_test_support.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;
using namespace quendel::automation;
using testing::SettingsTest;

class SettingsStoreTest : public SettingsTest {
 protected:
  static ObjectPtr app(const char16_t* title, LONG major, LONG minor) {
    AppInfo info;
    info.title = title;
    info.major = major;
    info.minor = minor;
    return AppObject::create(std::move(info));
  }
  // Reads a value straight through a registry object, without any fall-back.
  Variant raw(LONG root, const String& path, const String& name, LONG type, bool* ok = nullptr) {
    return reg.GetValue(root, path, name, type, ok);
  }
  qndQuendelSettings s;
  qndRegistry reg;
};

TEST_F(SettingsStoreTest, KeyPaths) {
  EXPECT_EQ(s.GetSettingPath(), u"Software\\Kestrane\\Quendel\\Quendel - Grumm\\Version 0.0");
  EXPECT_EQ(s.GetSettingPath(u"Quendel - Grumm", 2, 5), u"Software\\Kestrane\\Quendel\\Quendel - Grumm\\Version 2.5");
  EXPECT_EQ(s.GetSettingPath(u"Quendel - Grumm", 2, 5, u"Fonts\\Main"),
            u"Software\\Kestrane\\Quendel\\Quendel - Grumm\\Version 2.5\\Fonts\\Main");
  EXPECT_EQ(s.GetSettingPath(u"T", -1, 10), u"Software\\Kestrane\\Quendel\\T\\Version -1.10");
  EXPECT_EQ(s.GetSettingPath2(app(u"Quendel - Pixgrow", 1, 1), u"Main"),
            u"Software\\Kestrane\\Quendel\\Quendel - Pixgrow\\Version 1.1\\Main");
}

TEST_F(SettingsStoreTest, SaveAndLoadUnderTheVersionKey) {
  ASSERT_TRUE(s.SaveSetting(u"Main", u"LastFile", rtString, Variant(u"a.png"), u"Quendel - Grumm", 1, 0));
  EXPECT_EQ(
      raw(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\Quendel - Grumm\\Version 1.0\\Main", u"LastFile", rtString)
          .toString(),
      u"a.png");
  bool ok = false;
  EXPECT_EQ(
      s.LoadSetting(u"Main", u"LastFile", rtString, u"Quendel - Grumm", 1, 0, Variant::missing(), true, &ok).toString(),
      u"a.png");
  EXPECT_TRUE(ok);
  // An empty SubKey is the version key itself; the empty value name its default value.
  ASSERT_TRUE(s.SaveSetting(u"", u"", rtLong, Variant(LONG{9}), u"T", 3, 1));
  EXPECT_EQ(raw(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\T\\Version 3.1", u"", rtLong).toLong(), 9);
  EXPECT_EQ(s.LoadSetting(u"", u"", rtLong, u"T", 3, 1).toLong(), 9);
}

TEST_F(SettingsStoreTest, MachineSettingsLiveUnderTheMachineRoot) {
  ASSERT_TRUE(s.SaveSetting(u"Main", u"v", rtLong, Variant(LONG{1}), u"T", 1, 0, false));
  const String path = u"Software\\Kestrane\\Quendel\\T\\Version 1.0\\Main";
  EXPECT_EQ(raw(kRootLocalMachine, path, u"v", rtLong).toLong(), 1);
  EXPECT_FALSE(reg.IsKeyExist(kRootCurrentUser, path));
  bool ok = true;
  s.LoadSetting(u"Main", u"v", rtLong, u"T", 1, 0, Variant::missing(), true, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.LoadSetting(u"Main", u"v", rtLong, u"T", 1, 0, Variant::missing(), false, &ok).toLong(), 1);
  EXPECT_TRUE(ok);
}

TEST_F(SettingsStoreTest, FallBackToTheNewestEarlierVersion) {
  ASSERT_TRUE(s.SaveSetting(u"Main", u"v", rtString, Variant(u"from 1.0"), u"T", 1, 0));
  ASSERT_TRUE(s.SaveSetting(u"Main", u"v", rtString, Variant(u"from 0.5"), u"T", 0, 5));
  ASSERT_TRUE(s.SaveSetting(u"Main", u"v", rtString, Variant(u"from 2.0"), u"T", 2, 0));
  struct Row {
    LONG major, minor;
    const char16_t* expected;  // null: not found
  } rows[] = {{1, 2, u"from 1.0"},  {1, 0, u"from 1.0"}, {0, 9, u"from 0.5"}, {0, 4, nullptr},
              {1, 10, u"from 1.0"}, {3, 0, u"from 2.0"}, {0, 0, nullptr}};
  for (const auto& r : rows) {
    bool ok = !r.expected;
    Variant v = s.LoadSetting(u"Main", u"v", rtString, u"T", r.major, r.minor, Variant(u"dflt"), true, &ok);
    EXPECT_EQ(ok, r.expected != nullptr) << r.major << "." << r.minor;
    EXPECT_EQ(v.toString(), r.expected ? r.expected : u"dflt") << r.major << "." << r.minor;
  }
  // The fall-back only reads: nothing was copied into 1.2, and once 1.2 has its own value it wins.
  EXPECT_FALSE(reg.IsKeyExist(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\T\\Version 1.2"));
  ASSERT_TRUE(s.SaveSetting(u"Main", u"v", rtString, Variant(u"own"), u"T", 1, 2));
  EXPECT_EQ(s.LoadSetting(u"Main", u"v", rtString, u"T", 1, 2).toString(), u"own");
  // A value missing in the newest earlier version is not looked for in older ones.
  ASSERT_TRUE(s.SaveSetting(u"Main", u"old only", rtLong, Variant(LONG{5}), u"T", 0, 5));
  bool ok = true;
  s.LoadSetting(u"Main", u"old only", rtLong, u"T", 1, 2, Variant::missing(), true, &ok);
  EXPECT_FALSE(ok);
}

TEST_F(SettingsStoreTest, VersionZeroNeverFallsBack) {
  // A version key "-1.0" compares lower than 0.0 only by its non-digit component, which
  // counts as 0: the finder would not pick it, and 0.0 does not ask the finder anyway.
  ASSERT_TRUE(s.SaveSetting(u"", u"v", rtLong, Variant(LONG{1}), u"T", 0, 0));
  ASSERT_TRUE(reg.DeleteValue(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\T\\Version 0.0", u"v"));
  bool ok = true;
  EXPECT_EQ(s.LoadSetting(u"", u"v", rtLong, u"T", 0, 0, Variant::missing(), true, &ok).toLong(), 0);
  EXPECT_FALSE(ok);
}

TEST_F(SettingsStoreTest, DefaultsOfMissingValues) {
  bool ok = true;
  Variant v = s.LoadSetting(u"Main", u"n", rtLong, u"T", 1, 0, Variant::missing(), true, &ok);
  EXPECT_EQ(v.type(), vbLong);
  EXPECT_EQ(v.toLong(), 0);
  EXPECT_FALSE(ok);
  ok = true;
  v = s.LoadSetting(u"Main", u"n", rtLong, u"T", 1, 0, Variant(LONG{42}), true, &ok);
  EXPECT_EQ(v.toLong(), 42);
  EXPECT_FALSE(ok);
  // The default is returned as given, whatever its subtype.
  EXPECT_EQ(s.LoadSetting(u"Main", u"n", rtLong, u"T", 1, 0, Variant(u"text")).toString(), u"text");
  EXPECT_EQ(s.LoadSetting(u"Main", u"b", rtBinary, u"T", 1, 0).array(), nullptr);
}

TEST_F(SettingsStoreTest, RefusedSavesCreateNothing) {
  EXPECT_FALSE(s.SaveSetting(u"Main", u"n", rtLong, Variant(5.5), u"T", 1, 0));
  EXPECT_FALSE(s.SaveSetting(u"Main", u"n", rtLong, Variant::missing(), u"T", 1, 0));
  EXPECT_FALSE(s.SaveSetting(u"Main", u"n", 9, Variant(LONG{1}), u"T", 1, 0));
  EXPECT_FALSE(reg.IsKeyExist(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\T"));
}

TEST_F(SettingsStoreTest, ApplicationObjectForms) {
  auto a = app(u"Quendel - Pixgrow", 1, 2);
  ASSERT_TRUE(s.SaveSetting2(u"Main", u"v", rtBoolean, Variant(true), a));
  bool ok = false;
  EXPECT_TRUE(s.LoadSetting2(u"Main", u"v", rtBoolean, a, Variant::missing(), true, &ok).toBool());
  EXPECT_TRUE(ok);
  EXPECT_TRUE(s.LoadSetting2(u"Main", u"v", rtBoolean, app(u"Quendel - Pixgrow", 1, 3)).toBool());  // fall-back
  EXPECT_TRUE(
      raw(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\Quendel - Pixgrow\\Version 1.2\\Main", u"v", rtBoolean)
          .toBool());
  for (auto call : {+[](qndQuendelSettings& q) { q.LoadSetting2(u"Main", u"v", rtString, nullptr); },
                    +[](qndQuendelSettings& q) { q.SaveSetting2(u"Main", u"v", rtString, Variant(u"x"), nullptr); },
                    +[](qndQuendelSettings& q) { q.GetSettingPath2(nullptr); }}) {
    EXPECT_EQ(errorOf([&] { call(s); }), 91);
  }
}

TEST_F(SettingsStoreTest, LateBoundMembers) {
  ObjectPtr o = createObject(u"TvFuncs0305.qndQuendelSettings");
  ObjectPtr a = app(u"LB", 4, 2);
  std::vector<NamedArg> none;
  std::vector<Variant> args{Variant(u"K"), Variant(u"v"), Variant(LONG{rtLong}), Variant(LONG{77}), Variant(a)};
  EXPECT_TRUE(o->callRef(u"SaveSetting2", args).toBool());
  args = {Variant(u"K"),      Variant(u"v"), Variant(LONG{rtLong}), Variant(a),
          Variant::missing(), Variant(true), Variant(false)};
  EXPECT_EQ(o->callRef(u"LoadSetting2", args).toLong(), 77);
  EXPECT_TRUE(args[6].toBool());
  // VerMajor and VerMinor omitted: version 0.0.
  EXPECT_EQ(o->call(u"GetSettingPath", {Variant(u"X")}).toString(), u"Software\\Kestrane\\Quendel\\X\\Version 0.0");
  std::vector<Variant> positional{Variant(u"K"), Variant(u"v")};
  std::vector<NamedArg> named{{u"ValueType", Variant(LONG{rtLong})},
                              {u"AppTitle", Variant(u"LB")},
                              {u"VerMajor", Variant(LONG{4})},
                              {u"VerMinor", Variant(LONG{2})}};
  EXPECT_EQ(o->invoke(u"LoadSetting", InvokeKind::Method, positional, named).toLong(), 77);
  EXPECT_EQ(errorOf([&] { o->call(u"LoadSetting2", {Variant(u"K")}); }), 91);
}

// --- Fonts ---

TEST_F(SettingsStoreTest, FontValuesAndRoundTrip) {
  auto a = app(u"F", 1, 0);
  FontDesc fd;
  fd.name = u"DejaVu Sans \u0428";
  fd.size = Currency{82500};  // 8.25 points
  fd.italic = true;
  fd.underline = true;
  fd.weight = Integer{700};
  fd.charset = Integer{204};
  ASSERT_TRUE(s.SaveFont2(u"Main", StdFont::create(fd), a));
  const String key = u"Software\\Kestrane\\Quendel\\F\\Version 1.0\\Main";
  auto names = reg.GetValuesNames(kRootCurrentUser, key);
  std::vector<String> order;
  for (auto& v : names->items()) order.push_back(v.toString());
  EXPECT_EQ(order, (std::vector<String>{u"Size", u"Size2", u"Italic", u"Strikethrough", u"Underline", u"Charset",
                                        u"Weight", u"Name"}));
  EXPECT_EQ(raw(kRootCurrentUser, key, u"Size", rtLong).toLong(), 8);
  EXPECT_EQ(raw(kRootCurrentUser, key, u"Size2", rtLong).toLong(), 8250);
  EXPECT_EQ(raw(kRootCurrentUser, key, u"Italic", rtString).toString(), u"True");
  EXPECT_EQ(raw(kRootCurrentUser, key, u"Strikethrough", rtString).toString(), u"False");

  ObjectPtr loaded = s.LoadFont2(u"Main", a);
  ASSERT_NE(loaded, nullptr);
  auto* f = dynamic_cast<StdFont*>(loaded.get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Size().scaled, 82500);
  EXPECT_EQ(f->Name(), fd.name);
  EXPECT_TRUE(f->Italic());
  EXPECT_TRUE(f->Underline());
  EXPECT_FALSE(f->Strikethrough());
  EXPECT_TRUE(f->Bold());
  EXPECT_EQ(f->Weight().value, 700);
  EXPECT_EQ(f->Charset().value, 204);
}

TEST_F(SettingsStoreTest, FontSizesRoundHalfToEven) {
  auto a = app(u"F", 1, 0);
  struct Row {
    std::int64_t scaled;
    LONG size, size2;
  } rows[] = {{85000, 8, 8500}, {95000, 10, 9500}, {82500, 8, 8250},
              {12345, 1, 1234}, {12355, 1, 1236},  {21600000, 2160, 2160000}};
  for (const auto& r : rows) {
    FontDesc fd;
    fd.size = Currency{r.scaled};
    ASSERT_TRUE(s.SaveFont2(u"R", StdFont::create(fd), a));
    EXPECT_EQ(s.LoadSetting2(u"R", u"Size", rtLong, a).toLong(), r.size) << r.scaled;
    EXPECT_EQ(s.LoadSetting2(u"R", u"Size2", rtLong, a).toLong(), r.size2) << r.scaled;
  }
  EXPECT_FALSE(s.SaveFont2(u"R", nullptr, a));
}

TEST_F(SettingsStoreTest, FontValuesFallBackOneByOne) {
  auto a = app(u"F", 1, 0);
  // Only "Size" 10: a 10-point font, everything else from the new standard font.
  ASSERT_TRUE(s.SaveSetting2(u"Only size", u"Size", rtLong, Variant(LONG{10}), a));
  ObjectPtr held = s.LoadFont2(u"Only size", a);
  auto* f = dynamic_cast<StdFont*>(held.get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Size().scaled, 100000);
  FontDesc standard;
  EXPECT_EQ(f->Name(), standard.name);
  EXPECT_EQ(f->Weight().value, standard.weight.value);

  // An empty key and no Default: a font with the properties of a new standard font.
  held = s.LoadFont2(u"Nothing here", a);
  f = dynamic_cast<StdFont*>(held.get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Size().scaled, standard.size.scaled);
  EXPECT_EQ(f->Name(), standard.name);

  // With a Default: its properties fill the gaps, and the result is a new object.
  FontDesc d;
  d.name = u"Mono";
  d.size = Currency{120000};
  d.strikethrough = true;
  auto def = StdFont::create(d);
  ASSERT_TRUE(s.SaveSetting2(u"Part", u"Name", rtString, Variant(u"Serif"), a));
  ObjectPtr loaded = s.LoadFont2(u"Part", a, def);
  f = dynamic_cast<StdFont*>(loaded.get());
  ASSERT_NE(f, nullptr);
  EXPECT_NE(loaded, ObjectPtr(def));
  EXPECT_EQ(f->Name(), u"Serif");
  EXPECT_EQ(f->Size().scaled, 120000);
  EXPECT_TRUE(f->Strikethrough());

  // "Size2" wins over "Size".
  ASSERT_TRUE(s.SaveSetting2(u"Part", u"Size", rtLong, Variant(LONG{20}), a));
  ASSERT_TRUE(s.SaveSetting2(u"Part", u"Size2", rtLong, Variant(LONG{9750}), a));
  held = s.LoadFont2(u"Part", a);
  ASSERT_NE(dynamic_cast<StdFont*>(held.get()), nullptr);
  EXPECT_EQ(dynamic_cast<StdFont*>(held.get())->Size().scaled, 97500);
}

TEST_F(SettingsStoreTest, UnusableStoredFontGivesTheDefault) {
  auto a = app(u"F", 1, 0);
  for (auto [name, value] : {std::pair{u"Size2", LONG{-5}}, std::pair{u"Size2", LONG{0}},
                             std::pair{u"Size2", LONG{2160001}}, std::pair{u"Weight", LONG{5000}}}) {
    String key = String(u"Bad ") + name + u" " + String(cp::fromUtf8(std::to_string(value)));
    ASSERT_TRUE(s.SaveSetting2(key, name, rtLong, Variant(value), a));
    auto def = StdFont::create();
    EXPECT_EQ(s.LoadFont2(key, a, def), ObjectPtr(def)) << cp::toUtf8(key);
    EXPECT_EQ(s.LoadFont2(key, a), nullptr) << cp::toUtf8(key);
  }
}

// --- Proxy settings ---

// A client's proxy settings object: six properties reached by name.
class ProxyObject : public Object {
 public:
  Variant props[6];
  static constexpr const char16_t* kNames[6] = {u"HTTP_AccessType",  u"HTTP_Address",  u"HTTP_BypassList",
                                                u"HTTP_BypassLocal", u"HTTP_UserName", u"HTTP_Password"};
  Variant invoke(std::u16string_view member, InvokeKind kind, std::vector<Variant>& args,
                 std::vector<NamedArg>&) override {
    for (int i = 0; i < 6; ++i) {
      if (!equalsText(member, kNames[i])) continue;
      if (kind == InvokeKind::PropertyLet) {
        props[i] = args.back();
        return Variant();
      }
      return props[i];
    }
    throw RuntimeError(438);
  }
};

TEST_F(SettingsStoreTest, ProxySettingsRoundTrip) {
  auto a = app(u"P", 2, 0);
  auto in = std::make_shared<ProxyObject>();
  in->props[0] = Variant(LONG{3});
  in->props[1] = Variant(u"proxy.example:3128");
  in->props[2] = Variant(u"*.local;10.*");
  in->props[3] = Variant(true);
  in->props[4] = Variant(u"\u0418\u0432\u0430\u043d");
  in->props[5] = Variant(u"p\u00e4ss \"w%rd\"");
  ASSERT_TRUE(s.SaveProxySettings2(in, u"HTTP Proxy", a));

  const String key = u"Software\\Kestrane\\Quendel\\P\\Version 2.0\\HTTP Proxy";
  String stored = raw(kRootCurrentUser, key, u"Password", rtString).toString();
  EXPECT_EQ(stored.size(), 4u * 12);  // 11 characters, one of them two bytes in UTF-8
  EXPECT_EQ(stored.find(u'p'), String::npos);
  EXPECT_EQ(raw(kRootCurrentUser, key, u"BypassLocal", rtString).toString(), u"True");
  EXPECT_EQ(raw(kRootCurrentUser, key, u"AccessType", rtLong).toLong(), 3);

  auto out = std::make_shared<ProxyObject>();
  EXPECT_TRUE(s.LoadProxySettings2(out, u"HTTP Proxy", app(u"P", 2, 1)));  // through the fall-back
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(variantEquals(out->props[i], in->props[i])) << i;
}

TEST_F(SettingsStoreTest, ProxySettingsMissingOrDamaged) {
  auto a = app(u"P", 1, 0);
  auto in = std::make_shared<ProxyObject>();
  in->props[0] = Variant(LONG{1});
  for (int i = 1; i < 6; ++i) in->props[i] = Variant(u"x");
  in->props[3] = Variant(false);
  ASSERT_TRUE(s.SaveProxySettings2(in, u"HTTP Proxy", a));
  const String key = u"Software\\Kestrane\\Quendel\\P\\Version 1.0\\HTTP Proxy";

  // An empty password is stored as an empty text.
  in->props[5] = Variant(u"");
  ASSERT_TRUE(s.SaveProxySettings2(in, u"HTTP Proxy", a));
  EXPECT_EQ(raw(kRootCurrentUser, key, u"Password", rtString).toString(), u"");

  // Six digits: found, but loads as the empty password.
  ASSERT_TRUE(reg.SetValue(kRootCurrentUser, key, u"Password", rtString, Variant(u"9C009D")));
  auto out = std::make_shared<ProxyObject>();
  out->props[5] = Variant(u"old");
  EXPECT_TRUE(s.LoadProxySettings2(out, u"HTTP Proxy", a));
  EXPECT_EQ(out->props[5].toString(), u"");

  // No "Password": False, and every property is assigned, the missing one with "".
  ASSERT_TRUE(reg.DeleteValue(kRootCurrentUser, key, u"Password"));
  out = std::make_shared<ProxyObject>();
  EXPECT_FALSE(s.LoadProxySettings2(out, u"HTTP Proxy", a));
  EXPECT_EQ(out->props[0].toLong(), 1);
  EXPECT_EQ(out->props[5].type(), vbString);
  EXPECT_EQ(out->props[5].toString(), u"");

  // Nothing stored at all: the defaults 0, "", "", False, "", "".
  out = std::make_shared<ProxyObject>();
  EXPECT_FALSE(s.LoadProxySettings2(out, u"Other", a));
  EXPECT_EQ(out->props[0].type(), vbLong);
  EXPECT_EQ(out->props[3].type(), vbBoolean);
  EXPECT_FALSE(out->props[3].toBool());
}

TEST_F(SettingsStoreTest, ProxyPasswordOutsideTheCodePageRaisesAfterTheOtherValues) {
  setenv("QUENDEL_ACP", "1251", 1);
  cp::resetForTests();
  auto a = app(u"P", 1, 0);
  auto in = std::make_shared<ProxyObject>();
  in->props[0] = Variant(LONG{2});
  for (int i = 1; i < 6; ++i) in->props[i] = Variant(u"v");
  in->props[3] = Variant(true);
  in->props[5] = Variant(u"\u65e5\u672c");
  EXPECT_EQ(errorOf([&] { s.SaveProxySettings2(in, u"HTTP Proxy", a); }), 6);
  const String key = u"Software\\Kestrane\\Quendel\\P\\Version 1.0\\HTTP Proxy";
  bool ok = false;
  raw(kRootCurrentUser, key, u"UserName", rtString, &ok);
  EXPECT_TRUE(ok);
  raw(kRootCurrentUser, key, u"Password", rtString, &ok);
  EXPECT_FALSE(ok);
}

TEST_F(SettingsStoreTest, ProxyObjectWithoutAPropertyRaises) {
  auto in = std::make_shared<ProxyObject>();
  auto plain = app(u"no proxy properties", 1, 0);
  EXPECT_EQ(errorOf([&] { s.SaveProxySettings2(plain, u"HTTP Proxy", app(u"P", 1, 0)); }), 438);
  EXPECT_EQ(errorOf([&] { s.LoadProxySettings2(in, u"HTTP Proxy", nullptr); }), 91);
}

}  // namespace
}  // namespace quendel::toolvane
