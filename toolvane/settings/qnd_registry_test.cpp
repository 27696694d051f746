#include "toolvane/settings/qnd_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "automation/activation.h"
#include "platform/registry/registry.h"
#include "toolvane/settings/settings_test_support.h"

namespace quendel::toolvane {
namespace {

using namespace quendel::automation;
using testing::SettingsTest;

constexpr LONG HKCU = kRootCurrentUser;

// The stored registry type and bytes of a value, straight from the registry.
struct Stored {
  LONG status = -1;
  DWORD type = 0;
  std::vector<BYTE> data;
};
Stored readStored(const char* path, const char* name) {
  Stored s;
  HKEY key = nullptr;
  s.status = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key);
  if (s.status != ERROR_SUCCESS) return s;
  DWORD size = 0;
  s.status = RegQueryValueExA(key, name, nullptr, &s.type, nullptr, &size);
  s.data.resize(size);
  if (s.status == ERROR_SUCCESS && size) s.status = RegQueryValueExA(key, name, nullptr, &s.type, s.data.data(), &size);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  return s;
}
LONG writeRaw(const char* path, const char* name, DWORD type, std::vector<BYTE> data) {
  HKEY key = nullptr;
  LONG st = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (st != ERROR_SUCCESS) return st;
  st = RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  return st;
}
std::vector<BYTE> text(const char* s, bool zero = true) {
  std::vector<BYTE> b(s, s + std::strlen(s));
  if (zero) b.push_back(0);
  return b;
}
std::vector<String> strings(const std::shared_ptr<Collection>& c) {
  std::vector<String> out;
  for (const Variant& v : c->items()) out.push_back(v.toString());
  return out;
}

class RegistryTest : public SettingsTest {
 protected:
  qndRegistry reg;
};

TEST_F(RegistryTest, ValueTypesStoreAndReadBack) {
  struct Row {
    const char* what;
    LONG type;
    Variant value;
    DWORD storedType;
    std::vector<BYTE> storedBytes;
    Variant readBack;
  } rows[] = {
      {"text", rtString, Variant(u"h\u00e9llo"), REG_SZ, text("h\xc3\xa9llo"), Variant(u"h\u00e9llo")},
      {"empty text", rtString, Variant(u""), REG_SZ, {0}, Variant(u"")},
      {"text with NUL", rtString, Variant(String(u"ab\0cd", 5)), REG_SZ, {'a', 'b', 0, 'c', 'd', 0}, Variant(u"ab")},
      {"Long", rtLong, Variant(LONG{0x01020304}), REG_DWORD, {4, 3, 2, 1}, Variant(LONG{0x01020304})},
      {"negative Long", rtLong, Variant(LONG{-2}), REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}, Variant(LONG{-2})},
      {"Integer", rtLong, Variant(Integer{5}), REG_DWORD, {5, 0, 0, 0}, Variant(LONG{5})},
      {"Byte", rtLong, Variant(BYTE{200}), REG_DWORD, {200, 0, 0, 0}, Variant(LONG{200})},
      {"bytes", rtBinary, bytes({1, 2, 0, 3}, 5), REG_BINARY, {1, 2, 0, 3}, bytes({1, 2, 0, 3})},
      {"True", rtBoolean, Variant(true), REG_SZ, text("True"), Variant(true)},
      {"False", rtBoolean, Variant(false), REG_SZ, text("False"), Variant(false)},
      {"long text", rtString, Variant(String(3000, u'q')), REG_SZ, text(std::string(3000, 'q').c_str()),
       Variant(String(3000, u'q'))},
      {"256 bytes", rtBinary, bytes(std::vector<BYTE>(256, 7)), REG_BINARY, std::vector<BYTE>(256, 7),
       bytes(std::vector<BYTE>(256, 7))},
      {"257 bytes", rtBinary, bytes(std::vector<BYTE>(257, 9)), REG_BINARY, std::vector<BYTE>(257, 9),
       bytes(std::vector<BYTE>(257, 9))},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    ASSERT_TRUE(reg.SetValue(HKCU, u"Software\\T", u"v", r.type, r.value));
    EXPECT_EQ(reg.LastRegError(), 0);
    Stored s = readStored("Software\\T", "v");
    EXPECT_EQ(s.type, r.storedType);
    EXPECT_EQ(s.data, r.storedBytes);
    bool ok = false;
    Variant got = reg.GetValue(HKCU, u"Software\\T", u"v", r.type, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(got.type(), r.readBack.type());
    if (r.type == rtBinary) {
      EXPECT_EQ(got.array()->lbound(), 0);
      EXPECT_EQ(bytesOf(got), bytesOf(r.readBack));
    } else {
      EXPECT_TRUE(variantEquals(got, r.readBack));
    }
  }
}

TEST_F(RegistryTest, RefusedSubtypesMakeNoRegistryCall) {
  // A failed open leaves a known status to compare with.
  EXPECT_FALSE(reg.IsKeyExist(HKCU, u"Software\\Missing"));
  ASSERT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND);
  struct Row {
    LONG type;
    Variant value;
  } rows[] = {
      {rtLong, Variant(5.5)},        {rtLong, Variant(u"5")},      {rtLong, Variant(true)},
      {rtLong, Variant(5.0)},        {rtString, Variant(LONG{5})}, {rtString, Variant()},
      {rtBinary, Variant(LONG{1})},  {rtBinary, Variant(u"\x01")}, {rtBoolean, Variant(LONG{1})},
      {rtBoolean, Variant(u"True")}, {7, Variant(u"x")},           {-1, Variant(LONG{1})},
  };
  for (const auto& r : rows) {
    bool existed = true;
    EXPECT_FALSE(reg.SetValue(HKCU, u"Software\\Refused", u"v", r.type, r.value, &existed)) << r.type;
    EXPECT_TRUE(existed) << "left alone";
    EXPECT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND) << r.type;
  }
  auto longs = SafeArray::create(vbLong, 0, 2);
  EXPECT_FALSE(reg.SetValue(HKCU, u"Software\\Refused", u"v", rtBinary, Variant(longs)));
  EXPECT_FALSE(reg.IsKeyExist(HKCU, u"Software\\Refused"));
}

