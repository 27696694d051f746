#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "support/codepage.h"
#include "support/test_elf.h"
#include "support/test_maps.h"
#include "support/testing.h"
#include "toolvane/about/psapi_info.h"
#include "toolvane/about/tool_help_info.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;

using quendel::testing::mapsSpans;

std::string executable() {
  char exe[4096] = {};
  return ::readlink("/proc/self/exe", exe, sizeof exe - 1) > 0 ? exe : "";
}

struct Backend {
  const char* name;
  std::function<std::shared_ptr<ModuleList>()> make;
  bool exactSize;  // Toolhelp: the mapped span; process status: the image, bss included
};

const Backend kBackends[] = {
    {"CToolHelpInfo", [] { return std::make_shared<CToolHelpInfo>(); }, true},
    {"CPSAPIInfo", [] { return std::make_shared<CPSAPIInfo>(); }, false},
};

TEST(ModuleLists, BothBackendsListTheModulesWhereTheMapShowsThem) {
  auto spans = mapsSpans();
  for (const Backend& b : kBackends) {
    std::shared_ptr<ModuleList> list = b.make();
    ObjectPtr byName = list;
    const LONG count = byName->get(u"ModulesCount").toLong();
    ASSERT_GE(count, 3) << b.name;
    EXPECT_EQ(list->className(), cp::fromUtf8(b.name));
    std::map<std::string, int> seen;
    for (LONG i = 0; i < count; ++i) {
      ObjectPtr entry = byName->get(u"ModuleItem", {Variant(i)}).toObject();
      std::string path = cp::toUtf8(entry->get(u"FileName").toString());
      std::string name = cp::toUtf8(entry->get(u"Name").toString());
      if (i == 0) {
        EXPECT_EQ(path, executable()) << b.name << ": the executable first";
      }
      EXPECT_EQ(name, path.substr(path.rfind('/') + 1)) << b.name;
      ASSERT_TRUE(spans.count(path)) << b.name << " " << path;
      auto e = std::static_pointer_cast<CModuleEntry>(entry);
      EXPECT_EQ(e->BaseAddress(), spans[path].first) << b.name << " " << path;
      if (b.exactSize) {
        EXPECT_EQ(e->BaseSize(), spans[path].second - spans[path].first) << b.name << " " << path;
      } else {
        EXPECT_GE(e->BaseAddress() + e->BaseSize(), spans[path].second) << b.name << " " << path;
      }
      // Everything here is position-independent: loaded where it asks.
      EXPECT_EQ(e->PrefferedAddress(), e->BaseAddress()) << b.name << " " << path;
      EXPECT_NE(e->toString(0).find(u"  " + String(22, u' ')), String::npos) << "not relocated";
      ++seen[name];
    }
    for (const char* wanted : {"libc.so.6", "libtoolvane0305.so", "libquendelsupport0100.so"})
      EXPECT_EQ(quendel::testing::timesListed(seen, wanted), 1) << b.name << " lists " << wanted << " once";
  }
}

TEST(ModuleLists, ItemsOutsideTheListRaise9) {
  for (const Backend& b : kBackends) {
    std::shared_ptr<ModuleList> list = b.make();
    ObjectPtr byName = list;
    const LONG count = list->ModulesCount();
    for (LONG bad : {count, count + 1, LONG{-1}})
      EXPECT_EQ(errorOf([&] { byName->get(u"ModuleItem", {Variant(bad)}); }), 9) << b.name << " " << bad;
    EXPECT_EQ(errorOf([&] { byName->get(u"ModuleItem", {Variant(count - 1)}); }), 0) << b.name;
  }
}

TEST(ModuleLists, ProcessStatusListBeyondItsRoomRaises9) {
  const LONG count = CPSAPIInfo().ModulesCount();
  ASSERT_GE(count, 3);
  EXPECT_EQ(errorOf([] { CPSAPIInfo small(2); }), 9);
  EXPECT_EQ(errorOf([&] { CPSAPIInfo small(static_cast<std::size_t>(count) - 1); }), 9);
  EXPECT_EQ(CPSAPIInfo(static_cast<std::size_t>(count)).ModulesCount(), count) << "exactly enough room";
  EXPECT_EQ(errorOf([] { CPSAPIInfo none(0); }), 9) << "no room at all: the first module is beyond it";
}

// A file that asks for a fixed address but is mapped elsewhere shows as relocated, and
// its name reaches the entry through the ANSI code page unchanged.
TEST(ModuleLists, SnapshotShowsARelocatedModuleUnderAnotherCodePage) {
  char dir[] = "/tmp/quendel-about-XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/модуль.so";
  quendel::testing::writeFile(path, quendel::testing::elfBytes(ET_EXEC, {{PT_LOAD, 0x600000, 0x1000}}));
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  void* mapped = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  ASSERT_NE(mapped, MAP_FAILED);
  {
    quendel::testing::ScopedEnv acp("QUENDEL_ACP", "1251");
    CToolHelpInfo list;
    std::shared_ptr<CModuleEntry> found;
    for (LONG i = 0; i < list.ModulesCount(); ++i)
      if (list.ModuleItem(i)->BaseAddress() == reinterpret_cast<std::uintptr_t>(mapped)) found = list.ModuleItem(i);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Name(), u"модуль.so");
    EXPECT_EQ(found->FileName(), cp::fromUtf8(path));
    EXPECT_EQ(found->PrefferedAddress(), 0x600000u);
    EXPECT_NE(found->toString(0).find(u"  (0x0000000000600000)  4096"), String::npos) << cp::toUtf8(found->toString(0));
  }
  ::munmap(mapped, 4096);
  ::unlink(path.c_str());
  ::rmdir(dir);
}

}  // namespace
}  // namespace quendel::toolvane
