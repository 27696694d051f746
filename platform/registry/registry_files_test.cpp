// Hive files: damaged files are refused and left alone, unwritable hives still read.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/registry/hive.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_test_support.h"

namespace quendel::registry::testing {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Runs body in a child process, so that this process holds no connection to the hives
// it touches; the child reports failed checks as text.
std::string inChild(const std::function<void(std::string&)>& body, const std::function<void()>& before = {}) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string failures;
    if (before) before();
    body(failures);
    ssize_t unused = write(fds[1], failures.data(), failures.size());
    (void)unused;
    _exit(0);
  }
  close(fds[1]);
  std::string report;
  char buf[512];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) report.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += "child did not exit cleanly; ";
  return report;
}

#define CHILD_CHECK(failures, expected, call)                                                                     \
  do {                                                                                                            \
    LONG got_ = (call);                                                                                           \
    if (got_ != static_cast<LONG>(expected))                                                                      \
      (failures) +=                                                                                               \
          std::string(#call) + ": expected " + std::to_string(expected) + ", got " + std::to_string(got_) + "; "; \
  } while (0)

// Moves the write-ahead log into the main file, so the file alone holds the hive.
void checkpoint(const std::string& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) == SQLITE_OK)
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  ::unlink((file + "-wal").c_str());
  ::unlink((file + "-shm").c_str());
}

class HiveFiles : public RegistryTest {
 protected:
  // A hive with a few keys and values, written by another process and checkpointed.
  void makeHive(const std::string& folder) {
    ::mkdir(folder.c_str(), 0755);
    setenv("QUENDEL_REGISTRY_DIR", folder.c_str(), 1);
    std::string report = inChild([](std::string& f) {
      for (int i = 0; i < 40; ++i) {
        std::string path = "Software\\Key" + std::to_string(i);
        CHILD_CHECK(f, ERROR_SUCCESS, setString(HKEY_CURRENT_USER, path.c_str(), "Value", std::string(200, 'x')));
        CHILD_CHECK(f, ERROR_SUCCESS, setString(HKEY_LOCAL_MACHINE, path.c_str(), "Value", "machine"));
      }
    });
    ASSERT_EQ("", report);
    checkpoint(folder + "/user.db");
    checkpoint(folder + "/machine.db");
  }
};

