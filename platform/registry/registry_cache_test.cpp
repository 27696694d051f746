// Cached reads: another process's commits are seen at once, and a hive file damaged or
// replaced behind the cache's back is noticed.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/file_watch.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_test_support.h"
#include "platform/registry/wal_index.h"

namespace quendel::registry::testing {
namespace {

using RegistryCache = RegistryTest;

constexpr auto kNoticeWithin = std::chrono::seconds(3);

// Polls check until it holds or kNoticeWithin passed; true when it held.
bool within(const std::function<bool()>& check) {
  auto until = std::chrono::steady_clock::now() + kNoticeWithin;
  while (std::chrono::steady_clock::now() < until) {
    if (check()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return check();
}

bool writeAll(int fd, const void* p, std::size_t n) { return ::write(fd, p, n) == static_cast<ssize_t>(n); }
bool readAll(int fd, void* p, std::size_t n) { return ::read(fd, p, n) == static_cast<ssize_t>(n); }

// The DWORD value App\n as RegOpenKeyExA and RegQueryValueExA read it (the settings path).
LONG readNumber(const char* name, DWORD* out) {
  HKEY key = nullptr;
  LONG st = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\App", 0, KEY_QUERY_VALUE, &key);
  if (st != ERROR_SUCCESS) return st;
  DWORD size = sizeof *out;
  st = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(out), &size);
  LONG closed = RegCloseKey(key);
  return st != ERROR_SUCCESS ? st : closed;
}

// The same read by path, without a handle (what the settings classes use).
LONG readNumberAt(const char* path, const char* name, DWORD* out) {
  DWORD size = sizeof *out;
  return queryValueAt(HKEY_CURRENT_USER, path, name, nullptr, reinterpret_cast<BYTE*>(out), &size);
}

LONG writeNumber(const char* path, const char* name, DWORD value) {
  HKEY key = nullptr;
  LONG st = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr);
  if (st != ERROR_SUCCESS) return st;
  st = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  LONG closed = RegCloseKey(key);
  return st != ERROR_SUCCESS ? st : closed;
}

// Process A writes, then tells B; B reads at once and answers what it found. B reads
// between the rounds too, so that its cache holds the previous state every time.
struct Round {
  const char* what;
  int rounds;
  // What A changes in round i, and what B then reads: the number it found (or ~0u).
  std::function<LONG(int)> change;
  std::function<DWORD(int)> observe;
  std::function<DWORD(int)> expected;
};

TEST_F(RegistryCache, EveryReadSeesWhatAnotherProcessCommittedBefore) {
  const std::vector<Round> cases = {
      {"a value rewritten", 10000, [](int i) { return writeNumber("Software\\App", "n", static_cast<DWORD>(i)); },
       [](int) {
         DWORD n = ~0u;
         return readNumber("n", &n) == ERROR_SUCCESS ? n : ~0u;
       },
       [](int i) { return static_cast<DWORD>(i); }},
      {"a key created after it was missing", 500,
       [](int i) { return writeNumber(("Software\\App\\k" + std::to_string(i)).c_str(), "", 1); },
       [](int i) {
         HKEY key = nullptr;
         std::string path = "Software\\App\\k" + std::to_string(i);
         LONG st = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key);
         if (st == ERROR_SUCCESS) st = RegCloseKey(key);
         return static_cast<DWORD>(st);
       },
       [](int) { return static_cast<DWORD>(ERROR_SUCCESS); }},
      {"a value rewritten, read by path", 10000,
       [](int i) { return writeNumber("Software\\App", "n", static_cast<DWORD>(i)); },
       [](int) {
         DWORD n = ~0u;
         return readNumberAt("Software\\App", "n", &n) == ERROR_SUCCESS ? n : ~0u;
       },
       [](int i) { return static_cast<DWORD>(i); }},
      {"a value in a key created after it was missing, read by path", 500,
       [](int i) { return writeNumber(("Software\\App\\v" + std::to_string(i)).c_str(), "n", static_cast<DWORD>(i)); },
       [](int i) {
         DWORD n = ~0u;
         return readNumberAt(("Software\\App\\v" + std::to_string(i)).c_str(), "n", &n) == ERROR_SUCCESS ? n : ~0u;
       },
       [](int i) { return static_cast<DWORD>(i); }},
  };
  ASSERT_STATUS(ERROR_SUCCESS, writeNumber("Software\\App", "n", ~0u));
  for (const Round& c : cases) {
    SCOPED_TRACE(c.what);
    int toB[2], toA[2];
    ASSERT_EQ(0, pipe(toB));
    ASSERT_EQ(0, pipe(toA));
    pid_t b = fork();
    ASSERT_GE(b, 0);
    if (b == 0) {
      close(toB[1]);
      close(toA[0]);
      int i = 0;
      (void)c.observe(0);  // fills the cache before the first round
      while (readAll(toB[0], &i, sizeof i)) {
        DWORD seen = c.observe(i);
        if (!writeAll(toA[1], &seen, sizeof seen)) break;
        (void)c.observe(i + 1);  // the next round's key is missing now: remembered so
      }
      _exit(0);
    }
    close(toB[0]);
    close(toA[1]);
    int stale = 0, first = -1;
    for (int i = 0; i < c.rounds; ++i) {
      ASSERT_STATUS(ERROR_SUCCESS, c.change(i));
      ASSERT_TRUE(writeAll(toB[1], &i, sizeof i));
      DWORD seen = 0;
      ASSERT_TRUE(readAll(toA[0], &seen, sizeof seen));
      if (seen != c.expected(i)) {
        ++stale;
        if (first < 0) first = i;
      }
    }
    close(toB[1]);
    close(toA[0]);
    int status = 0;
    waitpid(b, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(0, stale) << "stale reads, the first in round " << first;
  }
}

// Moves the log into the file and removes it with the index, so the file alone holds the hive.
void checkpoint(const std::string& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) == SQLITE_OK)
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  ::unlink((file + "-wal").c_str());
  ::unlink((file + "-shm").c_str());
}

