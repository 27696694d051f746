#include "platform/resources/version_info.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/base/last_error.h"
#include "support/codepage.h"

namespace {

using quendel::resources::findVersionValue;
using quendel::resources::parseVersionBlock;
using quendel::resources::serializeVersionBlock;
using quendel::resources::TextEncoding;
using quendel::resources::VersionBlock;
using quendel::resources::VersionValue;

// A text as the version calls give it: with its terminating NUL.
std::string withNul(const char* text) { return std::string(text) + '\0'; }

// The block of this test program, as its CMakeLists.txt describes it.
std::vector<char> ownBlock() {
  DWORD handle = 7;
  DWORD size = GetFileVersionInfoSizeA("/proc/self/exe", &handle);
  EXPECT_EQ(handle, 0u);
  std::vector<char> block(size);
  EXPECT_GT(size, 0u);
  EXPECT_TRUE(GetFileVersionInfoA("/proc/self/exe", 0, size, block.data()));
  return block;
}

std::string query(const std::vector<char>& block, const char* path) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), path, &value, &length)) return "<none>";
  return {static_cast<const char*>(value), length};
}

TEST(VersionInfo, ReadsTheProgramsOwnBlock) {
  auto block = ownBlock();
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(value) % 4, reinterpret_cast<std::uintptr_t>(block.data()) % 4);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00020007u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0x00000013u);
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00020007u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0x00000013u);  // the numbers are VERSION's; PRODUCT_VERSION is a text
  EXPECT_EQ(fixed.dwFileType, 1u);                   // an application

  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  WORD pair[2];
  std::memcpy(pair, value, sizeof pair);
  EXPECT_EQ(pair[0], 0x0419);
  EXPECT_EQ(pair[1], 1251);

  struct Case {
    const char* path;
    std::string value;  // with its NUL
  } cases[] = {
      {"\\StringFileInfo\\041904E3\\InternalName", withNul("ResourceTests")},
      {"\\StringFileInfo\\041904e3\\internalname", withNul("ResourceTests")},
      {"\\StringFileInfo\\041904E3\\FileVersion", withNul("2.07.0019")},
      {"\\StringFileInfo\\041904E3\\ProductVersion", withNul("2.7.0.0")},
      {"\\StringFileInfo\\041904E3\\CompanyName", withNul("Quendel test")},
      {"\\StringFileInfo\\041904E3\\FileDescription", withNul("Проверка ресурсов")},
      {"\\StringFileInfo\\041904E3\\OriginalFilename", withNul("platform_resources_tests")},
      {"\\StringFileInfo\\041904E3\\Comments", withNul("two words")},
      {"\\StringFileInfo\\041904E3\\Empty", std::string(1, '\0')},
      {"\\StringFileInfo\\040904E4\\InternalName", "<none>"},
      {"\\StringFileInfo\\041904E3\\LegalTrademarks", "<none>"},
      {"\\StringFileInfo\\041904E3", "<none>"},
      {"\\VarFileInfo", "<none>"},
      {"\\Nothing", "<none>"},
  };
  for (const auto& c : cases) EXPECT_EQ(query(block, c.path), c.value) << c.path;
}

TEST(VersionInfo, GivesTextsInTheAnsiCodePage) {
  ASSERT_EQ(setenv("QUENDEL_ACP", "1251", 1), 0);
  quendel::cp::resetForTests();
  auto block = ownBlock();
  ASSERT_EQ(unsetenv("QUENDEL_ACP"), 0);
  quendel::cp::resetForTests();
  EXPECT_EQ(query(block, "\\StringFileInfo\\041904E3\\FileDescription"),
            withNul("\xCF\xF0\xEE\xE2\xE5\xF0\xEA\xE0 \xF0\xE5\xF1\xF3\xF0\xF1\xEE\xE2"));
}