TEST_F(RegistryTest, StoredTextsReadAsBooleans) {
  struct Row {
    const char* stored;
    bool expected;
  } rows[] = {{"1", true},     {"TRUE", true},   {"True", true}, {"true", true}, {"  tRuE  ", true},
              {"\t1\t", true}, {"False", false}, {"0", false},   {"", false},    {"yes", false},
              {"-1", false},   {"TRUE1", false}, {"2", false}};
  for (const auto& r : rows) {
    ASSERT_EQ(writeRaw("Software\\B", "b", REG_SZ, text(r.stored)), 0);
    bool ok = false;
    EXPECT_EQ(reg.GetValue(HKCU, u"Software\\B", u"b", rtBoolean, &ok).toBool(), r.expected) << r.stored;
    EXPECT_TRUE(ok);
  }
}

TEST_F(RegistryTest, FailedReadsGiveTheEmptyValueOfTheirType) {
  ASSERT_TRUE(reg.CreateKey(HKCU, u"Software\\Present"));
  for (const char16_t* key : {u"Software\\Absent", u"Software\\Present"}) {
    for (LONG type : {rtString, rtLong, rtBinary, rtBoolean}) {
      bool ok = true;
      Variant v = reg.GetValue(HKCU, key, u"nope", type, &ok);
      EXPECT_FALSE(ok);
      EXPECT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND);
      switch (type) {
        case rtString:
          EXPECT_EQ(v.type(), vbString);
          EXPECT_EQ(v.toString(), u"");
          break;
        case rtLong:
          EXPECT_EQ(v.type(), vbLong);
          EXPECT_EQ(v.toLong(), 0);
          break;
        case rtBinary:
          EXPECT_EQ(v.type(), vbArray | vbByte);
          EXPECT_EQ(v.array(), nullptr);
          break;
        case rtBoolean:
          EXPECT_EQ(v.type(), vbBoolean);
          EXPECT_FALSE(v.toBool());
          break;
      }
    }
  }
  // An invalid type: Empty, no registry call, the status of the call before kept.
  bool ok = true;
  EXPECT_TRUE(reg.GetValue(HKCU, u"Software\\Present", u"", 7, &ok).isEmpty());
  EXPECT_FALSE(ok);
  EXPECT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, BytesAreReadAsTheRequestedType) {
  ASSERT_EQ(writeRaw("Software\\X", "sz", REG_SZ, text("abc")), 0);
  ASSERT_EQ(writeRaw("Software\\X", "dw", REG_DWORD, {1, 2, 3, 4}), 0);
  ASSERT_EQ(writeRaw("Software\\X", "short", REG_BINARY, {0x34, 0x12}), 0);
  ASSERT_EQ(writeRaw("Software\\X", "none", REG_BINARY, {}), 0);
  ASSERT_EQ(writeRaw("Software\\X", "raw", REG_BINARY, text("no zero", false)), 0);
  bool ok = false;
  EXPECT_EQ(reg.GetValue(HKCU, u"Software\\X", u"sz", rtLong, &ok).toLong(), 0x00636261);
  EXPECT_EQ(bytesOf(reg.GetValue(HKCU, u"Software\\X", u"dw", rtBinary, &ok)), (std::vector<BYTE>{1, 2, 3, 4}));
  // Fewer than four bytes: the missing high bytes count as zero.
  EXPECT_EQ(reg.GetValue(HKCU, u"Software\\X", u"short", rtLong, &ok).toLong(), 0x1234);
  EXPECT_TRUE(ok);
  // Text without its zero byte ends at the data's end.
  EXPECT_EQ(reg.GetValue(HKCU, u"Software\\X", u"raw", rtString, &ok).toString(), u"no zero");
  // Zero bytes: the value exists, so Success is True, and it reads as the empty value.
  for (LONG type : {rtString, rtLong, rtBinary, rtBoolean}) {
    ok = false;
    Variant v = reg.GetValue(HKCU, u"Software\\X", u"none", type, &ok);
    EXPECT_TRUE(ok) << type;
    EXPECT_EQ(reg.LastRegError(), 0);
    if (type == rtBinary)
      EXPECT_EQ(v.array(), nullptr);
    else
      EXPECT_TRUE(variantEquals(v, registry_values::EmptyValueFor(type))) << type;
  }
}