// Runs body in a child process with its own connections; true when it exited with 0.
bool inChild(const std::function<bool()>& body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body() ? 0 : 1);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(RegistryCache, AHiveDamagedWhileCachedIsRefused) {
  ASSERT_STATUS(ERROR_SUCCESS, writeNumber("Software\\App", "n", 7));
  DWORD n = 0;
  ASSERT_STATUS(ERROR_SUCCESS, readNumber("n", &n));
  ASSERT_STATUS(ERROR_SUCCESS, readNumber("n", &n));  // from the cache now
  ASSERT_STATUS(ERROR_SUCCESS, readNumberAt("Software\\App", "n", &n));
  ASSERT_STATUS(ERROR_SUCCESS, readNumberAt("Software\\App", "n", &n));
  const std::string file = hiveFile("user.db");
  // Another process overwrites the header in place, outside the database.
  ASSERT_TRUE(inChild([&] {
    int fd = ::open(file.c_str(), O_WRONLY);
    const char garbage[16] = "not a database!";
    bool ok = fd >= 0 && ::pwrite(fd, garbage, sizeof garbage, 0) == static_cast<ssize_t>(sizeof garbage);
    if (fd >= 0) ::close(fd);
    return ok;
  }));
  EXPECT_TRUE(within([&] { return readNumber("n", &n) == ERROR_BADDB; }));
  EXPECT_STATUS(ERROR_BADDB, readNumberAt("Software\\App", "n", &n));
  EXPECT_STATUS(ERROR_BADDB, writeNumber("Software\\App", "n", 8));
  // Left as it was for the user to inspect.
  char head[16] = {};
  int fd = ::open(file.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(static_cast<ssize_t>(sizeof head), ::pread(fd, head, sizeof head, 0));
  ::close(fd);
  EXPECT_EQ(std::string("not a database!"), std::string(head));
}

TEST_F(RegistryCache, AHiveReplacedWhileCachedIsReadAnew) {
  ASSERT_STATUS(ERROR_SUCCESS, writeNumber("Software\\App", "n", 1));
  DWORD n = 0;
  ASSERT_STATUS(ERROR_SUCCESS, readNumber("n", &n));
  ASSERT_STATUS(ERROR_SUCCESS, readNumber("n", &n));
  ASSERT_EQ(1u, n);
  ASSERT_STATUS(ERROR_SUCCESS, readNumberAt("Software\\App", "n", &n));
  ASSERT_STATUS(ERROR_SUCCESS, readNumberAt("Software\\App", "n", &n));
  // Another process builds a hive elsewhere and renames it over this one.
  const std::string other = registry_->root() + "/other";
  ASSERT_TRUE(inChild([&] {
    setenv("QUENDEL_REGISTRY_DIR", other.c_str(), 1);
    if (writeNumber("Software\\App", "n", 2) != ERROR_SUCCESS) return false;
    if (writeNumber("Software\\App\\Only", "", 1) != ERROR_SUCCESS) return false;
    return true;
  }));
  checkpoint(other + "/user.db");
  ASSERT_TRUE(inChild([&] { return ::rename((other + "/user.db").c_str(), hiveFile("user.db").c_str()) == 0; }));
  EXPECT_TRUE(within([&] { return readNumberAt("Software\\App", "n", &n) == ERROR_SUCCESS && n == 2; }))
      << "still read " << n;
  EXPECT_STATUS(ERROR_SUCCESS, readNumber("n", &n));
  EXPECT_EQ(2u, n);
  HKEY key = nullptr;
  EXPECT_STATUS(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\App\\Only", 0, KEY_QUERY_VALUE, &key));
  if (key) EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryCache, TheChangeCountMovesWithEveryCommit) {
  ASSERT_STATUS(ERROR_SUCCESS, writeNumber("Software\\App", "n", 1));
  DWORD n = 0;
  ASSERT_STATUS(ERROR_SUCCESS, readNumber("n", &n));
  std::uint64_t a = 0, b = 0, c = 0, d = 0;
  ASSERT_STATUS(ERROR_SUCCESS, hiveChangeCount(HKEY_CURRENT_USER, &a));
  ASSERT_STATUS(ERROR_SUCCESS, hiveChangeCount(HKEY_CURRENT_USER, &b));
  EXPECT_EQ(a, b) << "nothing changed in between";
  ASSERT_TRUE(inChild([] { return writeNumber("Software\\App", "n", 2) == ERROR_SUCCESS; }));
  ASSERT_STATUS(ERROR_SUCCESS, hiveChangeCount(HKEY_CURRENT_USER, &c));
  EXPECT_NE(b, c) << "another process committed";
  ASSERT_STATUS(ERROR_SUCCESS, writeNumber("Software\\App", "n", 3));
  ASSERT_STATUS(ERROR_SUCCESS, hiveChangeCount(HKEY_CURRENT_USER, &d));
  EXPECT_NE(c, d) << "this process committed";
  std::uint64_t e = 0;
  EXPECT_STATUS(ERROR_INVALID_HANDLE, hiveChangeCount(HKEY_PERFORMANCE_DATA, &e));
}

// The index header: the same while nothing is committed, different after any commit.
TEST(WalIndexHeader, ChangesWithEveryCommitOfAnyConnection) {
  PrivateRegistry registry;
  ASSERT_TRUE(registry.ok());
  const std::string file = registry.root() + "/plain.db";
  sqlite3 *mine = nullptr, *other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &mine));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(mine, "CREATE TABLE t(x)", nullptr, nullptr, nullptr));
  WalIndex wal;
  EXPECT_FALSE(wal.attach(mine)) << "a database with a rollback journal has no index";
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(mine, "PRAGMA journal_mode=WAL; SELECT * FROM t", nullptr, nullptr, nullptr));
  ASSERT_TRUE(wal.attach(mine));
  ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &other));
  struct Step {
    const char* what;
    sqlite3* by;
    const char* sql;
    bool changes;
  };
  const Step steps[] = {
      {"a read of this connection", mine, "SELECT * FROM t", false},
      {"a read of another connection", other, "SELECT * FROM t", false},
      {"a commit of this connection", mine, "INSERT INTO t VALUES(1)", true},
      {"a commit of another connection", other, "INSERT INTO t VALUES(2)", true},
      {"a transaction rolled back", other, "BEGIN IMMEDIATE; INSERT INTO t VALUES(3); ROLLBACK", false},
      {"a checkpoint that restarts the log, then a commit", other,
       "PRAGMA wal_checkpoint(RESTART); INSERT INTO t VALUES(4)", true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    WalIndex::Header before{};
    ASSERT_TRUE(wal.read(&before));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(s.by, s.sql, nullptr, nullptr, nullptr));
    EXPECT_EQ(!s.changes, wal.unchanged(before));
  }
  wal.detach();
  sqlite3_close(other);
  sqlite3_close(mine);
}

