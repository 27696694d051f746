#include "platform/process/process_modules.h"
#include "support/test_maps.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quendel::testing::mapsSpans;

std::vector<HMODULE> modules() {
  std::vector<HMODULE> list(4096);
  DWORD needed = 0;
  EXPECT_TRUE(EnumProcessModules(GetCurrentProcess(), list.data(), list.size() * kModuleHandleBytes, &needed));
  EXPECT_EQ(needed % kModuleHandleBytes, 0u);
  list.resize(needed / kModuleHandleBytes);
  return list;
}

TEST(ProcessModules, ListsTheLoadedFilesWhereTheMapShowsThem) {
  auto spans = mapsSpans();
  char exe[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  std::vector<HMODULE> list = modules();
  ASSERT_GE(list.size(), 3u);
  std::map<std::string, int> seen;
  for (size_t i = 0; i < list.size(); ++i) {
    char path[1025] = {}, name[1025] = {};
    DWORD n = GetModuleFileNameExA(GetCurrentProcess(), list[i], path, 1024);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, std::strlen(path));
    ASSERT_GT(GetModuleBaseNameA(GetCurrentProcess(), list[i], name, 1024), 0u);
    std::string p = path;
    if (i == 0) {
      EXPECT_EQ(p, exe) << "the executable comes first";
    }
    EXPECT_EQ(std::string(name), p.substr(p.rfind('/') + 1));
    ASSERT_TRUE(spans.count(p)) << p;
    MODULEINFO info{};
    ASSERT_TRUE(GetModuleInformation(GetCurrentProcess(), list[i], &info, sizeof info));
    EXPECT_EQ(info.lpBaseOfDll, list[i]);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(info.lpBaseOfDll), spans[p].first) << p;
    // The image also holds the zero-filled tail that the map shows as anonymous memory.
    EXPECT_GE(reinterpret_cast<std::uintptr_t>(info.lpBaseOfDll) + info.SizeOfImage, spans[p].second) << p;
    ++seen[name];
  }
  EXPECT_TRUE(seen.count("libc.so.6"));
  EXPECT_EQ(quendel::testing::timesListed(seen, "libquendelplatform.so"), 1);
  for (const auto& [name, count] : seen) EXPECT_EQ(count, 1) << name;

  char path[1025] = {};
  ASSERT_GT(GetModuleFileNameExA(GetCurrentProcess(), nullptr, path, 1024), 0u);
  EXPECT_STREQ(path, exe) << "no module: the executable";
}

TEST(ProcessModules, ShortBuffersAndBadArguments) {
  std::vector<HMODULE> all = modules();
  HMODULE two[2] = {};
  DWORD needed = 0;
  ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), two, sizeof two, &needed));
  EXPECT_EQ(needed, all.size() * kModuleHandleBytes) << "what a full list needs";
  EXPECT_EQ(two[0], all[0]);
  EXPECT_EQ(two[1], all[1]);

  char full[1025] = {}, cut[5] = "xxxx";
  ASSERT_GT(GetModuleFileNameExA(GetCurrentProcess(), all[0], full, 1024), 4u);
  EXPECT_EQ(GetModuleFileNameExA(GetCurrentProcess(), all[0], cut, 4), 3u);
  EXPECT_EQ(std::string(cut), std::string(full, 3)) << "cut to size - 1, terminated";

  const HANDLE otherProcess = reinterpret_cast<HANDLE>(0x104);
  const auto unknown = reinterpret_cast<HMODULE>(reinterpret_cast<std::uintptr_t>(all[0]) + 0x1000);
  char buffer[64];
  MODULEINFO info{};
  const HANDLE self = GetCurrentProcess();
  struct Row {
    const char* name;
    std::function<bool()> fails;
    LONG error;
  } rows[] = {
      {"enum other process", [&] { return !EnumProcessModules(otherProcess, two, sizeof two, &needed); },
       ERROR_INVALID_HANDLE},
      {"enum no count", [&] { return !EnumProcessModules(self, two, sizeof two, nullptr); }, ERROR_INVALID_PARAMETER},
      {"enum no array", [&] { return !EnumProcessModules(self, nullptr, 16, &needed); }, ERROR_INVALID_PARAMETER},
      {"name other process", [&] { return GetModuleFileNameExA(otherProcess, all[0], buffer, 64) == 0; },
       ERROR_INVALID_HANDLE},
      {"name unknown module", [&] { return GetModuleBaseNameA(self, unknown, buffer, 64) == 0; }, ERROR_INVALID_HANDLE},
      {"name no room", [&] { return GetModuleBaseNameA(self, all[0], buffer, 0) == 0; }, ERROR_INVALID_PARAMETER},
      {"info unknown module", [&] { return !GetModuleInformation(self, unknown, &info, sizeof info); },
       ERROR_INVALID_HANDLE},
      {"info no module", [&] { return !GetModuleInformation(self, nullptr, &info, sizeof info); },
       ERROR_INVALID_HANDLE},
      {"info small record", [&] { return !GetModuleInformation(self, all[0], &info, 12); }, ERROR_INSUFFICIENT_BUFFER},
  };
  for (const Row& r : rows) {
    SetLastError(0);
    EXPECT_TRUE(r.fails()) << r.name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(r.error)) << r.name;
  }
  EXPECT_EQ(info.lpBaseOfDll, nullptr) << "untouched on failure";
}

}  // namespace
