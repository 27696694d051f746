#include "support/elf_image.h"

#include <elf.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "support/quendelsupport.h"
#include "support/test_elf.h"

namespace {

using quendel::testing::elfBytes;
using quendel::testing::Segment;
using quendel::testing::writeFile;

// A temporary folder, removed with what it holds.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/quendel-elf-XXXXXX";
    path_ = ::mkdtemp(pattern) ? pattern : "";
  }
  ~TempDir() {
    for (const std::string& f : files_) ::unlink(f.c_str());
    ::rmdir(path_.c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string file(const std::string& name) {
    files_.push_back(path_ + "/" + name);
    return files_.back();
  }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

// A file mapped read-only into this process for the test's scope.
class Mapping {
 public:
  explicit Mapping(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    void* p = ::mmap(nullptr, kSize, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (p != MAP_FAILED) address_ = p;
  }
  ~Mapping() {
    if (address_) ::munmap(address_, kSize);
  }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  std::uintptr_t address() const { return reinterpret_cast<std::uintptr_t>(address_); }

 private:
  static constexpr size_t kSize = 4096;
  void* address_ = nullptr;
};

constexpr std::uintptr_t kAtLoad = 1;  // the expected result is the mapping's own address

TEST(ElfImage, PreferredAddressIsWhatTheProgramHeadersAskFor) {
  struct Row {
    const char* name;
    std::uint16_t type;
    std::vector<Segment> segments;
    std::uintptr_t preferred;
  } rows[] = {
      {"exec",
       ET_EXEC,
       {{PT_PHDR, 0x400040, 0x100}, {PT_LOAD, 0x400000, 0x2000}, {PT_LOAD, 0x402000, 0x100}},
       0x400000},
      {"exec-unaligned", ET_EXEC, {{PT_LOAD, 0x401234, 0x100}}, 0x401000},
      {"exec-unordered", ET_EXEC, {{PT_LOAD, 0x800000, 0x10}, {PT_LOAD, 0x600000, 0x10}}, 0x600000},
      {"pic", ET_DYN, {{PT_LOAD, 0, 0x3000}, {PT_LOAD, 0x3000, 0x1000}}, kAtLoad},
      {"prelinked", ET_DYN, {{PT_LOAD, 0x30000000, 0x3000}}, 0x30000000},
      {"exec-at-zero", ET_EXEC, {{PT_LOAD, 0, 0x1000}}, 0},  // only ET_DYN counts as position-independent
  };
  TempDir dir;
  for (const Row& r : rows) {
    std::string path = dir.file(r.name);
    writeFile(path, elfBytes(r.type, r.segments));
    Mapping m(path);
    ASSERT_NE(m.address(), 0u);
    std::uintptr_t out = 0;
    ASSERT_EQ(asGetModulePreferredBaseAddr(0, m.address() + 16, &out), S_OK) << r.name;
    EXPECT_EQ(out, r.preferred == kAtLoad ? m.address() : r.preferred) << r.name;
  }
}

TEST(ElfImage, DamagedHeadersFailCleanly) {
  std::string good = elfBytes(ET_EXEC, {{PT_LOAD, 0x400000, 0x1000}});
  auto patched = [&](size_t at, const void* value, size_t n) {
    std::string b = good;
    std::memcpy(b.data() + at, value, n);
    return b;
  };
  const std::uint16_t hugeCount = 0xFFFE, xnum = PN_XNUM, badEntrySize = 40, none = 0;
  const std::uint64_t farOffset = 1u << 20, wrapOffset = ~std::uint64_t{0} - 8;
  const std::uint32_t note = PT_NOTE;
  const unsigned char class32 = ELFCLASS32;
  struct Row {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"empty", ""},
      {"truncated-header", good.substr(0, 20)},
      {"truncated-table", good.substr(0, sizeof(Elf64_Ehdr) + 10)},
      {"not-elf", "#!/bin/sh\necho not an ELF file at all, but long enough for a header......"},
      {"phnum-huge", patched(offsetof(Elf64_Ehdr, e_phnum), &hugeCount, 2)},
      {"phnum-xnum", patched(offsetof(Elf64_Ehdr, e_phnum), &xnum, 2)},
      {"phnum-zero", patched(offsetof(Elf64_Ehdr, e_phnum), &none, 2)},
      {"phoff-beyond-file", patched(offsetof(Elf64_Ehdr, e_phoff), &farOffset, 8)},
      {"phoff-wraps", patched(offsetof(Elf64_Ehdr, e_phoff), &wrapOffset, 8)},
      {"phentsize", patched(offsetof(Elf64_Ehdr, e_phentsize), &badEntrySize, 2)},
      {"class32", patched(EI_CLASS, &class32, 1)},
      {"no-load", patched(sizeof(Elf64_Ehdr) + offsetof(Elf64_Phdr, p_type), &note, 4)},
  };
  TempDir dir;
  for (const Row& r : rows) {
    std::string path = dir.file(r.name);
    writeFile(path, r.bytes);
    int fd = quendel::openRegularFileNoBlock(path.c_str());
    ASSERT_GE(fd, 0);
    quendel::ElfLoadInfo info;
    info.lowestVaddr = 77;
    EXPECT_FALSE(quendel::readElfLoadInfo(fd, 0, r.bytes.size(), &info)) << r.name;
    EXPECT_EQ(info.lowestVaddr, 77u) << r.name;
    ::close(fd);
    if (r.bytes.empty()) continue;  // an empty file cannot be mapped
    Mapping m(path);
    std::uintptr_t out = 5;
    EXPECT_EQ(asGetModulePreferredBaseAddr(0, m.address(), &out), E_INVALIDARG) << r.name;
    EXPECT_EQ(out, 5u) << r.name;
  }
}

TEST(ElfImage, DeletedOrReplacedFileIsReadFromMemory) {
  TempDir dir;
  std::string path = dir.file("lib.so");
  writeFile(path, elfBytes(ET_EXEC, {{PT_LOAD, 0x500000, 0x1000}}));
  Mapping m(path);
  ASSERT_EQ(asGetModulePreferredBaseAddr(0, m.address()), 0x500000u);
  ::unlink(path.c_str());
  EXPECT_EQ(asGetModulePreferredBaseAddr(0, m.address()), 0x500000u) << "deleted";
  writeFile(path, elfBytes(ET_EXEC, {{PT_LOAD, 0x900000, 0x1000}}));  // another file, same name
  EXPECT_EQ(asGetModulePreferredBaseAddr(0, m.address()), 0x500000u) << "replaced";
}

TEST(ElfImage, NoFileThereIsAnInvalidArgument) {
  std::vector<char> heap(100000);
  std::uintptr_t out = 3;
  EXPECT_EQ(asGetModulePreferredBaseAddr(0, reinterpret_cast<std::uintptr_t>(heap.data()), &out), E_INVALIDARG);
  EXPECT_EQ(asGetModulePreferredBaseAddr(0, 1, &out), E_INVALIDARG);
  EXPECT_EQ(asGetModulePreferredBaseAddr(-4, 1, &out), E_INVALIDARG);
  EXPECT_EQ(asGetModulePreferredBaseAddr(0x7FFFFFF0, 1, &out), E_ACCESSDENIED);  // no such process
  EXPECT_EQ(out, 3u);
}

TEST(ElfImage, OpeningAFifoOrDeviceNeverBlocks) {
  TempDir dir;
  std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto opened = std::async(std::launch::async, [&] {
    int fd = quendel::openRegularFileNoBlock(fifo.c_str());
    int error = errno;
    if (fd >= 0) ::close(fd);
    return fd < 0 ? error : 0;
  });
  if (opened.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // lets the blocked open go
    ADD_FAILURE() << "opening a FIFO blocked";
    opened.wait();
    if (writer >= 0) ::close(writer);
  }
  EXPECT_EQ(opened.get(), EINVAL);
  EXPECT_EQ(quendel::openRegularFileNoBlock("/dev/null"), -1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(quendel::openRegularFileNoBlock("/proc"), -1);
}

}  // namespace
