#include "toolvane/about/module_entry.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/codepage.h"

namespace quendel::toolvane {
namespace {

const ModuleData kLibz{u"/usr/lib/libz.so.1", u"libz.so.1", 0x7F0000001000, 106496, 0x7F0000001000};
const ModuleData kMoved{u"/opt/a b/old.so", u"old.so", 0x7F0000200000, 4096, 0x10000000};

TEST(ModuleEntry, ListLines) {
  struct Row {
    const ModuleData* data;
    LONG nameSize;
    String line;
  } rows[] = {
      {&kLibz, 0, u"libz.so.1  0x00007F0000001000                        106496         /usr/lib/libz.so.1"},
      {&kLibz, 12, u"libz.so.1     0x00007F0000001000                        106496         /usr/lib/libz.so.1"},
      {&kLibz, 4,
       u"libz.so.1  0x00007F0000001000                        106496         /usr/lib/libz.so.1"},  // a longer name is
                                                                                                    // not cut
      {&kLibz, -3, u"libz.so.1  0x00007F0000001000                        106496         /usr/lib/libz.so.1"},
      {&kMoved, 0, u"old.so  0x00007F0000200000  (0x0000000010000000)  4096           /opt/a b/old.so"},
      {&kMoved, 9, u"old.so     0x00007F0000200000  (0x0000000010000000)  4096           /opt/a b/old.so"},
  };
  for (const Row& r : rows) EXPECT_EQ(CModuleEntry(*r.data).toString(r.nameSize), r.line) << r.nameSize;

  // The columns line up: both kinds of line put the size at the same place.
  String kept = CModuleEntry(kLibz).toString(10), moved = CModuleEntry(kMoved).toString(10);
  EXPECT_EQ(kept.find(u"106496"), moved.find(u"4096"));
  // A size beyond 13 digits is not cut either.
  ModuleData huge = kLibz;
  huge.BaseSize = 1234567890123456;
  EXPECT_NE(CModuleEntry(huge).toString(0).find(u"1234567890123456  /usr"), String::npos);
}

TEST(ModuleEntry, MembersByName) {
  ModuleData low{u"/x/low.so", u"low.so", 0x10000000, 0x80000000ull, 0xFFFFF000};
  auto low32 = std::make_shared<CModuleEntry>(low);
  auto high = std::make_shared<CModuleEntry>(kMoved);
  EXPECT_EQ(low32->get(u"Name").toString(), u"low.so");
  EXPECT_EQ(low32->get(u"FileName").toString(), u"/x/low.so");
  struct Row {
    std::shared_ptr<CModuleEntry> entry;
    const char16_t* member;
    VarType type;
    double value;
  } rows[] = {
      {low32, u"BaseAddress", vbLong, 0x10000000},
      {low32, u"PrefferedAddress", vbLong, -4096},   // a 32-bit address in a signed Long
      {low32, u"BaseSize", vbDouble, 2147483648.0},  // a size that does not fit a Long
      {high, u"BaseAddress", vbDouble, 0x7F0000200000},
      {high, u"BaseSize", vbLong, 4096},
  };
  for (const Row& r : rows) {
    Variant v = r.entry->get(r.member);
    EXPECT_EQ(v.type(), r.type) << cp::toUtf8(r.member);
    EXPECT_EQ(v.toDouble(), r.value) << cp::toUtf8(r.member);
  }
  EXPECT_EQ(high->call(u"toString", {Variant(0)}).toString(), CModuleEntry(kMoved).toString(0));
  EXPECT_EQ(high->className(), u"CModuleEntry");
}

}  // namespace
}  // namespace quendel::toolvane
