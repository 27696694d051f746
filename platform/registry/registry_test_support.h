// Helpers shared by the registry tests and every other C++ test that uses the registry:
// a fresh hive folder per test (PrivateRegistry), status checks
// that name the call, and small wrappers that read and write whole values.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "support/codepage.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

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

// A private registry for one test: a fresh temporary folder that QUENDEL_REGISTRY_DIR
// names (or a subfolder of it, created by the first write), with the UTF-8 ANSI code
// page. The destructor makes the folder writable again, removes it and restores the
// environment. Every C++ test that touches the registry uses it.
class PrivateRegistry {
 public:
  explicit PrivateRegistry(const std::string& subFolder = std::string()) {
    char pattern[] = "/tmp/quendel-registry-test-XXXXXX";
    if (!mkdtemp(pattern)) return;
    root_ = pattern;
    registryDir_ = subFolder.empty() ? root_ : root_ + "/" + subFolder;
    setenv("QUENDEL_REGISTRY_DIR", registryDir_.c_str(), 1);
    setenv("QUENDEL_ACP", "65001", 1);
    cp::resetForTests();
  }
  ~PrivateRegistry() {
    if (root_.empty()) return;
    std::error_code ec;
    namespace fs = std::filesystem;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto& e : fs::recursive_directory_iterator(root_, ec))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
    unsetenv("QUENDEL_REGISTRY_DIR");
    unsetenv("QUENDEL_ACP");
    cp::resetForTests();
  }
  PrivateRegistry(const PrivateRegistry&) = delete;
  PrivateRegistry& operator=(const PrivateRegistry&) = delete;

  bool ok() const { return !root_.empty(); }
  // The temporary folder, removed at the end.
  const std::string& root() const { return root_; }
  // The folder of the hive files.
  const std::string& registryDir() const { return registryDir_; }

 private:
  std::string root_;
  std::string registryDir_;
};

// Every test gets its own hive folder (PrivateRegistry).
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.emplace();
    ASSERT_TRUE(registry_->ok());
    dir_ = registry_->registryDir();
  }
  void TearDown() override { registry_.reset(); }

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
    EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
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
    EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
    return st;
  }

  static std::string asText(const std::vector<BYTE>& bytes) { return std::string(bytes.begin(), bytes.end()); }

  std::optional<PrivateRegistry> registry_;
  std::string dir_;
};

}  // namespace quendel::registry::testing

QUENDEL_EXPORT_END
