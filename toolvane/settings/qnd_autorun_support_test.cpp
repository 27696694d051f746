#include "toolvane/settings/qnd_autorun_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "support/quendelsupport.h"
#include "toolvane/frame/global_instance.h"
#include "toolvane/settings/autostart_entry.h"
#include "toolvane/settings/qnd_registry.h"
#include "toolvane/settings/settings_test_support.h"

namespace quendel::toolvane {
namespace {

using namespace quendel::automation;
using testing::SettingsTest;

class AutorunTest : public SettingsTest {
 protected:
  std::string userEntry(const String& id) const { return dir_ + "/config/autostart/" + autostart::fileNameFor(id); }
  std::string machineEntry(const String& id) const {
    return dir_ + "/xdg-system/autostart/" + autostart::fileNameFor(id);
  }
  static bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }
  static std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static std::string execLineOf(const std::string& entry) {
    auto at = entry.find("\nExec=");
    return at == std::string::npos ? "" : entry.substr(at + 6, entry.find('\n', at + 6) - at - 6);
  }
  qndAutorunSupport a;
};

TEST_F(AutorunTest, AddWithoutCommandLineUsesTheProgram) {
  const String id = u"{6B1B2E4C-0000-4D2B-9C41-5A9E4A7C3D11}";
  EXPECT_FALSE(a.IsInAutorun(id));
  ASSERT_TRUE(a.AddToAutorun(id));
  const String exe = asGetEXEModulePrettyFileName();
  EXPECT_EQ(a.GetAutorunString(id), exe);
  EXPECT_TRUE(a.IsInAutorun(id));
  qndRegistry reg;
  EXPECT_EQ(reg.GetValue(kRootCurrentUser, kRunKey, id).toString(), exe);

  ASSERT_TRUE(exists(userEntry(id)));
  std::string entry = slurp(userEntry(id));
  EXPECT_EQ(entry.rfind("[Desktop Entry]\nType=Application\n", 0), 0u) << entry;
  EXPECT_NE(entry.find("\nX-GNOME-Autostart-enabled=true\n"), std::string::npos);
  EXPECT_FALSE(execLineOf(entry).empty());
  EXPECT_FALSE(exists(machineEntry(id)));

  ASSERT_TRUE(a.DeleteFromAutorun(id));
  EXPECT_FALSE(a.IsInAutorun(id));
  EXPECT_EQ(a.GetAutorunString(id), u"");
  EXPECT_FALSE(exists(userEntry(id)));
  EXPECT_FALSE(a.DeleteFromAutorun(id));  // nothing left to delete
}

TEST_F(AutorunTest, MachineScope) {
  EXPECT_TRUE(a.ForCurrentUserOnly());
  a.setForCurrentUserOnly(false);
  EXPECT_FALSE(a.ForCurrentUserOnly());
  const String id = u"Machine App";
  ASSERT_TRUE(a.AddToAutorun(id, u"/opt/app/run --quiet"));
  EXPECT_TRUE(a.IsInAutorun(id));
  EXPECT_EQ(a.GetAutorunString(id), u"/opt/app/run --quiet");
  qndRegistry reg;
  EXPECT_EQ(reg.GetValue(kRootLocalMachine, kRunKey, id).toString(), u"/opt/app/run --quiet");
  EXPECT_FALSE(reg.IsKeyExist(kRootCurrentUser, kRunKey));
  EXPECT_TRUE(exists(machineEntry(id)));
  EXPECT_FALSE(exists(userEntry(id)));
  EXPECT_EQ(execLineOf(slurp(machineEntry(id))), "/opt/app/run --quiet");
  ASSERT_TRUE(a.DeleteFromAutorun(id));
  EXPECT_FALSE(exists(machineEntry(id)));
  a.setForCurrentUserOnly(true);
  EXPECT_TRUE(a.ForCurrentUserOnly());
}

TEST_F(AutorunTest, EmptyIdentifierTouchesNothing) {
  EXPECT_FALSE(a.AddToAutorun(u"", u"x"));
  EXPECT_FALSE(a.IsInAutorun(u""));
  EXPECT_EQ(a.GetAutorunString(u""), u"");
  EXPECT_FALSE(a.DeleteFromAutorun(u""));
  EXPECT_FALSE(exists(dir_ + "/config/autostart"));
  EXPECT_FALSE(exists(registryDir()));
}

TEST_F(AutorunTest, BlankCommandLine) {
  ASSERT_TRUE(a.AddToAutorun(u"Blank", u"   "));
  EXPECT_FALSE(a.IsInAutorun(u"Blank"));  // blanks only count as absent
  EXPECT_EQ(a.GetAutorunString(u"Blank"), u"   ");
  EXPECT_FALSE(exists(userEntry(u"Blank")));  // nothing to start
}

TEST_F(AutorunTest, IdentifiersIgnoreCaseLikeTheRunKey) {
  ASSERT_TRUE(a.AddToAutorun(u"MyApp", u"/bin/true"));
  EXPECT_TRUE(a.IsInAutorun(u"MYAPP"));
  EXPECT_EQ(autostart::fileNameFor(u"MyApp"), autostart::fileNameFor(u"myapp"));
  ASSERT_TRUE(a.DeleteFromAutorun(u"myapp"));
  EXPECT_FALSE(exists(userEntry(u"MyApp")));
}

TEST_F(AutorunTest, UnwritableAutostartFolderChangesNothing) {
  // A plain file where the folder should be: no user, root included, can write an entry.
  ASSERT_EQ(::mkdir((dir_ + "/config").c_str(), 0700), 0);
  const std::string blocker = dir_ + "/config/autostart";
  { std::ofstream(blocker) << "not a folder"; }
  EXPECT_FALSE(a.AddToAutorun(u"App", u"/bin/true"));
  EXPECT_FALSE(a.IsInAutorun(u"App"));
  EXPECT_EQ(slurp(blocker), "not a folder");
}

TEST_F(AutorunTest, RefusedRegistryWritePutsTheEntryBack) {
  ASSERT_TRUE(a.AddToAutorun(u"App", u"/bin/old"));
  std::string before = slurp(userEntry(u"App"));
  // Another registry folder whose user hive is damaged: every registry write gives 1009.
  const std::string damagedDir = dir_ + "/damaged";
  ASSERT_EQ(::mkdir(damagedDir.c_str(), 0700), 0);
  {
    std::ofstream damaged(damagedDir + "/user.db", std::ios::binary);
    damaged << std::string(4096, 'x');
  }
  setenv("QUENDEL_REGISTRY_DIR", damagedDir.c_str(), 1);
  EXPECT_FALSE(a.AddToAutorun(u"App", u"/bin/new"));
  EXPECT_EQ(slurp(userEntry(u"App")), before);
  EXPECT_FALSE(a.AddToAutorun(u"Other", u"/bin/new"));
  EXPECT_FALSE(exists(userEntry(u"Other")));
  EXPECT_FALSE(a.DeleteFromAutorun(u"App"));
  EXPECT_EQ(slurp(userEntry(u"App")), before);
}

TEST_F(AutorunTest, LateBoundAsAGlobalClass) {
  ObjectPtr o = globalInstance<qndAutorunSupport>();
  EXPECT_TRUE(o->get(u"ForCurrentUserOnly").toBool());
  EXPECT_TRUE(o->call(u"AddToAutorun", {Variant(u"LB"), Variant(u"prog arg")}).toBool());
  EXPECT_EQ(o->call(u"GetAutorunString", {Variant(u"LB")}).toString(), u"prog arg");
  EXPECT_TRUE(o->call(u"IsInAutorun", {Variant(u"LB")}).toBool());
  EXPECT_TRUE(o->call(u"DeleteFromAutorun", {Variant(u"LB")}).toBool());
  o->let(u"ForCurrentUserOnly", Variant(false));
  EXPECT_FALSE(o->get(u"ForCurrentUserOnly").toBool());
  o->let(u"ForCurrentUserOnly", Variant(true));
}

TEST(AutostartEntry, ExecQuoting) {
  struct Row {
    std::vector<String> args;
    const char* exec;
  } rows[] = {
      {{u"/usr/bin/app"}, "/usr/bin/app"},
      {{u"/opt/my app/run", u"--x"}, "\"/opt/my app/run\" --x"},
      {{u"app", u""}, "app \"\""},
      {{u"app", u"100%"}, "app 100%%"},
      {{u"app", u"a b%c"}, "app \"a b%%c\""},
      {{u"app", u"say \"hi\""}, "app \"say \\\\\"hi\\\\\"\""},
      {{u"app", u"$HOME"}, "app \"\\\\$HOME\""},
      {{u"app", u"C:\\dir"}, "app \"C:\\\\\\\\dir\""},
      {{u"app", u"`cmd`"}, "app \"\\\\`cmd\\\\`\""},
      {{u"app", u"a;b", u"x|y", u"~", u"#", u"(1)", u"*?", u"<>&'"},
       "app \"a;b\" \"x|y\" \"~\" \"#\" \"(1)\" \"*?\" \"<>&'\""},
      {{u"app", u"line\nbreak", u"tab\there"}, "app \"line\\nbreak\" \"tab\\there\""},
      {{u"/usr/bin/\u0436"}, "/usr/bin/\xd0\xb6"},
  };
  for (const auto& r : rows) EXPECT_EQ(autostart::execValue(r.args), r.exec);
}

TEST(AutostartEntry, FileNames) {
  EXPECT_EQ(autostart::fileNameFor(u"{AB-12}"), "quendel-autorun-_7Bab-12_7D.desktop");
  EXPECT_EQ(autostart::fileNameFor(u"a/b c_d"), "quendel-autorun-a_2Fb_20c_5Fd.desktop");
  EXPECT_EQ(autostart::fileNameFor(u"\u0416"), "quendel-autorun-_D0_B6.desktop");
  EXPECT_EQ(autostart::fileNameFor(u".."), "quendel-autorun-...desktop");
  std::string longName = autostart::fileNameFor(String(255, u'\u0416'));
  EXPECT_LE(longName.size(), 255u);
  EXPECT_NE(longName, autostart::fileNameFor(String(254, u'\u0416')));
}

}  // namespace
}  // namespace quendel::toolvane
