#include "support/proc_maps.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using quendel::MapsEntry;
using quendel::parseMapsLine;

TEST(ProcMaps, ParsesLines) {
  struct Row {
    const char* line;
    bool ok;
    std::uintptr_t low, high;
    std::uint64_t offset, inode;
    unsigned major, minor;
    const char* path;
  } rows[] = {
      {"7f8552ab8000-7f8552ade000 r--p 00000000 fe:00 332835                     /usr/lib/libc.so.6\n", true,
       0x7f8552ab8000, 0x7f8552ade000, 0, 332835, 0xfe, 0, "/usr/lib/libc.so.6"},
      {"55d0c000-55d0d000 r-xp 0001a000 08:01 17   /home/a b/my lib.so", true, 0x55d0c000, 0x55d0d000, 0x1a000, 17, 8,
       1, "/home/a b/my lib.so"},
      {"7ffd1000-7ffd3000 r-xp 00000000 00:00 0                          [vdso]", true, 0x7ffd1000, 0x7ffd3000, 0, 0, 0,
       0, "[vdso]"},
      {"1000-2000 rw-p 00000000 00:00 0", true, 0x1000, 0x2000, 0, 0, 0, 0, ""},
      {"1000-2000 r--p 00000000 fd:01 99 /tmp/x.so (deleted)", true, 0x1000, 0x2000, 0, 99, 0xfd, 1,
       "/tmp/x.so (deleted)"},
      {"2000-1000 r--p 00000000 fd:01 99 /tmp/x", false, 0, 0, 0, 0, 0, 0, ""},   // high below low
      {"1000-2000 r--pq 00000000 fd:01 99 /tmp/x", false, 0, 0, 0, 0, 0, 0, ""},  // perms of 5
      {"1000-2000 r--p 00000000 fd01 99 /tmp/x", false, 0, 0, 0, 0, 0, 0, ""},    // no device colon
      {"1000-2000 r--p 00000000 fd:01 9x9 /tmp/x", false, 0, 0, 0, 0, 0, 0, ""},  // inode not a number
      {"1000 r--p 00000000 fd:01 99 /tmp/x", false, 0, 0, 0, 0, 0, 0, ""},
      {"", false, 0, 0, 0, 0, 0, 0, ""},
      {"zz-2000 r--p 0 0:0 0", false, 0, 0, 0, 0, 0, 0, ""},
      {"1000-2000 r--p 00000000 fd:01 ffffffffffffffffffffff /x", false, 0, 0, 0, 0, 0, 0, ""},  // overflow
  };
  for (const Row& r : rows) {
    std::optional<MapsEntry> e = parseMapsLine(r.line);
    ASSERT_EQ(e.has_value(), r.ok) << r.line;
    if (!e) continue;
    EXPECT_EQ(e->low, r.low) << r.line;
    EXPECT_EQ(e->high, r.high) << r.line;
    EXPECT_EQ(e->offset, r.offset) << r.line;
    EXPECT_EQ(e->inode, r.inode) << r.line;
    EXPECT_EQ(e->devMajor, r.major) << r.line;
    EXPECT_EQ(e->devMinor, r.minor) << r.line;
    EXPECT_EQ(e->path, r.path) << r.line;
  }
}

MapsEntry entry(std::uintptr_t low, std::uintptr_t high, const char* perms, std::uint64_t offset, std::uint64_t inode,
                const char* path) {
  return MapsEntry{low, high, perms, offset, 8, 1, inode, path};
}

TEST(ProcMaps, GroupsMappingsByFile) {
  std::vector<MapsEntry> maps = {
      entry(0x1000, 0x2000, "r--p", 0, 10, "/lib/a.so"),
      entry(0x2000, 0x5000, "r-xp", 0x1000, 10, "/lib/a.so"),
      entry(0x5000, 0x6000, "rw-p", 0, 0, ""),            // the bss: anonymous
      entry(0x6000, 0x7000, "---p", 0, 20, "/lib/b.so"),  // start not readable
      entry(0x7000, 0x8000, "r--p", 0, 20, "/lib/b.so"),
      entry(0x8000, 0x9000, "r--p", 0x4000, 10, "/lib/a.so"),  // a.so again, further on
      entry(0x9000, 0xA000, "r-xp", 0, 0, "[vdso]"),
      entry(0xA000, 0xB000, "r--p", 0x1000, 30, "/data/no-start"),
  };
  std::vector<quendel::MappedFile> files = quendel::mappedFiles(maps);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].path, "/lib/a.so");
  EXPECT_EQ(files[0].low, 0x1000u);
  EXPECT_EQ(files[0].high, 0x9000u);
  EXPECT_EQ(files[0].headerAddress, 0x1000u);
  EXPECT_EQ(files[0].headerSize, 0x1000u);
  EXPECT_EQ(files[1].path, "/lib/b.so");
  EXPECT_EQ(files[1].headerAddress, 0x7000u);  // the readable mapping of offset 0
  EXPECT_EQ(files[2].headerSize, 0u);          // its start is not mapped

  auto at = quendel::mappedFileAt(maps, 0x8800);
  ASSERT_TRUE(at.has_value());
  EXPECT_EQ(at->low, 0x1000u);
  EXPECT_FALSE(quendel::mappedFileAt(maps, 0x5800).has_value());  // anonymous
  EXPECT_FALSE(quendel::mappedFileAt(maps, 0x9800).has_value());  // [vdso]
  EXPECT_FALSE(quendel::mappedFileAt(maps, 0xB000).has_value());  // one past the end
}

TEST(ProcMaps, ReadsThisProcessAndRefusesAMissingOne) {
  std::vector<MapsEntry> maps;
  ASSERT_TRUE(quendel::readProcMaps(0, &maps));
  int local = 0;
  auto here = reinterpret_cast<std::uintptr_t>(&local);
  bool found = false;
  for (const MapsEntry& e : maps) found = found || (here >= e.low && here < e.high);
  EXPECT_TRUE(found) << "the stack is in the map";
  std::vector<MapsEntry> untouched = {entry(1, 2, "r--p", 0, 1, "/x")};
  EXPECT_FALSE(quendel::readProcMaps(0x7FFFFFF0, &untouched));
  EXPECT_EQ(untouched.size(), 1u);
}

}  // namespace
