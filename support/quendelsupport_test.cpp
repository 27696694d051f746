#include "support/quendelsupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "support/codepage.h"
#include "support/quendelsupportfbe.h"
#include "support/testing.h"

using quendel::BStr;
using quendel::RuntimeError;

namespace {

using quendel::ErrorInfo;
using quendel::testing::errorInfoOf;

TEST(SupportText, Trimming) {
  struct Row {
    BStr in, trimEx, trimCRLF;
  } rows[] = {
      {u"  a b \t", u"a b", u"  a b \t"}, {u"\r\nline\r\n", u"line", u"line"},
      {u"\n \r x \r\n", u"x", u" \r x "}, {u"", u"", u""},
      {u" \t\r\n", u"", u" \t"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(asTrimEx(r.in), r.trimEx);
    EXPECT_EQ(asTrimCRLF(r.in), r.trimCRLF);
  }
}

TEST(SupportText, CutLeftAndPointers) {
  EXPECT_EQ(asCutLeft(u"abcdef", 2), u"cdef");
  EXPECT_EQ(asCutLeft(u"abc", 10), u"");
  EXPECT_EQ(asCutLeft(u"abc", 0), u"abc");
  BStr untouched = u"keep";
  EXPECT_EQ(asCutLeft(u"abc", -1, &untouched), E_INVALIDARG);
  EXPECT_EQ(untouched, u"keep");
  EXPECT_THROW(asCutLeft(u"abc", -1), RuntimeError);
  EXPECT_EQ(asGetStringFromPointerW(u"ab\0cd"), u"ab");
  EXPECT_EQ(asGetStringFromPointerW(nullptr), u"");
  EXPECT_EQ(asGetStringFromPointerA("plain\0rest"), u"plain");
  EXPECT_EQ(asTrimEx(u"x", nullptr), E_POINTER);
}

TEST(SupportText, Utf8BytesOneCharacterEach) {
  BStr bytes = asUNICODEToUTF8(u"Ж");
  EXPECT_EQ(bytes, (BStr{0xD0, 0x96}));
  EXPECT_EQ(asUTF8ToUNICODE(bytes), u"Ж");
  BStr out;
  EXPECT_EQ(asUTF8ToUNICODE(u"Ж", &out), E_INVALIDARG);  // not a byte string
}

TEST(SupportNumbers, WordsAndBytes) {
  EXPECT_EQ(asLoWord(0x12345678), 0x5678);
  EXPECT_EQ(asLoWord(-1), 0xFFFF);
  EXPECT_EQ(asHiByte(0x1234), 0x12);
  EXPECT_EQ(asHiByte(0x00002018), 0x20);  // pixel format 32bppARGB-like: bits 8-15
  EXPECT_EQ(asMakeLong(0x5678, 0x1234), 0x12345678);
  EXPECT_EQ(asMakeLong(-1, -1), -1);
  EXPECT_EQ(asLongToUnsignedLong(-1), 4294967295.0);
  EXPECT_EQ(asLongToUnsignedLong(5), 5.0);
  EXPECT_EQ(asLargeIntegerToDouble(1LL << 40), 1099511627776.0);
  EXPECT_EQ(asDoubleToLargeInteger(2.5), 2);
  EXPECT_EQ(asDoubleToLargeInteger(3.5), 4);
  EXPECT_THROW(asDoubleToLargeInteger(1e30), RuntimeError);
}

TEST(SupportNumbers, FormsOfNumbers) {
  struct Row {
    double v;
    BStr dbl, int64;
  } rows[] = {
      {0, u"0", u"0"},
      {1.5, u"1.5", u"2"},
      {2.5, u"2.5", u"2"},
      {-0.25, u"-0.25", u"0"},
      {1234567.125, u"1234567.125", u"1234567"},
      {0.0000001, u"0", u"0"},
      {0.1234567, u"0.123457", u"0"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(asFormatDouble(r.v), r.dbl) << r.v;
    EXPECT_EQ(asFormatInt64(r.v), r.int64) << r.v;
  }
  EXPECT_EQ(asFormatLong(-1234), u"-1234");
  EXPECT_EQ(asFormatByteSizeEx(532), u"532 bytes");
  EXPECT_EQ(asFormatByteSizeEx(1331), u"1.30 KB");
  EXPECT_EQ(asFormatByteSizeEx(2621440), u"2.50 MB");
  EXPECT_EQ(asFormatByteSizeEx(150.0 * 1024 * 1024 * 1024), u"150 GB");
}

TEST(SupportNumbers, ErrorNumbersAndHex) {
  EXPECT_EQ(asGetErrorNumber(5), u"5");
  EXPECT_EQ(asGetErrorNumber(53), u"53");
  EXPECT_EQ(asGetErrorNumber(65535), u"65535");
  EXPECT_EQ(asGetErrorNumber(65536), u"65536 (0x00010000)");
  EXPECT_EQ(asGetErrorNumber(-2147221504), u"-2147221504 (0x80040000)");
  EXPECT_EQ(esHex1(0x0F), u"0F");
  EXPECT_EQ(esHex2(0x0409), u"0409");
  EXPECT_EQ(esHex2(0x04E4), u"04E4");
  EXPECT_EQ(esHexEx4(255), u"0x000000FF");
  EXPECT_EQ(esHexEx4(-1), u"0xFFFFFFFF");
  EXPECT_EQ(esHexEx8(0x7F0012345000), u"0x00007F0012345000");
  EXPECT_EQ(esHexEx8(~0ull), u"0xFFFFFFFFFFFFFFFF");
}

TEST(SupportNumbers, RandomNumbersStayInRange) {
  std::set<LONG> seen;
  for (int i = 0; i < 2000; ++i) {
    LONG r = esGetRnd(0, 3, 0);
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 3);
    seen.insert(r);
  }
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(esGetRnd(7, 7, 0), 7);
  EXPECT_EQ(esGetRnd(INT32_MIN, INT32_MAX, 0) >= INT32_MIN, true);
  LONG out = 42;
  EXPECT_EQ(esGetRnd(5, 4, 0, &out), E_INVALIDARG);
  EXPECT_EQ(out, 42);
}

TEST(SupportNumbers, NewGuidsAreRegistryForm) {
  // {XXXXXXXX-XXXX-4XXX-[89AB]XXX-XXXXXXXXXXXX}, upper-case hex
  auto wellFormed = [](const BStr& g) {
    if (g.size() != 38 || g[0] != u'{' || g[37] != u'}' || g[15] != u'4') return false;
    if (g[20] != u'8' && g[20] != u'9' && g[20] != u'A' && g[20] != u'B') return false;
    for (size_t i = 1; i < 37; ++i) {
      bool dash = i == 9 || i == 14 || i == 19 || i == 24;
      bool hex = (g[i] >= u'0' && g[i] <= u'9') || (g[i] >= u'A' && g[i] <= u'F');
      if (dash ? g[i] != u'-' : !hex) return false;
    }
    return true;
  };
  BStr a = asGetNewGUID(), b = asGetNewGUID();
  EXPECT_TRUE(wellFormed(a)) << quendel::cp::toUtf8(a);
  EXPECT_NE(a, b);
}

TEST(SupportHost, VersionsAndHost) {
  EXPECT_EQ(asFormatVersionShort(1, 5), u"1.5");
  EXPECT_EQ(asFormatVersionShort(1, 10), u"1.10");
  EXPECT_EQ(asFormatVersion(1, 1, 23), u"1.01.0023");
  EXPECT_EQ(asFormatVersion(3, 5, 301), u"3.05.0301");
  EXPECT_TRUE(esIsHostWinNT());
  EXPECT_FALSE(esIsHostWin95());
  EXPECT_FALSE(esIsHostWin9x());
  EXPECT_FALSE(esIsHostWinNT351());
  EXPECT_FALSE(esIsHostWinNT40());
  EXPECT_FALSE(esIsInIDE());
  BStr os = asGetHostOSFullName(true, true);
  auto br = os.find(u"\r\n");
  ASSERT_NE(br, BStr::npos) << quendel::cp::toUtf8(os);
  EXPECT_EQ(os.substr(br + 2, 6), u"Linux ");
  EXPECT_FALSE(asGetFullUserName(true).empty());
}

TEST(SupportHost, MemoryAndTime) {
  QuendelMemoryStatus m = asGlobalMemoryStatus();
  EXPECT_GT(m.totalPhys, 0);
  EXPECT_LE(m.availPhys, m.totalPhys);
  EXPECT_GE(m.memoryLoad, 0);
  EXPECT_LE(m.memoryLoad, 100);
  setenv("TZ", "UTC", 1);
  tzset();
  SYSTEMTIME t{2026, 12, 0, 7, 13, 5, 9, 0};
  SYSTEMTIME local = asSystemTimeToLocalSystemTime(t);
  EXPECT_EQ(local.wHour, 13);
  EXPECT_EQ(local.wDayOfWeek, 1);  // a Monday
  EXPECT_EQ(asSystemTimeToStringDate(t), u"07.12.2026");
  EXPECT_EQ(asSystemTimeToStringTime(t), u"13:05:09");
  SYSTEMTIME bad{2026, 13, 0, 1, 0, 0, 0, 0};
  EXPECT_THROW(asSystemTimeToStringDate(bad), RuntimeError);
}

TEST(SupportFiles, FilesAndModules) {
  char dir[] = "/tmp/quendel-support-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string file = std::string(dir) + "/a file ж.txt";
  std::ofstream(file) << "x";
  EXPECT_TRUE(esIsFileExist(quendel::cp::fromUtf8(file)));
  EXPECT_FALSE(esIsFileExist(quendel::cp::fromUtf8(dir)));  // a folder is no file
  EXPECT_FALSE(esIsFileExist(quendel::cp::fromUtf8(std::string(dir) + "/missing")));
  EXPECT_FALSE(esIsFileExist(u""));
  unlink(file.c_str());
  rmdir(dir);

  BStr exe = asGetEXEModulePrettyFileName();
  EXPECT_NE(exe.find(u"support_tests"), BStr::npos);
  EXPECT_EQ(asGetThunderMainTitle(), u"support_tests");  // the file name without extension
  // The support library is position-independent: it asks for no address, so its
  // preferred base is where it is loaded (the address of its first mapping).
  HRESULT (*raw)(BStr*) = &asGetNewGUID;
  auto self = reinterpret_cast<std::uintptr_t>(raw);
  std::uintptr_t preferred = asGetModulePreferredBaseAddr(0, self);
  EXPECT_NE(preferred, 0u);
  EXPECT_LE(preferred, self);
  EXPECT_EQ(asGetModulePreferredBaseAddr(0, preferred), preferred);
  std::uintptr_t out = 7;
  EXPECT_EQ(asGetModulePreferredBaseAddr(0, 1, &out), E_INVALIDARG);
  EXPECT_EQ(out, 7u);
}

TEST(SupportDebug, DebugOutputOnlyWhenAsked) {
  unsetenv("QUENDEL_DEBUG");
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  EXPECT_EQ(asDebugPrint(u"hidden"), S_OK);
  setenv("QUENDEL_DEBUG", "1", 1);
  EXPECT_EQ(asOutputDebugString(u"shown ж"), S_OK);
  unsetenv("QUENDEL_DEBUG");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "shown ж\n");
}

TEST(RuntimeErrors, StandardTextsAndHResults) {
  EXPECT_EQ(RuntimeError(9).description(), u"Subscript out of range");
  EXPECT_EQ(RuntimeError(53).description(), u"File not found");
  EXPECT_EQ(RuntimeError(12345).description(), u"Application-defined or object-defined error");
  EXPECT_EQ(RuntimeError(5, u"own").description(), u"own");
  EXPECT_EQ(quendel::errorNumberFromHResult(E_INVALIDARG), 5);
  EXPECT_EQ(quendel::errorNumberFromHResult(static_cast<HRESULT>(0x800A0009u)), 9);
  EXPECT_EQ(quendel::errorNumberFromHResult(REGDB_E_CLASSNOTREG), REGDB_E_CLASSNOTREG);
  ErrorInfo e = errorInfoOf([] { quendel::raiseOnFailure(DISP_E_OVERFLOW); });
  EXPECT_EQ(e.number, 6);
  EXPECT_EQ(e.description, u"Overflow");
}

}  // namespace
