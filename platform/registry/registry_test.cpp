// Conformance of the registry functions: statuses, sizes, order, names, handles.
#include "platform/registry/registry.h"

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/registry/registry_test_support.h"

namespace quendel::registry::testing {
namespace {

using Registry = RegistryTest;

TEST_F(Registry, CreateReportsDispositionAndOpenFindsTheKey) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_STATUS(ERROR_SUCCESS,
                create(HKEY_CURRENT_USER, "Software\\Kestrane\\App", &key, KEY_ALL_ACCESS, &disposition));
  EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  ASSERT_STATUS(ERROR_SUCCESS,
                create(HKEY_CURRENT_USER, "Software\\Kestrane\\App", &key, KEY_ALL_ACCESS, &disposition));
  EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));

  HKEY opened = nullptr;
  EXPECT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kestrane", 0, KEY_READ, &opened));
  HKEY sub = nullptr;
  EXPECT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(opened, "App", 0, KEY_READ, &sub));
  EXPECT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(opened, nullptr, 0, KEY_READ, &key));  // itself again
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(sub));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(opened));

  key = reinterpret_cast<HKEY>(0x1234);
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Missing", 0, KEY_READ, &key));
  EXPECT_EQ(reinterpret_cast<HKEY>(0x1234), key) << "output changed on failure";
  EXPECT_STATUS(ERROR_INVALID_PARAMETER, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, nullptr));
}

TEST_F(Registry, BadHandles) {
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "A", &key));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_STATUS(ERROR_INVALID_HANDLE, RegCloseKey(key));  // twice
  EXPECT_STATUS(ERROR_INVALID_HANDLE, setDword(key, "v", 1));
  EXPECT_STATUS(ERROR_INVALID_HANDLE, RegCloseKey(reinterpret_cast<HKEY>(0xdeadbeef)));
  EXPECT_STATUS(ERROR_INVALID_HANDLE, RegCloseKey(nullptr));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));  // predefined: no-op
  EXPECT_STATUS(ERROR_SUCCESS, RegFlushKey(HKEY_CURRENT_USER));
  EXPECT_STATUS(ERROR_INVALID_HANDLE, RegFlushKey(key));
  for (HKEY unsupported : {HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA, rootFromLong(0x80000007)}) {
    EXPECT_STATUS(ERROR_INVALID_HANDLE, RegOpenKeyExA(unsupported, "X", 0, KEY_READ, &key));
    EXPECT_STATUS(ERROR_INVALID_HANDLE, create(unsupported, "X", &key));
  }
  EXPECT_EQ(HKEY_CLASSES_ROOT, rootFromLong(static_cast<std::int32_t>(0x80000000u)));
  EXPECT_EQ(HKEY_LOCAL_MACHINE, rootFromLong(-2147483646));
}

