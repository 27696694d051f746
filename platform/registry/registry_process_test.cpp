// Several processes at once: concurrent writers, and writers killed at random moments.
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_test_support.h"

namespace quendel::registry::testing {
namespace {

using RegistryProcesses = RegistryTest;

std::string integrityOf(const std::string& file) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return result;
}

TEST_F(RegistryProcesses, ConcurrentWritersLoseNothing) {
  constexpr int kWriters = 8, kValues = 1000;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      HKEY key = nullptr;
      if (create(HKEY_CURRENT_USER, "Software\\Concurrent", &key) != ERROR_SUCCESS) _exit(2);
      for (int i = 0; i < kValues; ++i) {
        std::string name = "w" + std::to_string(w) + "." + std::to_string(i);
        if (setDword(key, name.c_str(), static_cast<DWORD>(w * kValues + i)) != ERROR_SUCCESS) _exit(3);
      }
      if (RegCloseKey(key) != ERROR_SUCCESS) _exit(5);
      _exit(0);
    }
    children.push_back(pid);
  }
  // Meanwhile this process reads: readers never wait for writers, nor fail because of them.
  int badReads = 0, reads = 0;
  for (std::size_t done = 0; done < children.size();) {
    HKEY key = nullptr;
    LONG st = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Concurrent", 0, KEY_READ, &key);
    if (st == ERROR_SUCCESS) {
      DWORD values = 0;
      if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS) {
        ++badReads;
      }
      if (RegCloseKey(key) != ERROR_SUCCESS) ++badReads;
    } else if (st != ERROR_FILE_NOT_FOUND) {
      ++badReads;
    }
    ++reads;
    int status = 0;
    // A few hundred reads are enough; then leave the processor to the writers.
    pid_t pid = waitpid(-1, &status, reads < 300 ? WNOHANG : 0);
    if (pid > 0) {
      ++done;
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << pid << " status " << status;
    }
  }
  EXPECT_EQ(0, badReads) << "of " << reads << " reads during the writes";
  HKEY key = nullptr;
  ASSERT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Concurrent", 0, KEY_READ, &key));
  DWORD values = 0;
  EXPECT_STATUS(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                                nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(kWriters * kValues), values);
  int wrong = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kValues; ++i) {
      std::string name = "w" + std::to_string(w) + "." + std::to_string(i);
      DWORD data = 0, size = sizeof data;
      LONG st = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size);
      if (st != ERROR_SUCCESS || data != static_cast<DWORD>(w * kValues + i)) ++wrong;
    }
  }
  EXPECT_EQ(0, wrong) << "values missing or wrong";
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryProcesses, KilledWriterLosesNoCommittedValue) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // A folder of its own per round: this process reads a hive only after its writer died.
    std::string folder = dir_ + "/round" + std::to_string(round);
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0700));
    setenv("QUENDEL_REGISTRY_DIR", folder.c_str(), 1);
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(fds[0]);
      for (std::uint32_t i = 0;; ++i) {
        HKEY key = nullptr;
        std::string path = "Software\\Kill\\K" + std::to_string(i % 7);
        if (create(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) _exit(2);
        std::string name = "v" + std::to_string(i);
        if (setDword(key, name.c_str(), i) != ERROR_SUCCESS) _exit(3);
        if (RegCloseKey(key) != ERROR_SUCCESS) _exit(5);
        if (write(fds[1], &i, sizeof i) != sizeof i) _exit(4);
      }
    }
    close(fds[1]);
    // Kill after a random number of confirmed writes (none at all in some rounds).
    std::uint32_t killAfter = round == 0 ? 0 : random() % 400;
    std::vector<std::uint32_t> confirmed;
    std::uint32_t index = 0;
    while (confirmed.size() < killAfter && read(fds[0], &index, sizeof index) == sizeof index) {
      confirmed.push_back(index);
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own: " << status;
    while (read(fds[0], &index, sizeof index) == sizeof index) confirmed.push_back(index);
    close(fds[0]);

    int missing = 0;
    for (std::uint32_t i : confirmed) {
      std::string path = "Software\\Kill\\K" + std::to_string(i % 7);
      std::string name = "v" + std::to_string(i);
      std::vector<BYTE> data;
      if (getBytes(HKEY_CURRENT_USER, path.c_str(), name.c_str(), &data) != ERROR_SUCCESS || data.size() != 4 ||
          data[0] != (i & 0xFF)) {
        ++missing;
      }
    }
    EXPECT_EQ(0, missing) << "of " << confirmed.size() << " confirmed values";
    // The hive opens and takes new writes.
    HKEY key = nullptr;
    ASSERT_STATUS(ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Software\\After", &key));
    EXPECT_STATUS(ERROR_SUCCESS, setDword(key, "ok", 1));
    EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ("ok", integrityOf(folder + "/user.db"));
  }
}

}  // namespace
}  // namespace quendel::registry::testing
