// Enumeration by index: the list a handle keeps between calls, over big keys, merged
// keys and keys that change while they are enumerated.
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_test_support.h"
#include "support/formatted.h"
#include "support/testing.h"

namespace quendel::registry::testing {
namespace {

using RegistryEnumeration = RegistryTest;

constexpr DWORD kNameBuffer = 64;

// "K0042": names that sort by their number, in the case given by prefix.
std::string numbered(const char* prefix, int n) { return quendel::formatted("%s%04d", prefix, n); }

LONG subKeyAt(HKEY key, DWORD index, std::string* name) {
  char buffer[kNameBuffer];
  LONG st = RegEnumKeyA(key, index, buffer, sizeof buffer);
  if (st == ERROR_SUCCESS) *name = buffer;
  return st;
}

// Value number index with its REG_DWORD data.
LONG valueAt(HKEY key, DWORD index, std::string* name, DWORD* data) {
  char buffer[kNameBuffer];
  DWORD nameSize = sizeof buffer, type = 0, dataSize = sizeof *data;
  LONG st = RegEnumValueA(key, index, buffer, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
  if (st == ERROR_SUCCESS) *name = buffer;
  return st;
}

// Every subkey name by index 0, 1, 2 ... up to ERROR_NO_MORE_ITEMS.
std::vector<std::string> allSubKeys(HKEY key) {
  std::vector<std::string> names;
  std::string name;
  LONG st;
  while ((st = subKeyAt(key, static_cast<DWORD>(names.size()), &name)) == ERROR_SUCCESS) names.push_back(name);
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, st);
  return names;
}

LONG makeKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  LONG st =
      RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (st == ERROR_SUCCESS) st = RegCloseKey(key);
  return st;
}

// Another process, started before the enumeration it disturbs (a fork() in between
// would reopen this process's connections): it runs its changes one by one when told.
class OtherProcess {
 public:
  explicit OtherProcess(const std::vector<std::function<LONG()>>& changes) {
    if (pipe(toChild_) != 0 || pipe(fromChild_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      char go;
      for (auto& change : changes) {
        if (read(toChild_[0], &go, 1) != 1) _exit(1);
        char ok = change() == ERROR_SUCCESS ? 1 : 0;
        if (write(fromChild_[1], &ok, 1) != 1) _exit(1);
      }
      _exit(0);
    }
  }
  ~OtherProcess() {
    for (int fd : {toChild_[0], toChild_[1], fromChild_[0], fromChild_[1]}) close(fd);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;

  // Runs the next change and waits for it; false when it failed.
  bool runNext() {
    char go = 1, ok = 0;
    return pid_ > 0 && write(toChild_[1], &go, 1) == 1 && read(fromChild_[0], &ok, 1) == 1 && ok == 1;
  }

 private:
  int toChild_[2] = {-1, -1};
  int fromChild_[2] = {-1, -1};
  pid_t pid_ = -1;
};

TEST_F(RegistryEnumeration, ThousandsOfSubKeysAndValuesInOrderOnceEach) {
  // Machine: K0000..K1999; user: k1500..k2999, so 500 names are on both sides.
  constexpr int kMachineKeys = 2000, kFirstUserKey = 1500, kLastKey = 3000;
  for (int i = 0; i < kMachineKeys; ++i)
    ASSERT_STATUS(ERROR_SUCCESS, makeKey(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + numbered("K", i)));
  for (int i = kFirstUserKey; i < kLastKey; ++i)
    ASSERT_STATUS(ERROR_SUCCESS, makeKey(HKEY_CURRENT_USER, "Software\\Classes\\" + numbered("k", i)));

  HKEY machine = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes", 0, KEY_READ, &machine));
  std::vector<std::string> names = allSubKeys(machine);
  ASSERT_EQ(static_cast<std::size_t>(kMachineKeys), names.size());
  for (int i = 0; i < kMachineKeys; ++i) ASSERT_EQ(numbered("K", i), names[i]) << "machine subkey " << i;
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(machine));

  // The merged view: each name once, in the user's case where the user has it.
  names = allSubKeys(HKEY_CLASSES_ROOT);
  ASSERT_EQ(static_cast<std::size_t>(kLastKey), names.size());
  for (int i = 0; i < kLastKey; ++i)
    ASSERT_EQ(numbered(i < kFirstUserKey ? "K" : "k", i), names[i]) << "classes subkey " << i;
  DWORD count = 0;
  ASSERT_STATUS(ERROR_SUCCESS, RegQueryInfoKeyA(HKEY_CLASSES_ROOT, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(kLastKey), count);

  // Values of a merged key: the user's first (in creation order), then the machine's
  // that the user's do not hide; the data is the side's that lists the name.
  constexpr int kMachineValues = 1200, kFirstUserValue = 800, kLastValue = 2000;
  constexpr DWORD kMachineData = 1, kUserData = 2;
  HKEY side = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_LOCAL_MACHINE, "Software\\Classes\\K0001", &side));
  for (int i = 0; i < kMachineValues; ++i)
    ASSERT_STATUS(ERROR_SUCCESS, setDword(side, numbered("V", i).c_str(), kMachineData));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(side));
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Software\\Classes\\K0001", &side));
  for (int i = kFirstUserValue; i < kLastValue; ++i)
    ASSERT_STATUS(ERROR_SUCCESS, setDword(side, numbered("v", i).c_str(), kUserData));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(side));

  HKEY merged = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "K0001", 0, KEY_READ, &merged));
  for (int i = 0; i < kLastValue; ++i) {
    bool user = i < kLastValue - kFirstUserValue;
    int number = user ? kFirstUserValue + i : i - (kLastValue - kFirstUserValue);
    std::string name;
    DWORD data = 0;
    ASSERT_STATUS(ERROR_SUCCESS, valueAt(merged, static_cast<DWORD>(i), &name, &data));
    ASSERT_EQ(numbered(user ? "v" : "V", number), name) << "value " << i;
    ASSERT_EQ(user ? kUserData : kMachineData, data) << "value " << i;
  }
  std::string name;
  DWORD data = 0;
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, valueAt(merged, kLastValue, &name, &data));
  // A second pass over the same handle starts over and gives the same.
  EXPECT_STATUS(ERROR_SUCCESS, valueAt(merged, 0, &name, &data));
  EXPECT_EQ(numbered("v", kFirstUserValue), name);
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(merged));
}