TEST_F(Registry, PathRules) {
  struct Case {
    const char* path;
    LONG createStatus;
    LONG openStatus;  // after the create
  };
  std::string longest(255, 'k'), tooLong(256, 'k');
  std::string longestPath = "Long\\" + longest, tooLongPath = "Long\\" + tooLong;
  const Case cases[] = {
      {"Trailing\\", ERROR_SUCCESS, ERROR_SUCCESS},
      {"\\Leading", ERROR_BAD_PATHNAME, ERROR_BAD_PATHNAME},
      {"Double\\\\Middle", ERROR_BAD_PATHNAME, ERROR_BAD_PATHNAME},
      {"Two\\\\", ERROR_BAD_PATHNAME, ERROR_BAD_PATHNAME},
      {longestPath.c_str(), ERROR_SUCCESS, ERROR_SUCCESS},
      {tooLongPath.c_str(), ERROR_INVALID_PARAMETER, ERROR_FILE_NOT_FOUND},
      {"Quote\"s 'and' 100% ; DROP TABLE keys; --", ERROR_SUCCESS, ERROR_SUCCESS},
      {"Ünïcödé\\Ключ\\Κλειδί", ERROR_SUCCESS, ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    HKEY key = nullptr;
    LONG st = create(HKEY_CURRENT_USER, c.path, &key);
    EXPECT_EQ(c.createStatus, st) << "create \"" << c.path << "\": expected " << c.createStatus << ", got " << st;
    if (st == ERROR_SUCCESS) EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
    st = RegOpenKeyExA(HKEY_CURRENT_USER, c.path, 0, KEY_READ, &key);
    EXPECT_EQ(c.openStatus, st) << "open \"" << c.path << "\": expected " << c.openStatus << ", got " << st;
    if (st == ERROR_SUCCESS) EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  }
  HKEY key = nullptr;
  EXPECT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Trailing", 0, KEY_READ, &key));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(Registry, ValueSizesAndMoreData) {
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Values", &key));
  const BYTE binary[] = {0, 1, 2, 0xFF, 0};
  const std::uint64_t qword = 0x1122334455667788ull;
  ASSERT_STATUS(ERROR_SUCCESS, RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("hello"), 6));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "Number", 0xCAFEBABE));
  ASSERT_STATUS(ERROR_SUCCESS, RegSetValueExA(key, "Bytes", 0, REG_BINARY, binary, sizeof binary));
  ASSERT_STATUS(ERROR_SUCCESS,
                RegSetValueExA(key, "Big", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&qword), sizeof qword));
  ASSERT_STATUS(ERROR_SUCCESS,
                RegSetValueExA(key, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("a\0bc\0"), 6));
  ASSERT_STATUS(ERROR_SUCCESS, RegSetValueExA(key, "Nothing", 0, REG_BINARY, nullptr, 0));
  EXPECT_STATUS(ERROR_NOACCESS, RegSetValueExA(key, "Bad", 0, REG_BINARY, nullptr, 3));

  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
  } cases[] = {
      {"Text", REG_SZ, std::string("hello\0", 6)},
      {"number", REG_DWORD, std::string("\xBE\xBA\xFE\xCA", 4)},
      {"BYTES", REG_BINARY, std::string(reinterpret_cast<const char*>(binary), sizeof binary)},
      {"Big", REG_QWORD, std::string(reinterpret_cast<const char*>(&qword), 8)},
      {"Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
      {"Nothing", REG_BINARY, std::string()},
  };
  for (const auto& c : cases) {
    DWORD type = 0, size = 0;
    EXPECT_STATUS(ERROR_SUCCESS, RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size));
    EXPECT_EQ(c.type, type) << c.name;
    EXPECT_EQ(c.bytes.size(), size) << c.name << ": size query";
    if (!c.bytes.empty()) {
      std::vector<BYTE> small(size - 1, 0xAA);
      DWORD smallSize = size - 1;
      EXPECT_STATUS(ERROR_MORE_DATA, RegQueryValueExA(key, c.name, nullptr, &type, small.data(), &smallSize));
      EXPECT_EQ(size, smallSize) << c.name << ": needed size with ERROR_MORE_DATA";
      EXPECT_EQ(std::vector<BYTE>(size - 1, 0xAA), small) << c.name << ": buffer touched on ERROR_MORE_DATA";
    }
    std::vector<BYTE> buffer(size + 4, 0xAA);
    DWORD bufferSize = static_cast<DWORD>(buffer.size());
    EXPECT_STATUS(ERROR_SUCCESS, RegQueryValueExA(key, c.name, nullptr, nullptr, buffer.data(), &bufferSize));
    EXPECT_EQ(size, bufferSize) << c.name;
    EXPECT_EQ(c.bytes, std::string(buffer.begin(), buffer.begin() + size)) << c.name;
    EXPECT_EQ(0xAA, buffer[size]) << c.name << ": wrote past the data";
  }
  DWORD size = 4;
  BYTE one[4];
  EXPECT_STATUS(ERROR_INVALID_PARAMETER, RegQueryValueExA(key, "Text", nullptr, nullptr, one, nullptr));
  EXPECT_STATUS(ERROR_SUCCESS, RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, nullptr));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Missing", nullptr, nullptr, one, &size));
  EXPECT_EQ(4u, size) << "size changed for a missing value";
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(Registry, ValueNameLimitsAndDefaultValue) {
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Names", &key));
  std::string longest(16383, 'v'), tooLong(16384, 'v');
  EXPECT_STATUS(ERROR_SUCCESS, setDword(key, longest.c_str(), 1));
  EXPECT_STATUS(ERROR_INVALID_PARAMETER, setDword(key, tooLong.c_str(), 1));
  // The default value answers to both the null and the empty name.
  EXPECT_STATUS(ERROR_SUCCESS, setString(key, nullptr, nullptr, "default"));
  std::vector<BYTE> data;
  EXPECT_STATUS(ERROR_SUCCESS, getBytes(key, nullptr, "", &data));
  EXPECT_EQ(std::string("default\0", 8), asText(data));
  EXPECT_STATUS(ERROR_SUCCESS, RegDeleteValueA(key, ""));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, getBytes(key, nullptr, nullptr, &data));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key, nullptr));
  // A REG_SZ of the empty text is one zero byte.
  EXPECT_STATUS(ERROR_SUCCESS, setString(key, nullptr, "Empty", ""));
  EXPECT_STATUS(ERROR_SUCCESS, getBytes(key, nullptr, "Empty", &data));
  EXPECT_EQ(std::string(1, '\0'), asText(data));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(Registry, NamesIgnoreCaseAndKeepIt) {
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Software\\Ключ Ёлки", &key));
  EXPECT_STATUS(ERROR_SUCCESS, setString(key, nullptr, "Имя Value", "x"));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  DWORD disposition = 0;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "SOFTWARE\\кЛЮЧ ёЛКИ", &key, KEY_ALL_ACCESS, &disposition));
  EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition) << "Cyrillic names must match without case";
  EXPECT_STATUS(ERROR_SUCCESS, setString(key, nullptr, "иМЯ vALUE", "y"));  // the same value
  char name[64];
  DWORD nameSize = sizeof name;
  EXPECT_STATUS(ERROR_SUCCESS, RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STREQ("Имя Value", name) << "the name keeps the case it was created with";
  nameSize = sizeof name;
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, RegEnumValueA(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, KEY_READ, &key));
  nameSize = sizeof name;
  EXPECT_STATUS(ERROR_SUCCESS, RegEnumKeyExA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STREQ("Ключ Ёлки", name);
  EXPECT_EQ(std::strlen("Ключ Ёлки"), nameSize);
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(Registry, EnumerationOrder) {
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Order", &key));
  for (const char* sub : {"b", "_under", "C", "a", "Ä", "ж", "Б"}) {
    HKEY k = nullptr;
    ASSERT_STATUS(ERROR_SUCCESS, create(key, sub, &k));
    EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(k));
  }
  // Upper-cased UTF-16 order: "A" "B" "C" "_" "Ä" "Б" "Ж".
  const char* expectedKeys[] = {"a", "b", "C", "_under", "Ä", "Б", "ж"};
  for (DWORD i = 0; i < 7; ++i) {
    char name[32];
    EXPECT_STATUS(ERROR_SUCCESS, RegEnumKeyA(key, i, name, sizeof name));
    EXPECT_STREQ(expectedKeys[i], name) << "subkey " << i;
  }
  char name[32];
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, RegEnumKeyA(key, 7, name, sizeof name));
  EXPECT_STATUS(ERROR_MORE_DATA, RegEnumKeyA(key, 3, name, 6));  // "_under" needs 7
  EXPECT_STATUS(ERROR_SUCCESS, RegEnumKeyA(key, 3, name, 7));

  for (const char* v : {"zeta", "Alpha", "mid", "", "beta"}) ASSERT_STATUS(ERROR_SUCCESS, setDword(key, v, 1));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "ALPHA", 2));  // keeps its place
  ASSERT_STATUS(ERROR_SUCCESS, RegDeleteValueA(key, "mid"));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "Mid", 3));  // goes to the end
  const char* expectedValues[] = {"zeta", "Alpha", "", "beta", "Mid"};
  const DWORD expectedData[] = {1, 2, 1, 1, 3};
  for (DWORD i = 0; i < 5; ++i) {
    DWORD nameSize = sizeof name, type = 0, data = 0, dataSize = sizeof data;
    EXPECT_STATUS(ERROR_SUCCESS,
                  RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data), &dataSize));
    EXPECT_STREQ(expectedValues[i], name) << "value " << i;
    EXPECT_EQ(std::strlen(expectedValues[i]), nameSize) << "value " << i;
    EXPECT_EQ(REG_DWORD, type);
    EXPECT_EQ(expectedData[i], data) << "value " << i;
  }
  DWORD nameSize = 4, dataSize = 0;
  EXPECT_STATUS(ERROR_MORE_DATA, RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(4u, nameSize);
  BYTE small[2];
  nameSize = sizeof name;
  dataSize = sizeof small;
  EXPECT_STATUS(ERROR_MORE_DATA, RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, small, &dataSize));
  EXPECT_EQ(4u, dataSize) << "needed data size";
  nameSize = sizeof name;
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, RegEnumValueA(key, 5, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(Registry, QueryInfoCountsAnsiBytes) {
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Info", &key));
  HKEY k = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(key, "Дом", &k));  // 6 bytes in UTF-8
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(k));
  ASSERT_STATUS(ERROR_SUCCESS, create(key, "abcd", &k));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(k));
  ASSERT_STATUS(ERROR_SUCCESS, setString(key, nullptr, "Имя", "Привет"));  // 6 + 13 bytes
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "n", 7));
  DWORD subKeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0, classLen = 9;
  char cls[8] = "x";
  FILETIME ft{};
  EXPECT_STATUS(ERROR_SUCCESS, RegQueryInfoKeyA(key, cls, &classLen, nullptr, &subKeys, &maxSub, nullptr, &values,
                                                &maxName, &maxData, nullptr, &ft));
  EXPECT_EQ(2u, subKeys);
  EXPECT_EQ(6u, maxSub);
  EXPECT_EQ(2u, values);
  EXPECT_EQ(6u, maxName);
  EXPECT_EQ(13u, maxData);
  EXPECT_EQ(0u, classLen);
  EXPECT_STREQ("", cls);
  EXPECT_NE(0u, ft.dwHighDateTime) << "last write time";
  EXPECT_STATUS(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr));
  EXPECT_STATUS(ERROR_INVALID_PARAMETER, RegQueryInfoKeyA(key, cls, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                          nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(Registry, StringsPassThroughTheAnsiCodePage) {
  // "Привет" in code page 1251, written with its zero byte.
  const std::string cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
  setenv("QUENDEL_ACP", "1251", 1);
  cp::resetForTests();
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Text\\\xCA\xEB\xFE\xF7", &key));  // "Ключ"
  ASSERT_STATUS(ERROR_SUCCESS, RegSetValueExA(key, "\xC8\xEC\xFF", 0, REG_SZ,               // "Имя"
                                              reinterpret_cast<const BYTE*>(cp1251.c_str()), 7));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  std::vector<BYTE> data;
  DWORD type = 0;
  ASSERT_STATUS(ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Text\\\xEA\xEB\xFE\xF7", "\xE8\xEC\xFF", &data, &type));
  EXPECT_EQ(REG_SZ, type);
  EXPECT_EQ(cp1251 + '\0', asText(data)) << "1251 bytes back, 7 of them";

  // The same value read by a program whose code page is UTF-8.
  setenv("QUENDEL_ACP", "65001", 1);
  cp::resetForTests();
  ASSERT_STATUS(ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Text\\ключ", "ИМЯ", &data));
  EXPECT_EQ(std::string("Привет") + '\0', asText(data)) << "13 UTF-8 bytes";
  DWORD size = 0;
  ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Text\\Ключ", 0, KEY_READ, &key));
  EXPECT_STATUS(ERROR_SUCCESS, RegQueryValueExA(key, "Имя", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(13u, size);
  // Data written without a terminating zero is kept without one.
  ASSERT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Text", &key));
  ASSERT_STATUS(ERROR_SUCCESS, RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab"), 2));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  ASSERT_STATUS(ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Text", "Bare", &data));
  EXPECT_EQ("ab", asText(data));
}

TEST_F(Registry, DeletingKeys) {
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Del\\Parent\\Child", &key));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CURRENT_USER, "Del\\WithValue", "v", "x"));
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Del\\Empty", &key));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));

  EXPECT_STATUS(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, "Del\\Parent"));
  EXPECT_STATUS(ERROR_ACCESS_DENIED, SHDeleteEmptyKeyA(HKEY_CURRENT_USER, "Del\\Parent"));
  EXPECT_STATUS(ERROR_ACCESS_DENIED, SHDeleteEmptyKeyA(HKEY_CURRENT_USER, "Del\\WithValue"));
  EXPECT_STATUS(ERROR_SUCCESS, SHDeleteEmptyKeyA(HKEY_CURRENT_USER, "Del\\Empty"));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, SHDeleteEmptyKeyA(HKEY_CURRENT_USER, "Del\\Empty"));
  EXPECT_STATUS(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, "Del\\WithValue"));  // values go with it
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(HKEY_CURRENT_USER, "Del\\WithValue"));
  EXPECT_STATUS(ERROR_INVALID_PARAMETER, RegDeleteKeyA(HKEY_CURRENT_USER, nullptr));
  EXPECT_STATUS(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, ""));
  EXPECT_STATUS(ERROR_ACCESS_DENIED, SHDeleteKeyA(HKEY_CURRENT_USER, ""));
  EXPECT_STATUS(ERROR_ACCESS_DENIED, SHDeleteKeyA(HKEY_CURRENT_USER, nullptr));

  EXPECT_STATUS(ERROR_SUCCESS, SHDeleteKeyA(HKEY_CURRENT_USER, "DEL\\parent"));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, "Del\\Parent\\Child", 0, KEY_READ, &key));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, SHDeleteKeyA(HKEY_CURRENT_USER, "Del\\Parent"));
  DWORD subKeys = 9;
  ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Del", 0, KEY_READ, &key));
  EXPECT_STATUS(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0u, subKeys);
  // A handle's own key goes with the empty subkey name.
  EXPECT_STATUS(ERROR_SUCCESS, RegDeleteKeyA(key, ""));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, "Del", 0, KEY_READ, &key));
}

