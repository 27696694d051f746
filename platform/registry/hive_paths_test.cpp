#include "platform/registry/hive_paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

namespace quendel::registry {
namespace {

// Sets or clears an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(HivePaths, FollowTheEnvironment) {
  struct Case {
    const char* registryDir;
    const char* xdg;
    HiveId hive;
    const char* expected;
  } cases[] = {
      {nullptr, "/x/conf", HiveId::CurrentUser, "/x/conf/quendel/registry/user.db"},
      {nullptr, nullptr, HiveId::CurrentUser, "/home/u/.config/quendel/registry/user.db"},
      {nullptr, "relative/ignored", HiveId::CurrentUser, "/home/u/.config/quendel/registry/user.db"},
      {nullptr, "/x/conf", HiveId::LocalMachine, "/var/lib/quendel/registry/machine.db"},
      {nullptr, nullptr, HiveId::Users, "/var/lib/quendel/registry/users.db"},
      {nullptr, nullptr, HiveId::CurrentConfig, "/var/lib/quendel/registry/config.db"},
      {"/tmp/r/", "/x/conf", HiveId::CurrentUser, "/tmp/r/user.db"},
      {"/tmp/r", nullptr, HiveId::LocalMachine, "/tmp/r/machine.db"},
      {"", nullptr, HiveId::LocalMachine, "/var/lib/quendel/registry/machine.db"},
  };
  ScopedEnv home("HOME", "/home/u");
  for (const auto& c : cases) {
    ScopedEnv dir("QUENDEL_REGISTRY_DIR", c.registryDir);
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(c.expected, hiveLocation(c.hive).file);
  }
  EXPECT_EQ(0600u, hiveLocation(HiveId::CurrentUser).fileMode);
  EXPECT_EQ(0644u, hiveLocation(HiveId::LocalMachine).fileMode);
}

}  // namespace
}  // namespace quendel::registry