TEST_F(HiveFiles, DamagedHiveGivesBadDbAndIsLeftUnchanged) {
  struct Case {
    const char* name;
    std::function<std::string(const std::string& intact)> damage;
  } cases[] = {
      {"text", [](const std::string&) { return std::string("this is not a database\n"); }},
      {"garbage",
       [](const std::string&) {
         std::string g(8192, '\0');
         for (size_t i = 0; i < g.size(); ++i) g[i] = static_cast<char>((i * 7919) >> 3);
         return g;
       }},
      {"header only", [](const std::string& intact) { return intact.substr(0, 100); }},
      {"cut mid-page", [](const std::string& intact) { return intact.substr(0, intact.size() / 2 + 100); }},
      {"cut to first page", [](const std::string& intact) { return intact.substr(0, 4096); }},
      {"inner page overwritten",
       [](const std::string& intact) {
         std::string d = intact;
         for (size_t i = 4096; i < 8192 && i < d.size(); ++i) d[i] = '\xFF';
         return d;
       }},
      {"other program's database", [](const std::string&) { return std::string(); }},
  };
  // One intact pair of hives, copied for each case.
  makeHive(dir_ + "/intact");
  const std::string intactUser = readFile(dir_ + "/intact/user.db");
  const std::string intactMachine = readFile(dir_ + "/intact/machine.db");
  ASSERT_GT(intactUser.size(), 3 * 4096u) << "the intact hive should span several pages";
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string folder = dir_ + "/case" + std::to_string(n++);
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0700));
    setenv("QUENDEL_REGISTRY_DIR", folder.c_str(), 1);
    writeFile(folder + "/machine.db", intactMachine);
    std::string file = folder + "/user.db";
    std::string damaged = c.damage(intactUser);
    if (damaged.empty()) {
      ::unlink(file.c_str());
      sqlite3* db = nullptr;
      ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &db));
      sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES(1)", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      damaged = readFile(file);
    } else {
      writeFile(file, damaged);
    }
    HKEY key = nullptr;
    char name[32];
    EXPECT_STATUS(ERROR_BADDB, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Key1", 0, KEY_READ, &key));
    EXPECT_STATUS(ERROR_BADDB, create(HKEY_CURRENT_USER, "Software\\New", &key));
    EXPECT_STATUS(ERROR_BADDB, setDword(HKEY_CURRENT_USER, "v", 1));
    EXPECT_STATUS(ERROR_BADDB, RegEnumKeyA(HKEY_CURRENT_USER, 0, name, sizeof name));
    EXPECT_STATUS(ERROR_BADDB, SHDeleteKeyA(HKEY_CURRENT_USER, "Software"));
    EXPECT_STATUS(ERROR_BADDB, RegQueryInfoKeyA(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(readFile(file) == damaged) << "the damaged file was changed";
    // The other hives of the folder are not affected.
    std::vector<BYTE> data;
    EXPECT_STATUS(ERROR_SUCCESS, getBytes(HKEY_LOCAL_MACHINE, "Software\\Key1", "Value", &data));
  }
}

// Runs body in a child process that ends with exit(), which closes its hives as a program
// ending does; true when body returned true.
bool inExitingChild(const std::function<bool()>& body) {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) std::exit(body() ? 0 : 1);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(HiveFiles, APrivateHiveKeepsAnEmptyLogBetweenProcessesAndAReadableOneKeepsNone) {
  // user.db is made 0600, machine.db readable by everyone (0644).
  ASSERT_TRUE(inExitingChild([] {
    return setString(HKEY_CURRENT_USER, "Software\\Kept", "Value", "user") == ERROR_SUCCESS &&
           setString(HKEY_LOCAL_MACHINE, "Software\\Kept", "Value", "machine") == ERROR_SUCCESS;
  }));
  struct stat st {};
  ASSERT_EQ(0, ::stat(hiveFile("user.db").c_str(), &st));
  ASSERT_EQ(0u, st.st_mode & (S_IRWXG | S_IRWXO));
  ASSERT_EQ(0, ::stat(hiveFile("user.db-wal").c_str(), &st)) << "the private hive's log is gone";
  EXPECT_EQ(0, st.st_size) << "its pages stayed in the log";
  EXPECT_EQ(0, ::stat(hiveFile("user.db-shm").c_str(), &st));
  EXPECT_NE(0, ::stat(hiveFile("machine.db-wal").c_str(), &st)) << "a readable hive kept its log";
  EXPECT_NE(0, ::stat(hiveFile("machine.db-shm").c_str(), &st));
  // The next process reads what the first wrote, through the kept files.
  EXPECT_TRUE(inExitingChild([] {
    std::vector<BYTE> data;
    return getBytes(HKEY_CURRENT_USER, "Software\\Kept", "Value", &data) == ERROR_SUCCESS &&
           asText(data) == std::string("user\0", 5);
  }));
}

TEST_F(HiveFiles, ClassifiesFilesWithoutSqlite) {
  std::string file = dir_ + "/probe";
  auto classify = [&](const std::string& bytes) {
    writeFile(file, bytes);
    int fd = ::open(file.c_str(), O_RDONLY);
    HiveFileState s = classifyHiveFile(fd);
    ::close(fd);
    return s;
  };
  std::string header(4096, '\0');
  std::memcpy(header.data(), "SQLite format 3", 16);
  header[16] = 0x10;  // 4096-byte pages
  header[18] = header[19] = 1;
  EXPECT_EQ(HiveFileState::Empty, classify(""));
  EXPECT_EQ(HiveFileState::Database, classify(header));
  EXPECT_EQ(HiveFileState::Damaged, classify(header.substr(0, 600)));
  std::string badPageSize = header;
  badPageSize[16] = 0x11;
  EXPECT_EQ(HiveFileState::Damaged, classify(badPageSize));
  std::string foreignId = header;
  foreignId[68] = 1;
  EXPECT_EQ(HiveFileState::Damaged, classify(foreignId));
}

TEST_F(HiveFiles, EmptyFileIsAHiveNotYetWritten) {
  // What a writer killed between creating the file and its first commit leaves behind.
  writeFile(hiveFile("user.db"), "");
  HKEY key = nullptr;
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key));
  EXPECT_STATUS(ERROR_SUCCESS, setString(HKEY_CURRENT_USER, "Software", "v", "x"));
  std::vector<BYTE> data;
  EXPECT_STATUS(ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Software", "v", &data));
}

// Runs body as a user who cannot write the hive files (nobody, when the test runs as root).
std::string asUnprivileged(const std::function<void(std::string&)>& body) {
  return inChild(body, [] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
  });
}