TEST_F(Registry, HandleOfDeletedKey) {
  HKEY key = nullptr, parent = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Gone\\Key", &key));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "v", 1));
  ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Gone", 0, KEY_ALL_ACCESS, &parent));
  ASSERT_STATUS(ERROR_SUCCESS, SHDeleteKeyA(HKEY_CURRENT_USER, "Gone"));
  HKEY again = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Gone\\Key", &again));  // same name, new key
  ASSERT_STATUS(ERROR_SUCCESS, setDword(again, "v", 2));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(again));

  DWORD size = 4, data = 0;
  char name[16];
  DWORD nameSize = sizeof name;
  HKEY sub = nullptr;
  EXPECT_STATUS(ERROR_KEY_DELETED, RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size));
  EXPECT_STATUS(ERROR_KEY_DELETED, setDword(key, "v", 3));
  EXPECT_STATUS(ERROR_KEY_DELETED, RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STATUS(ERROR_KEY_DELETED, RegEnumKeyA(parent, 0, name, sizeof name));
  EXPECT_STATUS(ERROR_KEY_DELETED, RegOpenKeyExA(parent, "Key", 0, KEY_READ, &sub));
  EXPECT_STATUS(ERROR_KEY_DELETED, create(parent, "New", &sub));
  EXPECT_STATUS(ERROR_KEY_DELETED, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    nullptr, nullptr, nullptr, nullptr));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(parent));
  std::vector<BYTE> bytes;
  ASSERT_STATUS(ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Gone\\Key", "v", &bytes));
  EXPECT_EQ(2, bytes[0]) << "the new key is untouched by the stale handle";
}

