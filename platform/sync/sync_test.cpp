// Named mutexes and their file names.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/sync/mutex_names.h"
#include "platform/sync/named_mutex.h"
#include "platform/sync/sha256.h"

namespace {

namespace fs = std::filesystem;
using quendel::platform::mutexFileName;

TEST(MutexNames, Sha256KnownValues) {
  EXPECT_EQ(quendel::platform::sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(quendel::platform::sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Two blocks of padding.
  EXPECT_EQ(quendel::platform::sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(MutexNames, SafeAndDistinct) {
  struct Case {
    std::string name, file;
  } cases[] = {
      {"App", "n_App"},
      {"{C91232E8-B223}_Desktop_:0", "n_{C91232E8-B223}_Desktop_%3A0"},
      {"../../etc/passwd", "n_..%2F..%2Fetc%2Fpasswd"},
      {".", "n_."},
      {"a b~%", "n_a%20b%7E%25"},
      {std::string("x\0y", 3), "n_x%00y"},
      {"\xD0\x98\xD0\xBC\xD1\x8F", "n_%D0%98%D0%BC%D1%8F"},
  };
  for (const auto& c : cases) EXPECT_EQ(mutexFileName(c.name), c.file) << c.name;

  // Long names: a fixed-size file name, still telling different names apart.
  std::string longA(5000, 'a'), longB = longA;
  longB.back() = 'b';
  std::string fa = mutexFileName(longA), fb = mutexFileName(longB);
  EXPECT_NE(fa, fb);
  EXPECT_EQ(fa.rfind("h_", 0), 0u);
  EXPECT_LE(fa.size(), 255u);
  EXPECT_LE(mutexFileName(std::string(3000, '/')).size(), 255u);
  // A short name cannot pose as a long one's file.
  EXPECT_NE(mutexFileName(fa.substr(2)), fa);

  // Names near the cut-over, and names that differ only in case or escapes.
  std::set<std::string> files;
  std::string names[] = {std::string(200, 'q'),
                         std::string(201, 'q'),
                         std::string(66, '/'),
                         std::string(67, '/'),
                         "Name",
                         "name",
                         "%41",
                         "A"};
  for (const auto& n : names) {
    std::string f = mutexFileName(n);
    EXPECT_EQ(f.find('/'), std::string::npos);
    EXPECT_LE(f.size(), 255u);
    files.insert(f);
  }
  EXPECT_EQ(files.size(), std::size(names));
}

// Each test gets its own shared folder, as the machine-wide one is.
class NamedMutex : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quendel-mutex-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    base_ = pattern;
    ::chmod(base_.c_str(), 0755);
    dir_ = base_ + "/ns";
    ::setenv("QUENDEL_MUTEX_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("QUENDEL_MUTEX_DIR");
    std::error_code ec;
    fs::remove_all(base_, ec);
  }

  // Runs body in a forked child that reports readiness through a pipe and then waits to
  // be killed; returns its pid, or -1.
  pid_t holdInChild(const std::function<bool()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(fds[0]);
      char ok = body() ? 'y' : 'n';
      if (::write(fds[1], &ok, 1) != 1) ::_exit(3);
      for (;;) ::pause();
    }
    ::close(fds[1]);
    char ok = 0;
    bool ready = ::read(fds[0], &ok, 1) == 1 && ok == 'y';
    ::close(fds[0]);
    if (!ready && pid > 0) {
      stopChild(pid);
      return -1;
    }
    return pid;
  }
  static void stopChild(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
  // Runs body in a forked child and returns its exit code.
  static int runInChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
  }

  std::string base_, dir_;
};

TEST_F(NamedMutex, ExistsWhileAnyHandleIsOpen) {
  HANDLE first = CreateMutexA(nullptr, FALSE, "Quendel Test/1");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  struct stat st {};
  ASSERT_EQ(::stat(dir_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 01777u);  // made shared and sticky

  HANDLE second = CreateMutexA(nullptr, TRUE, "Quendel Test/1");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  HANDLE other = CreateMutexA(nullptr, FALSE, "quendel test/1");  // names keep their case
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));

  EXPECT_TRUE(CloseHandle(first));
  HANDLE third = CreateMutexA(nullptr, FALSE, "Quendel Test/1");  // the second still holds it
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_TRUE(CloseHandle(third));
  EXPECT_TRUE(CloseHandle(other));
  HANDLE again = CreateMutexA(nullptr, FALSE, "Quendel Test/1");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  EXPECT_TRUE(CloseHandle(again));
  EXPECT_TRUE(fs::is_empty(dir_));  // the last holder removes its file

  EXPECT_FALSE(CloseHandle(again));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x7)));
}

