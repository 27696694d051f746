// Shared by the settings tests: every test runs with its own registry folder, its own
// XDG config folder and machine autostart folder, all under one temporary folder that
// is removed afterwards, and with the UTF-8 ANSI code page unless it says otherwise.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "automation/safe_array.h"
#include "platform/registry/registry_test_support.h"
#include "support/codepage.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::testing {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.emplace("registry");
    ASSERT_TRUE(registry_->ok());
    dir_ = registry_->root();
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
    setenv("QUENDEL_XDG_AUTOSTART_SYSTEM_DIR", (dir_ + "/xdg-system/autostart").c_str(), 1);
  }
  void TearDown() override {
    registry_.reset();
    for (const char* name : {"XDG_CONFIG_HOME", "QUENDEL_XDG_AUTOSTART_SYSTEM_DIR"}) unsetenv(name);
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

  std::optional<registry::testing::PrivateRegistry> registry_;
  std::string dir_;
};

}  // namespace quendel::toolvane::testing

QUENDEL_EXPORT_END