TEST_F(Registry, AccessRightsOfHandles) {
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Rights", &key));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "v", 1));
  HKEY sub = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(key, "Sub", &sub));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(sub));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));

  struct Case {
    REGSAM access;
    LONG query, set, remove, enumKeys, enumValues, createSub;
  } cases[] = {
      {KEY_QUERY_VALUE, 0, 5, 5, 5, 0, 5},
      {KEY_SET_VALUE, 5, 0, 0, 5, 5, 5},
      {KEY_ENUMERATE_SUB_KEYS, 5, 5, 5, 0, 5, 5},
      {KEY_CREATE_SUB_KEY, 5, 5, 5, 5, 5, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("access " + std::to_string(c.access));
    ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Rights", 0, c.access, &key));
    DWORD size = 0;
    char name[8];
    DWORD nameSize = sizeof name;
    EXPECT_STATUS(c.query, RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size));
    EXPECT_STATUS(c.set, setDword(key, "v", 2));
    EXPECT_STATUS(c.remove, RegDeleteValueA(key, "v"));
    if (c.remove == 0) ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "v", 1));
    EXPECT_STATUS(c.enumKeys, RegEnumKeyA(key, 0, name, sizeof name));
    EXPECT_STATUS(c.enumValues, RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STATUS(c.createSub, create(key, "New", &sub));
    if (c.createSub == 0) {
      EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(sub));
      ASSERT_STATUS(ERROR_SUCCESS, RegDeleteKeyA(key, "New"));
    }
    // Opening an existing subkey needs no rights on the parent handle.
    EXPECT_STATUS(ERROR_SUCCESS, create(key, "Sub", &sub, KEY_READ));
    EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(sub));
    EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  }
}

