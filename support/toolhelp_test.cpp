#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support/kernel_handles.h"
#include "support/quendelsupport.h"
#include "support/test_maps.h"
#include "support/test_processes.h"

namespace {

using quendel::testing::mapsSpans;

std::string baseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

TEST(Toolhelp, SnapshotListsTheMappedElfFilesExecutableFirst) {
  HANDLE snap = asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
  ASSERT_NE(snap, INVALID_HANDLE_VALUE);
  auto spans = mapsSpans();
  char exe[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  MODULEENTRY32 me{};
  me.dwSize = sizeof me;
  std::map<std::string, int> seen;
  int count = 0;
  for (bool ok = asModule32First(snap, &me); ok; ok = asModule32Next(snap, &me)) {
    std::string path = me.szExePath;
    if (count++ == 0) {
      EXPECT_EQ(path, exe);
    }
    ASSERT_TRUE(spans.count(path)) << path;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(me.modBaseAddr), spans[path].first) << path;
    EXPECT_EQ(me.modBaseSize, spans[path].second - spans[path].first) << path;
    EXPECT_EQ(me.hModule, reinterpret_cast<HMODULE>(me.modBaseAddr));
    EXPECT_EQ(std::string(me.szModule), baseName(path));
    EXPECT_EQ(me.th32ProcessID, static_cast<DWORD>(::getpid()));
    ++seen[baseName(path)];
  }
  EXPECT_TRUE(seen.count("libc.so.6"));
  EXPECT_EQ(quendel::testing::timesListed(seen, "libquendelsupport0100.so"), 1);
  for (const auto& [name, n] : seen) EXPECT_EQ(n, 1) << name << " listed once";
  EXPECT_FALSE(asModule32Next(snap, &me)) << "stays at the end";
  EXPECT_TRUE(asModule32First(snap, &me)) << "First starts again";
  EXPECT_EQ(std::string(me.szExePath), exe);
  EXPECT_TRUE(quendel::closeKernelHandle(snap));
}

TEST(Toolhelp, RefusesBadArgumentsAndHandles) {
  HANDLE h = reinterpret_cast<HANDLE>(0x55);
  EXPECT_EQ(asCreateToolhelp32Snapshot(0x2 /* processes */, 0, &h), E_INVALIDARG);
  EXPECT_EQ(asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE | 0x4, 0, &h), E_INVALIDARG);
  EXPECT_EQ(asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, -1, &h), E_INVALIDARG);
  EXPECT_EQ(h, reinterpret_cast<HANDLE>(0x55));
  // A process that does not exist: the Toolhelp failure value, not a failing status.
  EXPECT_EQ(asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0x7FFFFFF0), INVALID_HANDLE_VALUE);

  HANDLE snap = asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, ::getpid());
  ASSERT_NE(snap, INVALID_HANDLE_VALUE);
  MODULEENTRY32 me{};
  bool ok = true;
  me.dwSize = 548;  // the 32-bit record's size
  EXPECT_EQ(asModule32First(snap, &me, &ok), HRESULT_FROM_WIN32(ERROR_BAD_LENGTH));
  me.dwSize = sizeof me;
  EXPECT_EQ(asModule32First(snap, nullptr, &ok), E_POINTER);
  EXPECT_EQ(asModule32First(INVALID_HANDLE_VALUE, &me, &ok), E_HANDLE);
  EXPECT_TRUE(quendel::closeKernelHandle(snap));
  EXPECT_EQ(asModule32Next(snap, &me, &ok), E_HANDLE) << "closed";
  EXPECT_FALSE(quendel::closeKernelHandle(snap)) << "closed once";
  EXPECT_TRUE(ok);
}

// Another process, whose program is linked at a fixed address: it is listed first at the
// address its file asks for, so it is not relocated, while its libraries ask for none.
TEST(Toolhelp, FixedAddressProgramInAnotherProcess) {
  quendel::testing::ChildProcess child({quendel::testing::builtProgram("support_fixed_address_helper")});
  ASSERT_EQ(child.readLine(), "ready");
  HANDLE snap = asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, child.pid());
  ASSERT_NE(snap, INVALID_HANDLE_VALUE);
  MODULEENTRY32 me{};
  me.dwSize = sizeof me;
  ASSERT_TRUE(asModule32First(snap, &me));
  EXPECT_STREQ(me.szModule, "support_fixed_address_helper");
  EXPECT_EQ(me.th32ProcessID, static_cast<DWORD>(child.pid()));
  auto base = reinterpret_cast<std::uintptr_t>(me.modBaseAddr);
  EXPECT_EQ(base, 0x400000u) << "the x86-64 linker's fixed base";
  EXPECT_EQ(asGetModulePreferredBaseAddr(child.pid(), base), base);
  int libraries = 0;
  while (asModule32Next(snap, &me)) {
    auto lib = reinterpret_cast<std::uintptr_t>(me.modBaseAddr);
    EXPECT_EQ(asGetModulePreferredBaseAddr(child.pid(), lib), lib) << me.szExePath;
    ++libraries;
  }
  EXPECT_GT(libraries, 0) << "at least the C library";
  EXPECT_TRUE(quendel::closeKernelHandle(snap));
}

}  // namespace