TEST_F(RegistryTest, UnallocatedByteArrayStoresZeroBytes) {
  ASSERT_TRUE(reg.SetValue(HKCU, u"Software\\U", u"b", rtBinary, Variant::unallocatedArray(vbByte)));
  Stored s = readStored("Software\\U", "b");
  EXPECT_EQ(s.type, REG_BINARY);
  EXPECT_TRUE(s.data.empty());
  bool ok = false;
  Variant v = reg.GetValue(HKCU, u"Software\\U", u"b", rtBinary, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(v.type(), vbArray | vbByte);
  EXPECT_EQ(v.array(), nullptr);
}

TEST_F(RegistryTest, KeyAlreadyExistTellsNewFromOld) {
  bool existed = true;
  ASSERT_TRUE(reg.SetValue(HKCU, u"Software\\A\\B\\C", u"v", rtString, Variant(u"x"), &existed));
  EXPECT_FALSE(existed);
  ASSERT_TRUE(reg.SetValue(HKCU, u"Software\\A\\B\\C", u"w", rtString, Variant(u"y"), &existed));
  EXPECT_TRUE(existed);
  existed = true;
  ASSERT_TRUE(reg.CreateKey(HKCU, u"Software\\A\\D", &existed));
  EXPECT_FALSE(existed);
  ASSERT_TRUE(reg.CreateKey(HKCU, u"software\\a\\d", &existed));
  EXPECT_TRUE(existed);
  EXPECT_TRUE(reg.IsKeyExist(HKCU, u"SOFTWARE\\A\\B"));
}

TEST_F(RegistryTest, ListsNamesInEnumerationOrder) {
  EXPECT_EQ(reg.GetSubKeysNames(HKCU, u"Software\\L"), nullptr);
  EXPECT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reg.GetValuesNames(HKCU, u"Software\\L"), nullptr);

  ASSERT_TRUE(reg.CreateKey(HKCU, u"Software\\L"));
  auto none = reg.GetSubKeysNames(HKCU, u"Software\\L");
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->count(), 0);
  ASSERT_NE(reg.GetValuesNames(HKCU, u"Software\\L"), nullptr);

  for (const char16_t* k : {u"beta", u"Alpha", u"\u00c9t\u00e9 \"quoted\" 100%", u"gamma"})
    ASSERT_TRUE(reg.CreateKey(HKCU, String(u"Software\\L\\") + k));
  for (const char16_t* v : {u"zeta", u"", u"Eta \u0416"})
    ASSERT_TRUE(reg.SetValue(HKCU, u"Software\\L", v, rtLong, Variant(LONG{1})));
  auto keys = reg.GetSubKeysNames(HKCU, u"Software\\L");
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(reg.LastRegError(), 0);
  auto names = strings(keys);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<String>{u"Alpha", u"beta", u"gamma", u"\u00c9t\u00e9 \"quoted\" 100%"}));
  auto values = reg.GetValuesNames(HKCU, u"Software\\L");
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(strings(values), (std::vector<String>{u"zeta", u"", u"Eta \u0416"}));  // creation order
}