TEST_F(Registry, ClassesRootMergesUserOverMachine) {
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.qnd", nullptr, "machine"));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.qnd", "Only", "m"));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CURRENT_USER, "Software\\Classes\\.QND", nullptr, "user"));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_LOCAL_MACHINE, "Software\\Classes\\Machine.Prog", nullptr, "x"));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CURRENT_USER, "Software\\Classes\\User.Prog", nullptr, "y"));

  std::vector<BYTE> data;
  ASSERT_STATUS(ERROR_SUCCESS, getBytes(HKEY_CLASSES_ROOT, ".qnd", nullptr, &data));
  EXPECT_EQ(std::string("user\0", 5), asText(data)) << "the user's value hides the machine's";
  ASSERT_STATUS(ERROR_SUCCESS, getBytes(HKEY_CLASSES_ROOT, ".qnd", "Only", &data));
  EXPECT_EQ(std::string("m\0", 2), asText(data));

  char name[32];
  const char* expected[] = {".QND", "Machine.Prog", "User.Prog"};
  for (DWORD i = 0; i < 3; ++i) {
    EXPECT_STATUS(ERROR_SUCCESS, RegEnumKeyA(HKEY_CLASSES_ROOT, i, name, sizeof name));
    EXPECT_STREQ(expected[i], name);
  }
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, RegEnumKeyA(HKEY_CLASSES_ROOT, 3, name, sizeof name));

  // A new key goes to the machine's side when this process may write it (it may here:
  // the hive folder is ours); a key the user already has is written on the user's side.
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CLASSES_ROOT, "CLSID\\{1}", nullptr, "new"));
  EXPECT_STATUS(ERROR_SUCCESS, getBytes(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{1}", nullptr, &data));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CLASSES_ROOT, "User.Prog", "Added", "z"));
  EXPECT_STATUS(ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Software\\Classes\\User.Prog", "Added", &data));

  EXPECT_STATUS(ERROR_SUCCESS, SHDeleteKeyA(HKEY_CLASSES_ROOT, ".qnd"));
  HKEY key = nullptr;
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CLASSES_ROOT, ".qnd", 0, KEY_READ, &key));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.qnd", 0, KEY_READ, &key));
}

