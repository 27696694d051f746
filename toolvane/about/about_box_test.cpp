// The About box's library side: the host's internal name from real version blocks, the
// page set, the keys and the copied report.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/resources/resource_section.h"
#include "platform/resources/version_block.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "toolvane/about/about_box.h"
#include "toolvane/about/about_pages.h"
#include "toolvane/about/tool_help_info.h"
#include "toolvane/frame/fake_client_objects.h"
#include "toolvane/general/qnd_main.h"

namespace quendel::toolvane {
namespace {

namespace fs = std::filesystem;
using resources::StringTable;
using resources::VersionBlock;

void put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A resource section holding one version block.
std::string sectionWith(const VersionBlock& block) {
  std::string data = resources::serializeVersionBlock(block, resources::TextEncoding::Utf8);
  std::string s = "QRSC";
  put32(s, resources::kFormat);
  put32(s, 1);
  put32(s, 0);
  const std::uint32_t dataOffset = 16 + 24;
  for (std::uint32_t v : {resources::kVersion, 1u, 0u, 0u, dataOffset, static_cast<std::uint32_t>(data.size())})
    put32(s, v);
  return s + data;
}

class InternalName : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/about-box-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A copy of a real program carrying the block in its resource section.
  std::string programWith(const VersionBlock& block, const char* name) {
    std::string section = (dir_ / (std::string(name) + ".rsrc")).string();
    std::ofstream(section, std::ios::binary) << sectionWith(block);
    std::string program = (dir_ / name).string();
    std::string command = "objcopy --add-section .quendel.rsrc=" + section +
                          " --set-section-flags .quendel.rsrc=alloc,readonly,data /bin/true " + program;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return program;
  }

