// Shared by the settings tests: every test runs with its own registry folder, its own
// XDG config folder and machine autostart folder, all under one temporary folder that
// is removed afterwards, and with the UTF-8 ANSI code page unless it says otherwise.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "automation/safe_array.h"
#include "support/codepage.h"

namespace quendel::toolvane::testing {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quendel-settings-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("QUENDEL_REGISTRY_DIR", registryDir().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
    setenv("QUENDEL_XDG_AUTOSTART_SYSTEM_DIR", (dir_ + "/xdg-system/autostart").c_str(), 1);
    setenv("QUENDEL_ACP", "65001", 1);
    cp::resetForTests();
  }
  void TearDown() override {
    std::error_code ec;
    for (auto& e : std::filesystem::recursive_directory_iterator(dir_, ec))
      std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
    for (const char* name :
         {"QUENDEL_REGISTRY_DIR", "XDG_CONFIG_HOME", "QUENDEL_XDG_AUTOSTART_SYSTEM_DIR", "QUENDEL_ACP"})
      unsetenv(name);
    cp::resetForTests();
  }

  std::string registryDir() const { return dir_ + "/registry"; }
  std::string hiveFile(const char* name) const { return registryDir() + "/" + name; }

  static automation::Variant bytes(std::vector<BYTE> b, LONG lbound = 0) {
    return automation::Variant(automation::SafeArray::fromBytes(std::move(b), lbound));
  }
  static std::vector<BYTE> bytesOf(const automation::Variant& v) {
    auto a = v.array();
    return a ? a->bytes() : std::vector<BYTE>{};
  }

  std::string dir_;
};

}  // namespace quendel::toolvane::testing