TEST_F(Registry, MissingHiveReadsAsEmptyAndIsNotCreatedByReads) {
  HKEY key = nullptr;
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key));
  DWORD subKeys = 9, values = 9;
  EXPECT_STATUS(ERROR_SUCCESS, RegQueryInfoKeyA(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, &subKeys, nullptr,
                                                nullptr, &values, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0u, subKeys);
  EXPECT_EQ(0u, values);
  char name[8];
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, RegEnumKeyA(HKEY_LOCAL_MACHINE, 0, name, sizeof name));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software"));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegDeleteValueA(HKEY_LOCAL_MACHINE, "v"));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key));
  struct stat st {};
  EXPECT_NE(0, ::stat(hiveFile("machine.db").c_str(), &st)) << "a read created machine.db";
  EXPECT_NE(0, ::stat(hiveFile("user.db").c_str(), &st)) << "a read created user.db";

  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CURRENT_USER, "K", "v", "x"));
  ASSERT_EQ(0, ::stat(hiveFile("user.db").c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777) << "the user's hive is private";
}

// What RegOpenKeyExA, RegQueryValueExA and RegCloseKey give in turn: status, type, size, data.
struct Answer {
  LONG status = 0;
  DWORD type = 0, size = 0;
  std::vector<BYTE> data;
  bool operator==(const Answer&) const = default;
};

