// Helpers shared by the registry tests: a fresh hive folder per test, status checks
// that name the call, and small wrappers that read and write whole values.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "support/codepage.h"

// Checks a Win32 status and says which call gave what.
#define EXPECT_STATUS(expected, call)                                                                         \
  do {                                                                                                        \
    LONG got_ = (call);                                                                                       \
    EXPECT_EQ(static_cast<LONG>(expected), got_) << #call << ": expected " << (expected) << ", got " << got_; \
  } while (0)
#define ASSERT_STATUS(expected, call)                                                                         \
  do {                                                                                                        \
    LONG got_ = (call);                                                                                       \
    ASSERT_EQ(static_cast<LONG>(expected), got_) << #call << ": expected " << (expected) << ", got " << got_; \
  } while (0)

namespace quendel::registry::testing {

// Every test gets its own hive folder through QUENDEL_REGISTRY_DIR, removed afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quendel-registry-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("QUENDEL_REGISTRY_DIR", dir_.c_str(), 1);
    setenv("QUENDEL_ACP", "65001", 1);
    cp::resetForTests();
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir_, ec);
    unsetenv("QUENDEL_REGISTRY_DIR");
    unsetenv("QUENDEL_ACP");
    cp::resetForTests();
  }

  std::string hiveFile(const char* name) const { return dir_ + "/" + name; }

  static LONG create(HKEY root, const char* path, HKEY* key, REGSAM access = KEY_ALL_ACCESS,
                     DWORD* disposition = nullptr) {
    return RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key, disposition);
  }

  static LONG setString(HKEY root, const char* path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    LONG st = create(root, path ? path : "", &key);
    if (st != ERROR_SUCCESS) return st;
    st = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return st;
  }

  static LONG setDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }

  // Reads a value the way the library does: size first, then the data.
  static LONG getBytes(HKEY root, const char* path, const char* name, std::vector<BYTE>* out, DWORD* type = nullptr) {
    HKEY key = nullptr;
    LONG st = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key);
    if (st != ERROR_SUCCESS) return st;
    DWORD size = 0;
    st = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (st == ERROR_SUCCESS) {
      out->assign(size, 0);
      st = RegQueryValueExA(key, name, nullptr, type, out->data(), &size);
      out->resize(size);
    }
    RegCloseKey(key);
    return st;
  }

  static std::string asText(const std::vector<BYTE>& bytes) { return std::string(bytes.begin(), bytes.end()); }

  std::string dir_;
};

}  // namespace quendel::registry::testing
