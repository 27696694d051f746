// Reliability of the settings store over the shared hives: many writing processes at
// once, writers killed at random moments, damaged hive files, missing rights, and names
// that need care.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <sstream>

#include "automation/app_object.h"
#include "toolvane/settings/qnd_autorun_support.h"
#include "toolvane/settings/qnd_quendel_settings.h"
#include "toolvane/settings/settings_test_support.h"

namespace quendel::toolvane {
namespace {

using namespace quendel::automation;
using testing::SettingsTest;

constexpr char16_t kTitle[] = u"Reliability";

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

String number(int i) { return String(cp::fromUtf8(std::to_string(i))); }

// Waits for a child and tells how it ended.
int waitExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class ReliabilityTest : public SettingsTest {};

TEST_F(ReliabilityTest, EightProcessesWritingAtOnceLoseNothing) {
  constexpr int kProcesses = 8, kValues = 1000;
  // The hive exists before the writers start; creating it at once from several processes
  // is the next test's subject.
  ASSERT_TRUE(qndQuendelSettings().SaveSetting(u"", u"created", rtLong, Variant(LONG{1}), kTitle, 1, 0));
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(gate[1]);
      char c;
      (void)!::read(gate[0], &c, 1);  // all start together when the gate closes
      int failures = 0;
      qndQuendelSettings s;
      for (int i = 0; i < kValues; ++i)
        if (!s.SaveSetting(u"Writer " + number(p), u"v" + number(i), rtLong, Variant(LONG{p * 100000 + i}), kTitle, 1,
                           0))
          ++failures;
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  ::close(gate[0]);
  auto start = std::chrono::steady_clock::now();
  ::close(gate[1]);
  for (pid_t pid : children) EXPECT_EQ(waitExit(pid), 0);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  RecordProperty("concurrent_writes_per_second", static_cast<int>(kProcesses * kValues / seconds));
  std::cout << "[ figures  ] " << kProcesses * kValues << " concurrent SaveSetting calls in " << seconds << " s\n";

  qndQuendelSettings s;
  int missing = 0;
  for (int p = 0; p < kProcesses; ++p)
    for (int i = 0; i < kValues; ++i) {
      bool ok = false;
      LONG v =
          s.LoadSetting(u"Writer " + number(p), u"v" + number(i), rtLong, kTitle, 1, 0, Variant::missing(), true, &ok)
              .toLong();
      if (!ok || v != p * 100000 + i) ++missing;
    }
  EXPECT_EQ(missing, 0);
}

TEST_F(ReliabilityTest, WriterKilledAtRandomMomentsKeepsEveryConfirmedValue) {
  std::mt19937 rng(std::random_device{}());
  int confirmedTotal = 0;
  for (int round = 0; round < 6; ++round) {
    int acks[2];
    ASSERT_EQ(::pipe(acks), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(acks[0]);
      qndQuendelSettings s;
      for (std::int32_t i = 0;; ++i) {
        // A string long enough that a kill can land in the middle of writing it.
        if (!s.SaveSetting(u"Round " + number(round), u"v" + number(i), rtString, Variant(String(200, u'a' + i % 26)),
                           kTitle, 1, 0))
          ::_exit(1);
        if (::write(acks[1], &i, sizeof i) != sizeof i) ::_exit(2);
      }
    }
    ::close(acks[1]);
    const int killAfter = std::uniform_int_distribution<int>(20, 300)(rng);
    std::int32_t last = -1, got = 0;
    while (last + 1 < killAfter && ::read(acks[0], &got, sizeof got) == sizeof got) last = got;
    ::kill(pid, SIGKILL);
    while (::read(acks[0], &got, sizeof got) == sizeof got) last = got;  // confirmations already sent
    ::close(acks[0]);
    EXPECT_EQ(waitExit(pid), 128 + SIGKILL);
    ASSERT_GE(last, 0);
    confirmedTotal += last + 1;

    qndQuendelSettings s;
    int missing = 0;
    for (int i = 0; i <= last; ++i) {
      bool ok = false;
      String v = s.LoadSetting(u"Round " + number(round), u"v" + number(i), rtString, kTitle, 1, 0, Variant::missing(),
                               true, &ok)
                     .toString();
      if (!ok || v != String(200, u'a' + i % 26)) ++missing;
    }
    EXPECT_EQ(missing, 0) << "round " << round;
    EXPECT_TRUE(s.SaveSetting(u"After", u"round " + number(round), rtLong, Variant(LONG{round}), kTitle, 1, 0));
  }
  std::cout << "[ figures  ] 6 writers killed; " << confirmedTotal << " confirmed values all present\n";
}

// Several processes making the first write to a hive that does not exist yet: each must
// wait for the one creating it, none may take the half-made file for a damaged one.
TEST_F(ReliabilityTest, ProcessesCreatingTheHiveAtOnceAllSucceed) {
  constexpr int kRounds = 12, kProcesses = 8;
  int failedRounds = 0;
  for (int round = 0; round < kRounds; ++round) {
    const std::string folder = dir_ + "/round" + std::to_string(round);
    setenv("QUENDEL_REGISTRY_DIR", folder.c_str(), 1);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
      pid_t pid = ::fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        ::close(gate[1]);
        char c;
        (void)!::read(gate[0], &c, 1);
        qndRegistry reg;
        bool ok = reg.SetValue(kRootCurrentUser, u"Software\\First", u"p" + number(p), rtLong, Variant(LONG{p}));
        ::_exit(ok ? 0 : (reg.LastRegError() & 0x7F));
      }
      children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    std::string statuses;
    for (pid_t pid : children)
      if (int code = waitExit(pid); code != 0) statuses += " " + std::to_string(code);
    if (!statuses.empty()) {
      ++failedRounds;
      ADD_FAILURE() << "round " << round << ": first writes failed with status" << statuses;
    }
  }
  setenv("QUENDEL_REGISTRY_DIR", registryDir().c_str(), 1);
  EXPECT_EQ(failedRounds, 0);
}

// A user hive that has been written and closed again, so its file holds everything.
class DamagedHiveTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    qndQuendelSettings s;
    for (int i = 0; i < 50; ++i)
      ASSERT_TRUE(s.SaveSetting(u"Main", u"v" + number(i), rtString, Variant(String(300, u'x')), kTitle, 1, 0));
    // Reaching another folder's hive closes this one's connection.
    setenv("QUENDEL_REGISTRY_DIR", (dir_ + "/elsewhere").c_str(), 1);
    qndRegistry().GetValue(kRootCurrentUser, u"Software", u"x");
    setenv("QUENDEL_REGISTRY_DIR", registryDir().c_str(), 1);
  }
  void damage(const std::function<void(std::string&)>& how) {
    std::string bytes = fileBytes(hiveFile("user.db"));
    ASSERT_GT(bytes.size(), 4096u);
    how(bytes);
    std::ofstream out(hiveFile("user.db"), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  void expectRefusedAndUntouched() {
    const std::string before = fileBytes(hiveFile("user.db"));
    qndRegistry reg;
    const String key = u"Software\\Kestrane\\Quendel\\Reliability\\Version 1.0\\Main";
    for (LONG type : {rtString, rtLong, rtBinary, rtBoolean}) {
      bool ok = true;
      Variant v = reg.GetValue(kRootCurrentUser, key, u"v1", type, &ok);
      EXPECT_FALSE(ok);
      EXPECT_EQ(reg.LastRegError(), ERROR_BADDB);
      EXPECT_TRUE(type == rtBinary ? v.array() == nullptr : variantEquals(v, registry_values::EmptyValueFor(type)));
    }
    EXPECT_FALSE(reg.SetValue(kRootCurrentUser, key, u"new", rtString, Variant(u"x")));
    EXPECT_EQ(reg.LastRegError(), ERROR_BADDB);
    EXPECT_FALSE(reg.CreateKey(kRootCurrentUser, u"Software\\New"));
    EXPECT_FALSE(reg.DeleteKeyRecurse(kRootCurrentUser, u"Software\\Kestrane"));
    EXPECT_FALSE(reg.DeleteValue(kRootCurrentUser, key, u"v1"));
    EXPECT_EQ(reg.GetSubKeysNames(kRootCurrentUser, u"Software"), nullptr);
    EXPECT_EQ(reg.LastRegError(), ERROR_BADDB);
    EXPECT_FALSE(reg.IsKeyExist(kRootCurrentUser, key));

    qndQuendelSettings s;
    bool ok = true;
    EXPECT_EQ(s.LoadSetting(u"Main", u"v1", rtString, kTitle, 1, 1, Variant(u"dflt"), true, &ok).toString(), u"dflt");
    EXPECT_FALSE(ok);
    EXPECT_FALSE(s.SaveSetting(u"Main", u"v1", rtString, Variant(u"y"), kTitle, 1, 0));
    EXPECT_NE(s.LoadFont2(u"Font", AppObject::create(AppInfo{})), nullptr);  // the default font
    EXPECT_EQ(fileBytes(hiveFile("user.db")), before) << "the damaged file must be left as it was";
  }
};

TEST_F(DamagedHiveTest, Garbage) {
  damage([](std::string& b) { std::fill(b.begin(), b.end(), '\x5A'); });
  expectRefusedAndUntouched();
}

TEST_F(DamagedHiveTest, Truncated) {
  damage([](std::string& b) { b.resize(b.size() / 2 + 100); });
  expectRefusedAndUntouched();
}

TEST_F(DamagedHiveTest, HeaderOverwritten) {
  damage([](std::string& b) { std::fill(b.begin(), b.begin() + 100, '\0'); });
  expectRefusedAndUntouched();
}

// The checks a user without the right to the machine hive runs; "" when all hold.
std::string machineHiveChecks() {
  std::ostringstream problems;
  qndRegistry reg;
  const String key = u"Software\\Kestrane\\Quendel\\Reliability\\Version 1.0";
  if (reg.SetValue(kRootLocalMachine, key, u"new", rtString, Variant(u"x"))) problems << "SetValue succeeded; ";
  if (reg.LastRegError() != ERROR_ACCESS_DENIED) problems << "SetValue status " << reg.LastRegError() << "; ";
  if (reg.CreateKey(kRootLocalMachine, u"Software\\Other")) problems << "CreateKey succeeded; ";
  if (reg.LastRegError() != ERROR_ACCESS_DENIED) problems << "CreateKey status " << reg.LastRegError() << "; ";
  bool ok = false;
  if (reg.GetValue(kRootLocalMachine, key, u"present", rtLong, &ok).toLong() != 7 || !ok)
    problems << "reading failed with " << reg.LastRegError() << "; ";
  qndQuendelSettings s;
  if (s.SaveSetting(u"", u"v", rtLong, Variant(LONG{1}), kTitle, 1, 0, false)) problems << "SaveSetting succeeded; ";
  qndAutorunSupport a;
  a.setForCurrentUserOnly(false);
  if (a.AddToAutorun(u"App", u"/bin/true")) problems << "AddToAutorun succeeded; ";
  return problems.str();
}

TEST_F(ReliabilityTest, MachineHiveWithoutTheRightRefusesWrites) {
  qndRegistry reg;
  ASSERT_TRUE(reg.SetValue(kRootLocalMachine, u"Software\\Kestrane\\Quendel\\Reliability\\Version 1.0", u"present",
                           rtLong, Variant(LONG{7})));
  ASSERT_EQ(::mkdir((dir_ + "/xdg-system").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir_ + "/xdg-system/autostart").c_str(), 0755), 0);
  if (::geteuid() != 0) {
    // Without root the files' modes are enough.
    ASSERT_EQ(::chmod(hiveFile("machine.db").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(registryDir().c_str(), 0555), 0);
    ASSERT_EQ(::chmod((dir_ + "/xdg-system/autostart").c_str(), 0555), 0);
    EXPECT_EQ(machineHiveChecks(), "");
    return;
  }
  // Root may write anything: run the checks as the unprivileged user "nobody".
  ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(registryDir().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(hiveFile("machine.db").c_str(), 0644), 0);
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(out[0]);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    std::string problems = machineHiveChecks();
    (void)!::write(out[1], problems.data(), problems.size());
    ::_exit(0);
  }
  ::close(out[1]);
  std::string problems;
  char buf[512];
  for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) problems.append(buf, static_cast<std::size_t>(n));
  ::close(out[0]);
  EXPECT_EQ(waitExit(pid), 0);
  EXPECT_EQ(problems, "");
}