Answer openThenQuery(HKEY root, const char* path, const char* name, BYTE* data, DWORD* size) {
  Answer a;
  HKEY key = nullptr;
  a.status = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key);
  if (a.status != ERROR_SUCCESS) return a;
  a.status = RegQueryValueExA(key, name, nullptr, &a.type, data, size);
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
  return a;
}

// Both ways with a buffer of capacity bytes (-1: no buffer, a size query).
Answer readBothWays(HKEY root, const char* path, const char* name, int capacity, bool byPath) {
  std::vector<BYTE> buffer(capacity < 0 ? 0 : static_cast<std::size_t>(capacity), 0xEE);
  DWORD size = capacity < 0 ? 0 : static_cast<DWORD>(capacity);
  BYTE* data = capacity < 0 ? nullptr : buffer.data();
  Answer a;
  if (byPath) {
    a.status = queryValueAt(root, path, name, &a.type, data, &size);
  } else {
    a = openThenQuery(root, path, name, data, &size);
  }
  a.size = size;
  a.data = buffer;
  return a;
}

TEST_F(Registry, QueryValueAtAnswersAsOpeningTheKeyWould) {
  HKEY app = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Software\\App", &app));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(app, "n", 5));
  ASSERT_STATUS(ERROR_SUCCESS, RegCloseKey(app));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CURRENT_USER, "Software\\App", "s", "text"));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CURRENT_USER, "Software\\App", nullptr, "default"));
  ASSERT_STATUS(ERROR_SUCCESS, setString(HKEY_CURRENT_USER, "Software\\Classes\\.qnd", nullptr, "user"));
  const std::string longName(300, 'k');

  struct Case {
    const char* what;
    HKEY root;
    const char* path;
    const char* name;
    int capacity;
    LONG status;
  };
  const Case cases[] = {
      {"a number", HKEY_CURRENT_USER, "Software\\App", "n", 4, ERROR_SUCCESS},
      {"spelt in another case", HKEY_CURRENT_USER, "software\\APP", "N", 4, ERROR_SUCCESS},
      {"text", HKEY_CURRENT_USER, "Software\\App", "s", 16, ERROR_SUCCESS},
      {"too small a buffer", HKEY_CURRENT_USER, "Software\\App", "s", 2, ERROR_MORE_DATA},
      {"a size query", HKEY_CURRENT_USER, "Software\\App", "s", -1, ERROR_SUCCESS},
      {"the default value", HKEY_CURRENT_USER, "Software\\App", nullptr, 16, ERROR_SUCCESS},
      {"the default value named empty", HKEY_CURRENT_USER, "Software\\App", "", 16, ERROR_SUCCESS},
      {"a missing value", HKEY_CURRENT_USER, "Software\\App", "none", 16, ERROR_FILE_NOT_FOUND},
      {"a missing key", HKEY_CURRENT_USER, "Software\\None", "n", 16, ERROR_FILE_NOT_FOUND},
      {"the root itself", HKEY_CURRENT_USER, nullptr, "n", 16, ERROR_FILE_NOT_FOUND},
      {"a trailing backslash", HKEY_CURRENT_USER, "Software\\App\\", "n", 4, ERROR_SUCCESS},
      {"an empty component", HKEY_CURRENT_USER, "Software\\\\App", "n", 4, ERROR_BAD_PATHNAME},
      {"a key name too long", HKEY_CURRENT_USER, longName.c_str(), "n", 4, ERROR_FILE_NOT_FOUND},
      {"the merged classes view", HKEY_CLASSES_ROOT, ".QND", nullptr, 16, ERROR_SUCCESS},
      {"a missing classes key", HKEY_CLASSES_ROOT, ".none", nullptr, 16, ERROR_FILE_NOT_FOUND},
      {"a root not provided", HKEY_PERFORMANCE_DATA, "x", "n", 4, ERROR_INVALID_HANDLE},
      {"a made-up handle", reinterpret_cast<HKEY>(std::uintptr_t{0x1234}), "x", "n", 4, ERROR_INVALID_HANDLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Answer expected = readBothWays(c.root, c.path, c.name, c.capacity, false);
    EXPECT_STATUS(c.status, expected.status);
    // Twice: the first fills the cache, the second answers from it.
    for (int round = 0; round < 2; ++round) {
      EXPECT_TRUE(readBothWays(c.root, c.path, c.name, c.capacity, true) == expected) << "round " << round;
    }
  }
  DWORD size = 4;
  BYTE data[4];
  EXPECT_STATUS(ERROR_INVALID_PARAMETER, queryValueAt(HKEY_CURRENT_USER, "Software\\App", "n", nullptr, data, nullptr));
  // Below an opened key rather than a root.
  ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_QUERY_VALUE, &app));
  EXPECT_STATUS(ERROR_SUCCESS, queryValueAt(app, "App", "n", nullptr, data, &size));
  EXPECT_EQ(5u, data[0]);
  ASSERT_STATUS(ERROR_SUCCESS, RegCloseKey(app));
}

TEST_F(Registry, QueryValueAtSeesThisProcessChangesThroughAnySpelling) {
  HKEY app = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Software\\App", &app));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(app, "n", 1));
  auto read = [](const char* path, DWORD* n) {
    DWORD size = sizeof *n;
    return queryValueAt(HKEY_CURRENT_USER, path, "n", nullptr, reinterpret_cast<BYTE*>(n), &size);
  };
  DWORD n = 0;
  ASSERT_STATUS(ERROR_SUCCESS, read("Software\\App", &n));
  ASSERT_STATUS(ERROR_SUCCESS, read("SOFTWARE\\app", &n));  // both spellings cached now
  ASSERT_STATUS(ERROR_SUCCESS, setDword(app, "N", 2));
  EXPECT_STATUS(ERROR_SUCCESS, read("SOFTWARE\\app", &n));
  EXPECT_EQ(2u, n);
  ASSERT_STATUS(ERROR_SUCCESS, RegCloseKey(app));
  ASSERT_STATUS(ERROR_SUCCESS, SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\APP"));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, read("Software\\App", &n));
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, read("SOFTWARE\\app", &n));
}

}  // namespace
}  // namespace quendel::registry::testing
