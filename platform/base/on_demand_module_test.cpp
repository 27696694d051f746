#include "platform/base/on_demand_module.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/base/test_probe_module.h"

namespace {

using quendel::platform::OnDemandModule;
using quendel::testing::kProbeModuleVersion;
using quendel::testing::ProbeModule;

constexpr const char* kEntry = "quendelProbeModule";

// Points the loader at another folder for the life of one test.
class ModuleDir {
 public:
  explicit ModuleDir(const std::string& dir) { setenv("QUENDEL_MODULE_DIR", dir.c_str(), 1); }
  ~ModuleDir() { unsetenv("QUENDEL_MODULE_DIR"); }
};

TEST(OnDemandModule, FindsModulesBesideTheLibraryOrWhereTheVariableSays) {
  const std::filesystem::path dir = OnDemandModule::folder();
  EXPECT_EQ(dir.filename(), "quendel");
  EXPECT_TRUE(std::filesystem::exists(dir.parent_path() / "libquendelplatform.so")) << dir;
  ModuleDir other("/nowhere/modules");
  EXPECT_EQ(OnDemandModule::folder(), "/nowhere/modules");
}

TEST(OnDemandModule, LoadsOnceForEveryThreadAndCallsTheTable) {
  OnDemandModule module("libquendelprobecurrent.so", kEntry, kProbeModuleVersion, sizeof(ProbeModule));
  std::vector<const ProbeModule*> seen(8);
  std::vector<std::thread> threads;
  for (auto& slot : seen) threads.emplace_back([&module, &slot] { slot = module.table<ProbeModule>(); });
  for (auto& t : threads) t.join();
  ASSERT_NE(seen[0], nullptr) << module.error();
  for (const ProbeModule* table : seen) EXPECT_EQ(table, seen[0]);
  EXPECT_EQ(seen[0]->twice(21), 42);
  EXPECT_TRUE(module.error().empty());
}

TEST(OnDemandModule, RefusesAModuleOfAnotherBuild) {
  OnDemandModule stale("libquendelprobestale.so", kEntry, kProbeModuleVersion, sizeof(ProbeModule));
  EXPECT_EQ(stale.table<ProbeModule>(), nullptr);
  EXPECT_NE(stale.error().find("another build"), std::string::npos) << stale.error();
  EXPECT_EQ(stale.table<ProbeModule>(), nullptr);  // and stays refused
  // A table of the right version but another size is refused as well.
  OnDemandModule resized("libquendelprobecurrent.so", kEntry, kProbeModuleVersion, sizeof(ProbeModule) + 8);
  EXPECT_EQ(resized.table<ProbeModule>(), nullptr);
  OnDemandModule noEntry("libquendelprobecurrent.so", "quendelOtherModule", kProbeModuleVersion, sizeof(ProbeModule));
  EXPECT_EQ(noEntry.table<ProbeModule>(), nullptr);
  EXPECT_NE(noEntry.error().find("quendelOtherModule"), std::string::npos) << noEntry.error();
}

TEST(OnDemandModule, AMissingModuleFailsWithTheLoadersTextAndADebugLine) {
  char dir[] = "/tmp/quendel-modules-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  {
    ModuleDir empty(dir);
    setenv("QUENDEL_DEBUG", "1", 1);
    OnDemandModule missing("libquendelprobecurrent.so", kEntry, kProbeModuleVersion, sizeof(ProbeModule));
    testing::internal::CaptureStderr();
    EXPECT_EQ(missing.table<ProbeModule>(), nullptr);
    const std::string debug = testing::internal::GetCapturedStderr();
    unsetenv("QUENDEL_DEBUG");
    EXPECT_NE(missing.error().find(std::string(dir) + "/libquendelprobecurrent.so"), std::string::npos)
        << missing.error();
    EXPECT_NE(debug.find("module libquendelprobecurrent.so: "), std::string::npos) << debug;
    EXPECT_NE(debug.find(missing.error()), std::string::npos) << debug;
  }
  rmdir(dir);
}

}  // namespace