TEST_F(ReliabilityTest, UserHiveIsReadableByItsOwnerOnly) {
  qndQuendelSettings s;
  ASSERT_TRUE(s.SaveSetting(u"Main", u"v", rtString, Variant(u"secret"), kTitle, 1, 0));
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(registryDir())) {
    if (e.path().filename().string().rfind("user.db", 0) != 0) continue;
    struct stat st {};
    ASSERT_EQ(::stat(e.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << e.path() << " mode " << std::oct << (st.st_mode & 0777);
    ++files;
  }
  EXPECT_GE(files, 1);
}

TEST_F(ReliabilityTest, AwkwardNamesThroughTheSettingsStore) {
  qndQuendelSettings s;
  const String long255(255, u'\u044f');
  struct Row {
    String title, subKey, valueName;
  } rows[] = {
      {u"Quendel - \"Quoted\"", u"Main", u"it's \"here\""},
      {u"100% %s %n", u"%USERPROFILE%\\%1", u"%d"},
      {u"\u0420\u0435\u0434\u0430\u043a\u0442\u043e\u0440 \u00e9\u00e8", u"\u7a97\u53e3", u"\U0001F600"},
      {long255, long255 + u"\\" + long255, long255},
  };
  for (const auto& r : rows) {
    ASSERT_TRUE(s.SaveSetting(r.subKey, r.valueName, rtString, Variant(r.valueName), r.title, 1, 0))
        << cp::toUtf8(r.title);
    bool ok = false;
    EXPECT_EQ(s.LoadSetting(r.subKey, r.valueName, rtString, r.title, 1, 1, Variant::missing(), true, &ok).toString(),
              r.valueName);
    EXPECT_TRUE(ok);
  }
  // A component of 256 characters is refused by the registry, reported, not a crash.
  EXPECT_FALSE(s.SaveSetting(String(256, u'k'), u"v", rtString, Variant(u"x"), kTitle, 1, 0));
  bool ok = true;
  s.LoadSetting(String(256, u'k'), u"v", rtString, kTitle, 1, 0, Variant::missing(), true, &ok);
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace quendel::toolvane
