// Loading SQLite at first use: a process that finds no hive never maps it, one that opens
// a hive maps it, and without the library no hive opens and nothing is stored.
#include "platform/registry/sqlite_library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/registry/registry_test_support.h"
#include "support/test_processes.h"
#include "support/testing.h"

namespace {

using quendel::registry::testing::PrivateRegistry;
using quendel::testing::builtProgram;
using quendel::testing::ScopedEnv;

constexpr int kHelperTimeoutMs = 30000;
constexpr const char* kNoError = "0";
constexpr const char* kNotFound = "2";      // ERROR_FILE_NOT_FOUND
constexpr const char* kAccessDenied = "5";  // ERROR_ACCESS_DENIED

// What one run of platform_registry_helper printed.
using HelperRun = quendel::testing::HelperReport;

HelperRun runHelper(const std::string& mode) {
  return quendel::testing::runHelperProgram({builtProgram("platform_registry_helper"), mode}, kHelperTimeoutMs);
}

// The bytes of every file under folder, added up.
std::uintmax_t bytesUnder(const std::string& folder) {
  std::error_code ec;
  std::uintmax_t bytes = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec))
    if (entry.is_regular_file()) bytes += entry.file_size();
  return bytes;
}

class SqliteLoading : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(registry_.ok()); }

  PrivateRegistry registry_;
  ScopedEnv debug_{"QUENDEL_DEBUG", "1"};
};

TEST_F(SqliteLoading, OnlyAProcessThatOpensAHiveMapsIt) {
  HelperRun before = runHelper("read");
  ASSERT_TRUE(before.ended);
  EXPECT_EQ(before["result"], kNotFound);
  EXPECT_EQ(before["sqlite mapped"], "no");

  HelperRun write = runHelper("write");
  ASSERT_TRUE(write.ended);
  EXPECT_EQ(write["result"], kNoError);
  EXPECT_EQ(write["value"], "42");
  EXPECT_EQ(write["sqlite mapped"], "yes");

  HelperRun after = runHelper("read");
  ASSERT_TRUE(after.ended);
  EXPECT_EQ(after["result"], kNoError);
  EXPECT_EQ(after["value"], "42");
  EXPECT_EQ(after["sqlite mapped"], "yes");
}

// A missing file, or one that is no library: no hive opens, nothing is stored, and the
// reason is told once.
TEST_F(SqliteLoading, WithoutTheLibraryNoHiveOpens) {
  // Beside the hive folder, so that only the hives themselves are in it.
  const std::string notALibrary = registry_.root() + "/libsqlite3.so.0";
  std::ofstream(notALibrary) << "not ELF\n";
  const std::string hives = registry_.registryDir() + "/hives";
  ScopedEnv registryDir("QUENDEL_REGISTRY_DIR", hives.c_str());
  for (const std::string& file : {registry_.root() + "/missing/libsqlite3.so.0", notALibrary}) {
    SCOPED_TRACE(file);
    ScopedEnv library(quendel::registry::kSqliteLibraryVariable, file.c_str());
    HelperRun run = runHelper("write");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run["result"], kAccessDenied);
    EXPECT_EQ(run["sqlite mapped"], "no");
    EXPECT_EQ(run.linesContaining("registry: " + file + " cannot be loaded (", "; no hive can be opened"), 1);
    EXPECT_EQ(bytesUnder(hives), 0u);
  }
}

}  // namespace