// Which touches of a watched file count: one row per action, judged in event order
// against a counted touch of another file of the folder that follows it.
TEST(FileWatchEvents, CountWhatMayReplaceOrDamageTheFile) {
  PrivateRegistry registry;
  ASSERT_TRUE(registry.ok());
  const std::string dir = registry.root();
  const std::string file = dir + "/hive.db", marker = dir + "/marker.db";
  auto touch = [](const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    bool ok = fd >= 0 && ::write(fd, "x", 1) == 1;
    if (fd >= 0) ::close(fd);
    return ok;
  };
  ASSERT_TRUE(touch(file));
  ASSERT_TRUE(touch(marker));
  struct Action {
    const char* what;
    std::function<bool()> run;
    bool counts;
  };
  const std::vector<Action> actions = {
      {"the file written", [&] { return touch(file); }, true},
      {"its permissions changed", [&] { return ::chmod(file.c_str(), 0640) == 0; }, true},
      {"its log created", [&] { return touch(file + "-wal"); }, false},
      {"its log written", [&] { return touch(file + "-wal"); }, false},
      {"its index renamed over",
       [&] { return touch(dir + "/x") && ::rename((dir + "/x").c_str(), (file + "-shm").c_str()) == 0; }, true},
      {"another file written", [&] { return touch(dir + "/hive.dbx"); }, false},
      {"another file renamed over it",
       [&] { return touch(dir + "/y") && ::rename((dir + "/y").c_str(), file.c_str()) == 0; }, true},
      {"the file removed", [&] { return ::unlink(file.c_str()) == 0; }, true},
  };
  auto watch = FileWatch::of(file);
  auto markerWatch = FileWatch::of(marker);
  ASSERT_TRUE(watch && markerWatch) << "inotify is needed for cached reads";
  for (const Action& a : actions) {
    SCOPED_TRACE(a.what);
    std::uint64_t before = watch->changes(), markerBefore = markerWatch->changes();
    ASSERT_TRUE(a.run());
    ASSERT_TRUE(touch(marker));
    ASSERT_TRUE(within([&] { return markerWatch->changes() != markerBefore; }));
    EXPECT_EQ(a.counts, watch->changes() != before);
  }
}

}  // namespace
}  // namespace quendel::registry::testing