  fs::path dir_;
};

StringTable table(const char* key, std::vector<std::pair<std::string, std::string>> strings) {
  return StringTable{key, std::move(strings)};
}

TEST_F(InternalName, FromTheFirstTranslationOrDummy) {
  struct Case {
    const char* what;
    std::vector<std::pair<WORD, WORD>> translations;
    std::vector<StringTable> tables;
    const char16_t* want;
  } cases[] = {
      {"Russian table", {{0x0419, 0x04E3}}, {table("041904E3", {{"InternalName", "MyTool"}})}, u"MyTool"},
      {"kept as stored, blanks included",
       {{0x0409, 0x04E4}},
       {table("040904E4", {{"InternalName", " Spaced "}})},
       u" Spaced "},
      {"Cyrillic text", {{0x0419, 0x04E3}}, {table("041904E3", {{"InternalName", "Программа"}})}, u"Программа"},
      {"no translation entry", {}, {table("040904E4", {{"InternalName", "Fallback"}})}, u"Dummy"},
      {"no InternalName", {{0x0419, 0x04E3}}, {table("041904E3", {{"ProductName", "P"}})}, u"Dummy"},
      {"only the first translation counts",
       {{0x0409, 0x04B0}, {0x0419, 0x04E3}},
       {table("041904E3", {{"InternalName", "Second"}})},
       u"Dummy"},
      {"empty name", {{0x0409, 0x04E4}}, {table("040904E4", {{"InternalName", ""}})}, u""},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    VersionBlock block;
    block.fixed.dwSignature = resources::kFixedSignature;
    block.translations = c.translations;
    block.tables = c.tables;
    std::string program = programWith(block, ("p" + std::to_string(n++)).c_str());
    EXPECT_EQ(internalNameOf(cp::fromUtf8(program)), c.want);
  }
}

TEST_F(InternalName, DummyWithoutABlock) {
  std::string text = (dir_ / "text").string();
  std::ofstream(text) << "no program";
  EXPECT_EQ(internalNameOf(cp::fromUtf8(text)), u"Dummy");
  EXPECT_EQ(internalNameOf(u"/bin/true"), u"Dummy");  // a program without resources
  EXPECT_EQ(internalNameOf(cp::fromUtf8((dir_ / "missing").string())), u"Dummy");
  EXPECT_EQ(internalNameOf(cp::fromUtf8(dir_.string())), u"Dummy");  // a folder
}

TEST(HostInternalName, ThisTestProgramsOwnBlock) {
  // The test program's block is written by its CMakeLists.txt.
  EXPECT_EQ(GetHostInternalName(), u"AboutBoxTests");
}

TEST(AboutBoxDefaults, TheFixedValues) {
  ui::AboutBoxRequest r = aboutBoxDefaults(u"T");
  EXPECT_EQ(r.title, u"T");
  EXPECT_EQ(r.author, u"Мира Сольт");
  EXPECT_EQ(r.authorEMail, u"mira.solt@kestrane.org");
  EXPECT_EQ(r.devote, u"Посвящается Ноэми");
  EXPECT_EQ(r.pictureToolTipText, u"Ноэми");
  EXPECT_EQ(r.description, u"");
  EXPECT_EQ(asFormatVersion(r.verMajor, r.verMinor, r.verRevision), u"1.00.0000");
  EXPECT_FALSE(r.icon || r.smallIcon || r.picture);
}

TEST(AboutPages, KeptPagesInOrder) {
  struct Case {
    AboutPageMarkers markers;
    std::vector<int> want;
  } cases[] = {
      {{}, {0, 4}},
      {{true, true, true, true}, {0, 1, 2, 3, 4, 5}},
      {{.description = true}, {0, 1, 4}},
      {{.modules = true, .updateCheck = true}, {0, 2, 4, 5}},
      {{.processTimes = true}, {0, 3, 4}},
  };
  for (const auto& c : cases) EXPECT_EQ(keptAboutPages(c.markers), c.want);
}

TEST(AboutPages, KeysActOnlyWithoutModifiers) {
  struct Case {
    int key, shift;
    AboutKey want;
  } cases[] = {
      {33, 0, AboutKey::PrevPage}, {34, 0, AboutKey::NextPage}, {27, 0, AboutKey::Close},
      {33, 1, AboutKey::None},     {34, 2, AboutKey::None},     {27, 4, AboutKey::None},
      {34, 7, AboutKey::None},     {13, 0, AboutKey::None},     {36, 0, AboutKey::None},
  };
  for (const auto& c : cases) EXPECT_EQ(aboutKeyAction(c.key, c.shift), c.want) << c.key << " " << c.shift;
}

TEST(AboutPages, ModuleLinesAlignedOnTheWidestName) {
  auto modules = std::make_shared<CToolHelpInfo>();
  ModulesListing listing = modulesListingOf(modules);
  ASSERT_TRUE(listing.modules);
  ASSERT_EQ(listing.lines.size(), static_cast<std::size_t>(modules->ModulesCount()));
  std::size_t widestName = 0;
  for (LONG i = 0; i < modules->ModulesCount(); ++i)
    widestName = std::max(widestName, modules->ModuleItem(i)->Name().size());
  std::size_t widest = 0;
  for (LONG i = 0; i < modules->ModulesCount(); ++i) {
    EXPECT_EQ(listing.lines[i], modules->ModuleItem(i)->toString(static_cast<LONG>(widestName)));
    widest = std::max(widest, listing.lines[i].size());
  }
  EXPECT_EQ(listing.widest, widest);
  EXPECT_FALSE(modulesListingOf(nullptr).modules);
  // The standard list comes from the first back-end and names this program first.
  ModulesListing standard = FillModulesList();
  ASSERT_FALSE(standard.lines.empty());
  EXPECT_EQ(standard.modules->ModuleItem(0)->Name(), modules->ModuleItem(0)->Name());
}

TEST(AboutPages, SystemInfoTexts) {
  SystemInfoTexts t = FillSystemInfo();
  EXPECT_EQ(t.osName, asGetHostOSFullName(true, true));
  QuendelMemoryStatus m = asGlobalMemoryStatus();
  // "<size> (<free percent>%)", the percent a whole number.
  String percent = u" (" + asFormatLong(100 - m.memoryLoad) + u"%)";
  ASSERT_GE(t.freePhysical.size(), percent.size());
  EXPECT_EQ(t.freePhysical.substr(t.freePhysical.size() - percent.size()), percent);
  EXPECT_FALSE(t.pageFileUsage.empty());
  EXPECT_FALSE(t.reservedVirtual.empty());
}

TEST(AboutPages, ReportText) {
  AboutReport r;
  r.title = u"My tool";
  r.version = u"Версия: 2.00.0000";
  r.system = {u"Debian GNU/Linux 12\r\nLinux 6.1", u"1.30 GB (42%)", u"0 bytes", u"2.50 MB"};
  EXPECT_EQ(aboutReportText(r),
            u"My tool\nВерсия: 2.00.0000\n\nSystem: Debian GNU/Linux 12 Linux 6.1\nFree physical memory: 1.30 GB "
            u"(42%)\nPage file usage: 0 bytes\nReserved virtual memory: 2.50 MB\n");
  r.processTimes = {{u"User time:", u"0:00:01.5"}};
  r.modules = {u"a.so  0x1", u"b.so  0x2"};
  String text = aboutReportText(r);
  EXPECT_NE(text.find(u"\nUser time: 0:00:01.5\n"), String::npos);
  EXPECT_NE(text.find(u"\nModules:\na.so  0x1\nb.so  0x2\n"), String::npos);
}

TEST(ShowMSAboutBox, EachStepGoesOnAfterAFailedOne) {
  struct Case {
    const char* what;
    const char16_t* failing;  // the member of the control or its parent that fails
    std::vector<std::string> calls;
  } cases[] = {
      {"all steps", u"", {"Parent.Enabled=False", "Control.AboutBox", "Parent.Enabled=True", "Parent.SetFocus"}},
      {"no AboutBox", u"AboutBox", {"Parent.Enabled=False", "Parent.Enabled=True", "Parent.SetFocus"}},
      {"parent refuses Enabled", u"Enabled", {"Control.AboutBox", "Parent.SetFocus"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto log = std::make_shared<testing::CallLog>();
    auto parent = testing::FakeControl::create(u"Form", log, {}, u"Parent");
    parent->method(u"SetFocus", [](testing::FakeControl&, std::vector<Variant>&) { return Variant(); });
    auto control = testing::FakeControl::create(u"Control", log, {{u"Parent", Variant(ObjectPtr(parent))}});
    control->method(u"AboutBox", [](testing::FakeControl&, std::vector<Variant>&) { return Variant(); });
    if (std::u16string_view(c.failing) == u"AboutBox") control->fail(u"AboutBox", 438);
    if (std::u16string_view(c.failing) == u"Enabled") parent->fail(u"Enabled", 383);
    auto main = std::make_shared<qndMain>();
    EXPECT_NO_THROW(main->call(u"ShowMSAboutBox", {Variant(ObjectPtr(control))}));
    EXPECT_EQ(*log, c.calls);
  }
  auto main = std::make_shared<qndMain>();
  EXPECT_NO_THROW(main->call(u"ShowMSAboutBox", {Variant(ObjectPtr{})}));
}

TEST(AboutMembers, TypeLibraryParametersAndDefaults) {
  const ClassDesc& d = qndMain::describe();
  const MemberDesc* ex = d.find(u"ShowAboutBoxEx", automation::InvokeKind::Method);
  ASSERT_NE(ex, nullptr);
  std::vector<std::u16string> names;
  for (const auto& p : ex->params) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Title", u"Icon", u"SmallIcon", u"VerMajor", u"VerMinor",
                                                u"VerRevision", u"Author", u"AuthorEMail", u"Devote", u"Description",
                                                u"Picture", u"PictureToolTipText"}));
  EXPECT_EQ(ex->params[3].defaultValue.toLong(), 1);
  EXPECT_EQ(ex->params[6].defaultValue.toString(), u"Мира Сольт");
  EXPECT_EQ(ex->params[8].defaultValue.toString(), u"Посвящается Ноэми");
  EXPECT_EQ(ex->params[11].defaultValue.toString(), u"Ноэми");
  const MemberDesc* ms = d.find(u"ShowMSAboutBox", automation::InvokeKind::Method);
  ASSERT_NE(ms, nullptr);
  EXPECT_EQ(ms->help, u"Выводит окно об элементе управления Microsoft в модальном режиме");
  const MemberDesc* two = d.find(u"ShowAboutBox2", automation::InvokeKind::Method);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->params.size(), 6u);
  EXPECT_FALSE(two->params[1].flags & automation::kOptional) << "IconSmall is required";
}

}  // namespace
}  // namespace quendel::toolvane