TEST(VersionInfo, FilesWithoutAVersionBlockHaveSizeZero) {
  const std::string text = ::testing::TempDir() + "/version-info-text.txt";
  { std::ofstream(text) << "no ELF file"; }
  struct Case {
    const char* path;
    DWORD error;
  } cases[] = {
      {"/bin/sh", ERROR_RESOURCE_DATA_NOT_FOUND},
      {text.c_str(), ERROR_RESOURCE_DATA_NOT_FOUND},
      {"/no/such/file", ERROR_FILE_NOT_FOUND},
      {"/etc/passwd/inside", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    DWORD handle = 1;
    EXPECT_EQ(GetFileVersionInfoSizeA(c.path, &handle), 0u) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
    EXPECT_EQ(handle, 0u);
    char buffer[16] = "untouched";
    EXPECT_FALSE(GetFileVersionInfoA(c.path, 0, sizeof buffer, buffer));
    EXPECT_STREQ(buffer, "untouched");
  }
  ::unlink(text.c_str());
}

TEST(VersionInfo, RefusesABufferTooSmallForTheBlock) {
  DWORD size = GetFileVersionInfoSizeA("/proc/self/exe", nullptr);
  ASSERT_GT(size, 1u);
  std::vector<char> buffer(size - 1, 'x');
  EXPECT_FALSE(GetFileVersionInfoA("/proc/self/exe", 0, size - 1, buffer.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(size - 1, 'x'));
}

VersionBlock sampleBlock() {
  VersionBlock block;
  block.fixed.dwSignature = quendel::resources::kFixedSignature;
  block.fixed.dwFileVersionMS = 0x00030005;
  block.translations = {{0x0409, 0x04E4}, {0x0419, 0x04E3}};
  block.tables = {{"040904E4", {{"InternalName", "Sample"}, {"Empty", ""}}},
                  {"041904E3", {{"InternalName", "Образец"}}}};
  return block;
}

TEST(VersionBlocks, RoundTripAndAnswerQueries) {
  const std::string bytes = serializeVersionBlock(sampleBlock(), TextEncoding::Utf8);
  VersionBlock back;
  ASSERT_TRUE(parseVersionBlock(bytes, &back));
  EXPECT_EQ(serializeVersionBlock(back, TextEncoding::Utf8), bytes);
  EXPECT_EQ(back.translations.size(), 2u);

  VersionValue value;
  ASSERT_TRUE(findVersionValue(bytes, "\\VarFileInfo\\Translation", &value));
  EXPECT_EQ(value.length, 8u);
  ASSERT_TRUE(findVersionValue(bytes, "\\StringFileInfo\\041904E3\\InternalName", &value));
  EXPECT_EQ(bytes.substr(value.offset, value.length), withNul("Образец"));
  ASSERT_TRUE(findVersionValue(bytes, "StringFileInfo\\040904E4\\InternalName\\", &value));
  EXPECT_EQ(bytes.substr(value.offset, value.length), withNul("Sample"));
}

TEST(VersionBlocks, DamagedBlocksAreRefused) {
  const std::string good = serializeVersionBlock(sampleBlock(), TextEncoding::Utf8);
  VersionBlock block;
  VersionValue value;
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::string cut = good.substr(0, n);
    EXPECT_FALSE(parseVersionBlock(cut, &block)) << n;
    EXPECT_FALSE(findVersionValue(cut, "\\StringFileInfo\\041904E3\\InternalName", &value)) << n;
  }
  auto patched = [&](std::size_t at, char byte) {
    std::string bytes = good;
    bytes[at] = byte;
    return bytes;
  };
  constexpr std::size_t kTranslationCount = 68, kTableCount = 80;
  for (const auto& bad : {patched(0, 'X'), patched(4, 2), patched(8, 1), patched(16, 0), patched(kTranslationCount, 99),
                          patched(kTableCount, 99), patched(kTableCount + 4, 'G'), good + "extra"})
    EXPECT_FALSE(parseVersionBlock(bad, &block));
  EXPECT_TRUE(block.tables.empty()) << "a refused block leaves the output as it was";
  void* out = nullptr;
  UINT length = 0;
  EXPECT_FALSE(VerQueryValueA("QVEX", "\\", &out, &length));
  EXPECT_EQ(out, nullptr);
}

}  // namespace