TEST_F(HiveFiles, UnwritableHiveStillReads) {
  ::chmod(dir_.c_str(), 0755);
  std::string folder = dir_ + "/ro";
  makeHive(folder);
  ::chmod((folder + "/user.db").c_str(), 0444);
  ::chmod((folder + "/machine.db").c_str(), 0444);
  ::chmod(folder.c_str(), 0555);
  std::string report = asUnprivileged([](std::string& f) {
    std::vector<BYTE> data;
    CHILD_CHECK(f, ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Software\\Key3", "Value", &data));
    if (data.size() != 201) f += "read gave " + std::to_string(data.size()) + " bytes, expected 201; ";
    HKEY key = nullptr;
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Key3", 0, KEY_ALL_ACCESS, &key));
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, create(HKEY_CURRENT_USER, "Software\\Key3", &key, KEY_WRITE));
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, create(HKEY_CURRENT_USER, "Software\\New", &key, KEY_READ));
    CHILD_CHECK(f, ERROR_SUCCESS, create(HKEY_CURRENT_USER, "Software\\Key3", &key, KEY_READ));
    EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(key));
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, setDword(HKEY_CURRENT_USER, "v", 1));
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Key3"));
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software"));
    CHILD_CHECK(f, ERROR_FILE_NOT_FOUND, SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Missing"));
    // A hive that does not exist in a folder that cannot be written.
    CHILD_CHECK(f, ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_USERS, ".DEFAULT", 0, KEY_READ, &key));
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, setString(HKEY_USERS, ".DEFAULT", "v", "x"));
  });
  EXPECT_EQ("", report);
  struct stat st {};
  EXPECT_NE(0, ::stat((folder + "/users.db").c_str(), &st)) << "users.db was created";

  // A writable file in a folder that is not writable: the log cannot be made, so no write.
  std::string folder2 = dir_ + "/ro2";
  makeHive(folder2);
  ::chmod((folder2 + "/user.db").c_str(), 0644);
  if (geteuid() == 0) {
    ASSERT_EQ(0, ::chown((folder2 + "/user.db").c_str(), 65534, 65534));
  }
  ::chmod(folder2.c_str(), 0555);
  report = asUnprivileged([](std::string& f) {
    std::vector<BYTE> data;
    CHILD_CHECK(f, ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Software\\Key7", "Value", &data));
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, setString(HKEY_CURRENT_USER, "Software\\Key7", "Value", "y"));
  });
  EXPECT_EQ("", report);
  ::chmod(folder.c_str(), 0755);
  ::chmod(folder2.c_str(), 0755);
}

TEST_F(HiveFiles, ReaderWithoutWriteAccessSeesAnOpenWritersLog) {
  ::chmod(dir_.c_str(), 0755);
  std::string folder = dir_ + "/live";
  makeHive(folder);
  // A writer that keeps the hive open, with its newest value only in the log.
  int go[2], ready[2];
  ASSERT_EQ(0, pipe(go));
  ASSERT_EQ(0, pipe(ready));
  pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    char c = 0;
    bool ok = setString(HKEY_LOCAL_MACHINE, "Software\\Live", "Value", "in the log") == ERROR_SUCCESS;
    if (write(ready[1], ok ? "1" : "0", 1) != 1) _exit(1);
    if (read(go[0], &c, 1) < 0) _exit(1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(1, read(ready[0], &c, 1));
  ASSERT_EQ('1', c);
  struct stat st {};
  EXPECT_EQ(0, ::stat((folder + "/machine.db-wal").c_str(), &st)) << "the writer has no log open";
  std::string report = asUnprivileged([](std::string& f) {
    std::vector<BYTE> data;
    CHILD_CHECK(f, ERROR_SUCCESS, getBytes(HKEY_LOCAL_MACHINE, "Software\\Live", "Value", &data));
    if (asText(data) != std::string("in the log\0", 11)) f += "read \"" + asText(data) + "\"; ";
    CHILD_CHECK(f, ERROR_ACCESS_DENIED, setString(HKEY_LOCAL_MACHINE, "Software\\Live", "Value", "x"));
  });
  EXPECT_EQ("", report);
  ASSERT_EQ(1, write(go[1], "x", 1));
  int status = 0;
  waitpid(writer, &status, 0);
  for (int fd : {go[0], go[1], ready[0], ready[1]}) close(fd);
}

TEST_F(HiveFiles, ClassesWritesGoToTheUserWhenTheMachineHiveIsNotWritable) {
  ::chmod(dir_.c_str(), 0755);
  std::string folder = dir_ + "/classes";
  makeHive(folder);
  ::unlink((folder + "/user.db").c_str());
  ::chmod((folder + "/machine.db").c_str(), 0444);
  if (geteuid() == 0) {
    ASSERT_EQ(0, ::chown(folder.c_str(), 65534, 65534));
  }
  std::string report = asUnprivileged([](std::string& f) {
    std::vector<BYTE> data;
    CHILD_CHECK(f, ERROR_SUCCESS, setString(HKEY_CLASSES_ROOT, "Prog.Nobody", nullptr, "u"));
    CHILD_CHECK(f, ERROR_SUCCESS, getBytes(HKEY_CURRENT_USER, "Software\\Classes\\Prog.Nobody", nullptr, &data));
    CHILD_CHECK(f, ERROR_FILE_NOT_FOUND,
                getBytes(HKEY_LOCAL_MACHINE, "Software\\Classes\\Prog.Nobody", nullptr, &data));
    CHILD_CHECK(f, ERROR_SUCCESS, getBytes(HKEY_CLASSES_ROOT, "Prog.Nobody", nullptr, &data));
    // Machine keys stay readable through the merged view, and cannot be deleted there.
    CHILD_CHECK(f, ERROR_SUCCESS, getBytes(HKEY_LOCAL_MACHINE, "Software\\Key2", "Value", &data));
  });
  EXPECT_EQ("", report);
}

}  // namespace
}  // namespace quendel::registry::testing