TEST_F(NamedMutex, UnnamedMutexesAreAlwaysNew) {
  for (const char* name : {static_cast<const char*>(nullptr), ""}) {
    HANDLE a = CreateMutexA(nullptr, FALSE, name);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    HANDLE b = CreateMutexA(nullptr, FALSE, name);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    EXPECT_NE(a, b);
    EXPECT_TRUE(CloseHandle(a));
    EXPECT_TRUE(CloseHandle(b));
  }
}

TEST_F(NamedMutex, OtherProcessHoldsUntilKilled) {
  pid_t child = holdInChild([] { return CreateMutexA(nullptr, FALSE, "held") && GetLastError() == 0; });
  ASSERT_GT(child, 0);
  HANDLE h = CreateMutexA(nullptr, FALSE, "held");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(CloseHandle(h));
  stopChild(child);  // SIGKILL: no chance to clean up
  h = CreateMutexA(nullptr, FALSE, "held");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));  // the stale file is taken over
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(NamedMutex, HostileEntriesAreRefused) {
  HANDLE h = CreateMutexA(nullptr, FALSE, "x");  // makes the folder
  ASSERT_TRUE(CloseHandle(h));
  std::string target = base_ + "/target";
  {
    std::FILE* f = std::fopen(target.c_str(), "w");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fclose(f), 0);
  }
  ASSERT_EQ(::symlink(target.c_str(), (dir_ + "/" + mutexFileName("link")).c_str()), 0);
  ASSERT_EQ(::mkfifo((dir_ + "/" + mutexFileName("fifo")).c_str(), 0666), 0);
  ASSERT_EQ(::mkdir((dir_ + "/" + mutexFileName("folder")).c_str(), 0755), 0);
  for (const char* name : {"link", "fifo", "folder"}) {
    SetLastError(0);
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, name), nullptr) << name;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED)) << name;
  }
  EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(NamedMutex, MissingFolderThatCannotBeMade) {
  ::setenv("QUENDEL_MUTEX_DIR", (base_ + "/file/ns").c_str(), 1);
  {
    std::FILE* f = std::fopen((base_ + "/file").c_str(), "w");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fclose(f), 0);
  }
  EXPECT_EQ(CreateMutexA(nullptr, FALSE, "x"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(NamedMutex, AnotherUsersMutex) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as other users";
  HANDLE h = CreateMutexA(nullptr, FALSE, "made by root");  // makes the shared folder
  ASSERT_TRUE(CloseHandle(h));

  // A mutex that another user holds: this user sees that it exists.
  pid_t holder = holdInChild([] {
    return ::setgid(65534) == 0 && ::setuid(65534) == 0 && CreateMutexA(nullptr, FALSE, "nobody's") &&
           GetLastError() == 0;
  });
  ASSERT_GT(holder, 0);
  h = CreateMutexA(nullptr, FALSE, "nobody's");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(CloseHandle(h));
  stopChild(holder);

  // A lock file that its owner keeps private: a third user may not open it.
  std::string planted = dir_ + "/" + mutexFileName("private");
  EXPECT_EQ(runInChild([&] {
              if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 1;
              int fd = ::open(planted.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
              return fd >= 0 ? 0 : 2;
            }),
            0);
  EXPECT_EQ(runInChild([] {
              if (::setgid(65533) != 0 || ::setuid(65533) != 0) return 1;
              HANDLE m = CreateMutexA(nullptr, FALSE, "private");
              return m == nullptr && GetLastError() == DWORD(ERROR_ACCESS_DENIED) ? 0 : 2;
            }),
            0);
  // Its owner may still use it.
  EXPECT_EQ(runInChild([] {
              if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 1;
              HANDLE m = CreateMutexA(nullptr, FALSE, "private");
              return m != nullptr && GetLastError() == 0 && CloseHandle(m) ? 0 : 2;
            }),
            0);
}

}  // namespace