TEST_F(RegistryTest, DeletingValuesAndKeys) {
  ASSERT_TRUE(reg.SetValue(HKCU, u"Software\\D\\Sub", u"v", rtLong, Variant(LONG{1})));
  EXPECT_FALSE(reg.DeleteValue(HKCU, u"Software\\D\\Sub", u"other"));
  EXPECT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(reg.DeleteValue(HKCU, u"Software\\D\\Nope", u"v"));
  EXPECT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND);

  EXPECT_FALSE(reg.DeleteKey(HKCU, u"Software\\D"));  // still has a subkey
  EXPECT_NE(reg.LastRegError(), 0);
  EXPECT_TRUE(reg.IsKeyExist(HKCU, u"Software\\D\\Sub"));

  EXPECT_TRUE(reg.DeleteValue(HKCU, u"Software\\D\\Sub", u"V"));
  EXPECT_TRUE(reg.DeleteKey(HKCU, u"Software\\D\\Sub"));
  ASSERT_TRUE(reg.SetValue(HKCU, u"Software\\D\\Sub\\Deeper", u"v", rtLong, Variant(LONG{1})));
  EXPECT_TRUE(reg.DeleteKeyRecurse(HKCU, u"Software\\D"));
  EXPECT_EQ(reg.LastRegError(), 0);
  EXPECT_FALSE(reg.IsKeyExist(HKCU, u"Software\\D"));
  EXPECT_FALSE(reg.DeleteKeyRecurse(HKCU, u"Software\\D"));
  EXPECT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AwkwardNames) {
  const String long255(255, u'k');
  const String nonAscii = u"\u041d\u0430\u0441\u0442\u0440\u043e\u0439\u043a\u0438 \u65e5\u672c";
  struct Row {
    String key, value;
  } rows[] = {
      {u"Software\\\"quoted\" 'single'", u"\"v\""},
      {u"Software\\100% %s %n %%", u"%d%s"},
      {u"Software\\" + nonAscii, nonAscii},
      {u"Software\\" + long255 + u"\\" + long255, long255},
      {u"Software\\tab\tand;semicolon", u"line\nbreak"},
  };
  for (const auto& r : rows) {
    ASSERT_TRUE(reg.SetValue(HKCU, r.key, r.value, rtString, Variant(r.value))) << cp::toUtf8(r.key);
    bool ok = false;
    EXPECT_EQ(reg.GetValue(HKCU, r.key, r.value, rtString, &ok).toString(), r.value);
    EXPECT_TRUE(ok);
  }
  const String tooLong = u"Software\\" + String(256, u'k');
  EXPECT_FALSE(reg.SetValue(HKCU, tooLong, u"v", rtString, Variant(u"x")));
  EXPECT_EQ(reg.LastRegError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(reg.CreateKey(HKCU, tooLong));
  EXPECT_EQ(reg.LastRegError(), ERROR_INVALID_PARAMETER);
  bool ok = true;
  reg.GetValue(HKCU, tooLong, u"v", rtString, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(reg.LastRegError(), ERROR_FILE_NOT_FOUND);
  // An empty component is a bad path, a NUL inside a name is refused.
  EXPECT_FALSE(reg.SetValue(HKCU, u"Software\\\\x", u"v", rtString, Variant(u"x")));
  EXPECT_EQ(reg.LastRegError(), 161);
  EXPECT_FALSE(reg.SetValue(HKCU, String(u"Software\\a\0b", 12), u"v", rtString, Variant(u"x")));
  EXPECT_EQ(reg.LastRegError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(reg.IsKeyExist(HKCU, u"Software\\a"));
}

TEST_F(RegistryTest, TextTheCodePageCannotHoldIsRefused) {
  setenv("QUENDEL_ACP", "1251", 1);
  cp::resetForTests();
  // Cyrillic is in the code page and round-trips; CJK is not and would become "?".
  ASSERT_TRUE(reg.SetValue(HKCU, u"Software\\\u041a\u043b\u044e\u0447", u"v", rtString, Variant(u"\u0416")));
  EXPECT_EQ(reg.GetValue(HKCU, u"Software\\\u041a\u043b\u044e\u0447", u"v").toString(), u"\u0416");
  EXPECT_FALSE(reg.SetValue(HKCU, u"Software\\\u65e5", u"v", rtString, Variant(u"x")));
  EXPECT_EQ(reg.LastRegError(), kErrorNoUnicodeTranslation);
  EXPECT_FALSE(reg.SetValue(HKCU, u"Software\\ok", u"v", rtString, Variant(u"\u65e5")));
  EXPECT_EQ(reg.LastRegError(), kErrorNoUnicodeTranslation);
  EXPECT_FALSE(reg.IsKeyExist(HKCU, u"Software\\ok"));
  EXPECT_FALSE(reg.IsKeyExist(HKCU, u"Software\\?"));
}

TEST_F(RegistryTest, LateBoundCallsWriteByReferenceArguments) {
  ObjectPtr r = createObject(u"TvFuncs0305.qndRegistry");
  std::vector<Variant> args{Variant(HKCU),         Variant(u"Software\\LB"), Variant(u"n"),
                            Variant(LONG{rtLong}), Variant(LONG{7}),         Variant(true)};
  EXPECT_TRUE(r->callRef(u"SetValue", args).toBool());
  EXPECT_FALSE(args[5].toBool());  // KeyAlreadyExist: the key is new
  args = {Variant(HKCU), Variant(u"Software\\LB"), Variant(u"n"), Variant(LONG{rtLong}), Variant(false)};
  EXPECT_EQ(r->callRef(u"GetValue", args).toLong(), 7);
  EXPECT_TRUE(args[4].toBool());  // Success
  EXPECT_EQ(r->get(u"LastRegError").toLong(), 0);
  // Defaults: the default value as a string.
  EXPECT_TRUE(r->call(u"SetValue", {Variant(HKCU), Variant(u"Software\\LB")}).toBool());
  EXPECT_EQ(r->call(u"GetValue", {Variant(HKCU), Variant(u"Software\\LB")}).toString(), u"");
  EXPECT_TRUE(r->call(u"GetSubKeysNames", {Variant(HKCU), Variant(u"Software\\None")}).isNothing());
  EXPECT_EQ(r->get(u"LastRegError").toLong(), ERROR_FILE_NOT_FOUND);
  Variant list = r->call(u"GetValuesNames", {Variant(HKCU), Variant(u"Software\\LB")});
  ASSERT_TRUE(list.isObject());
  EXPECT_EQ(list.toObject()->get(u"Count").toLong(), 2);
}

}  // namespace
}  // namespace quendel::toolvane