TEST_F(RegistryEnumeration, AKeyChangedMeanwhileEnumeratesAsItIsNow) {
  for (const char* sub : {"Change\\b", "Change\\d", "Change\\f"})
    ASSERT_STATUS(ERROR_SUCCESS, makeKey(HKEY_CURRENT_USER, sub));
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Change", 0, KEY_ALL_ACCESS, &key));
  std::string name;
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 0, &name));
  EXPECT_EQ("b", name);
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 1, &name));
  EXPECT_EQ("d", name);
  // A key sorting first, made through another handle: later indexes count it.
  ASSERT_STATUS(ERROR_SUCCESS, makeKey(HKEY_CURRENT_USER, "Change\\a"));
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 2, &name));
  EXPECT_EQ("d", name);
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 3, &name));
  EXPECT_EQ("f", name);
  // The list shrinks below the index: the end, not a stale name.
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 0, &name));
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 1, &name));
  for (const char* sub : {"b", "d", "f"}) ASSERT_STATUS(ERROR_SUCCESS, RegDeleteKeyA(key, sub));
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, subKeyAt(key, 1, &name));
  EXPECT_EQ(std::vector<std::string>{"a"}, allSubKeys(key));

  // Values: the data is read at each call, and a deleted value leaves the list.
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "x", 1));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "y", 2));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "z", 3));
  DWORD data = 0;
  EXPECT_STATUS(ERROR_SUCCESS, valueAt(key, 0, &name, &data));
  ASSERT_STATUS(ERROR_SUCCESS, setDword(key, "y", 5));
  EXPECT_STATUS(ERROR_SUCCESS, valueAt(key, 1, &name, &data));
  EXPECT_EQ("y", name);
  EXPECT_EQ(5u, data);
  ASSERT_STATUS(ERROR_SUCCESS, RegDeleteValueA(key, "x"));
  EXPECT_STATUS(ERROR_SUCCESS, valueAt(key, 1, &name, &data));
  EXPECT_EQ("z", name);
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, valueAt(key, 2, &name, &data));

  // The key itself deleted in the middle of an enumeration.
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 0, &name));
  ASSERT_STATUS(ERROR_SUCCESS, SHDeleteKeyA(HKEY_CURRENT_USER, "Change"));
  EXPECT_STATUS(ERROR_KEY_DELETED, subKeyAt(key, 1, &name));
  EXPECT_STATUS(ERROR_KEY_DELETED, valueAt(key, 1, &name, &data));
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryEnumeration, ChangesByAnotherProcessAreSeen) {
  for (const char* sub : {"P\\b", "P\\c", "Software\\Classes\\m"})
    ASSERT_STATUS(ERROR_SUCCESS, makeKey(HKEY_CURRENT_USER, sub));
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "P", &key));
  for (const char* v : {"x", "y", "z"}) ASSERT_STATUS(ERROR_SUCCESS, setDword(key, v, 1));
  ASSERT_STATUS(ERROR_SUCCESS, makeKey(HKEY_LOCAL_MACHINE, "Software"));
  OtherProcess other({[] { return makeKey(HKEY_CURRENT_USER, "P\\a"); },
                      [] {
                        HKEY k = nullptr;
                        LONG st = RegOpenKeyExA(HKEY_CURRENT_USER, "P", 0, KEY_ALL_ACCESS, &k);
                        if (st == ERROR_SUCCESS) st = RegDeleteValueA(k, "x");
                        if (st == ERROR_SUCCESS) st = RegDeleteKeyA(k, "a");
                        if (k && RegCloseKey(k) != ERROR_SUCCESS) st = ERROR_INVALID_HANDLE;
                        return st;
                      },
                      [] { return makeKey(HKEY_LOCAL_MACHINE, "Software\\Classes\\a"); }});

  std::string name;
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 0, &name));
  EXPECT_EQ("b", name);
  ASSERT_TRUE(other.runNext());  // adds P\a
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 1, &name));
  EXPECT_EQ("b", name) << "the other process's new key is counted";

  DWORD data = 0;
  EXPECT_STATUS(ERROR_SUCCESS, valueAt(key, 0, &name, &data));
  ASSERT_TRUE(other.runNext());                                       // deletes the value x and the key P\a
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, valueAt(key, 2, &name, &data));  // x is no longer listed
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(key, 1, &name));
  EXPECT_EQ("c", name);
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));

  // The classes view: a key the other process adds on the machine's side.
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(HKEY_CLASSES_ROOT, 0, &name));
  EXPECT_EQ("m", name);
  ASSERT_TRUE(other.runNext());  // adds HKLM\Software\Classes\a
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(HKEY_CLASSES_ROOT, 1, &name));
  EXPECT_EQ("m", name);
  EXPECT_STATUS(ERROR_NO_MORE_ITEMS, subKeyAt(HKEY_CLASSES_ROOT, 2, &name));
}

TEST_F(RegistryEnumeration, ARootFollowsItsHiveToAnotherFile) {
  for (const char* sub : {"a", "b", "c"}) ASSERT_STATUS(ERROR_SUCCESS, makeKey(HKEY_CURRENT_USER, sub));
  std::string name;
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(HKEY_CURRENT_USER, 0, &name));
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(HKEY_CURRENT_USER, 1, &name));
  EXPECT_EQ("b", name);
  {
    // The hives move to another folder that holds one key only.
    std::string other = registry_->root() + "/other";
    quendel::testing::ScopedEnv move("QUENDEL_REGISTRY_DIR", other.c_str());
    ASSERT_STATUS(ERROR_SUCCESS, makeKey(HKEY_CURRENT_USER, "only"));
    EXPECT_STATUS(ERROR_NO_MORE_ITEMS, subKeyAt(HKEY_CURRENT_USER, 1, &name));
    EXPECT_EQ(std::vector<std::string>{"only"}, allSubKeys(HKEY_CURRENT_USER));
  }
  EXPECT_STATUS(ERROR_SUCCESS, subKeyAt(HKEY_CURRENT_USER, 2, &name));
  EXPECT_EQ("c", name);
}

}  // namespace
}  // namespace quendel::registry::testing
