#include <link.h>

#include <gtest/gtest.h>

#include "support/quendelsupport.h"
#include "support/quendelsupportfbe.h"

using quendel::BStr;

namespace {

// This test program carries a message table of its own: number 7 and number 0x20000001.
__attribute__((section(".quendel.msgtable"), used))
const unsigned char kTable[] = {7, 0, 0, 0,    9, 0, 0, 0, 'S',  'e',  'v',  'e', 'n', '\r', '\n', 'o', 'k',  //
                                1, 0, 0, 0x20, 4, 0, 0, 0, 0xD0, 0x94, 0xD0, 0xB0};

const void* programHandle() {
  const void* handle = nullptr;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        for (int i = 0; i < info->dlpi_phnum; ++i)
          if (info->dlpi_phdr[i].p_type == PT_LOAD) {
            *static_cast<const void**>(data) =
                reinterpret_cast<const void*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
            return 1;
          }
        return 0;
      },
      &handle);
  return handle;
}

TEST(ErrorDescriptions, ApiTexts) {
  struct {
    LONG number;
    const char16_t* text;
  } rows[] = {
      {0, u"The operation completed successfully."},
      {2, u"The system cannot find the file specified."},
      {5, u"Access is denied."},
      {87, u"The parameter is incorrect."},
      {183, u"Cannot create a file when that file already exists."},
      {259, u"No more data is available."},
      {1009, u"The configuration registry database is corrupt."},
      {1168, u"Element not found."},
      {static_cast<LONG>(0x80070005u), u"Access is denied."},  // HRESULT_FROM_WIN32(5)
      {static_cast<LONG>(0x80004005u), u"Unspecified error"},
      {static_cast<LONG>(0x80004004u), u"Operation aborted"},
      {static_cast<LONG>(0x800C0005u), u"The server or proxy was not found."},  // download statuses
      {static_cast<LONG>(0x800C000Bu), u"The Internet connection has timed out."},
      {static_cast<LONG>(0x800C0001u), u""},
      {9999, u""},
      {-1, u""},
  };
  for (auto& r : rows) EXPECT_EQ(asGetAPIErrorDescription(r.number), r.text) << r.number;
  // Every code the platform layer returns has a text.
  for (LONG code : {ERROR_SUCCESS,
                    ERROR_INVALID_FUNCTION,
                    ERROR_FILE_NOT_FOUND,
                    ERROR_PATH_NOT_FOUND,
                    ERROR_TOO_MANY_OPEN_FILES,
                    ERROR_ACCESS_DENIED,
                    ERROR_INVALID_HANDLE,
                    ERROR_NOT_ENOUGH_MEMORY,
                    ERROR_INVALID_DATA,
                    ERROR_OUTOFMEMORY,
                    ERROR_SHARING_VIOLATION,
                    ERROR_FILE_EXISTS,
                    ERROR_INVALID_PARAMETER,
                    ERROR_INSUFFICIENT_BUFFER,
                    ERROR_INVALID_NAME,
                    ERROR_ALREADY_EXISTS,
                    ERROR_FILENAME_EXCED_RANGE,
                    ERROR_MORE_DATA,
                    ERROR_NO_MORE_ITEMS,
                    ERROR_BADDB,
                    ERROR_BADKEY,
                    ERROR_CANTOPEN,
                    ERROR_CANTREAD,
                    ERROR_CANTWRITE,
                    ERROR_KEY_DELETED,
                    ERROR_KEY_HAS_CHILDREN,
                    ERROR_NOT_FOUND}) {
    BStr text = asGetAPIErrorDescription(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_NE(text.back(), u'\n') << code;
  }
}

TEST(ErrorDescriptions, WinMMTexts) {
  EXPECT_EQ(asGetWinMMErrorDescription(0), u"The specified command was carried out.");
  EXPECT_EQ(asGetWinMMErrorDescription(2), u"A device ID has been used that is out of range for your system.");
  EXPECT_EQ(asGetWinMMErrorDescription(32).substr(0, 35), u"The specified format is not support");
  EXPECT_EQ(asGetWinMMErrorDescription(21), u"");
  EXPECT_EQ(asGetWinMMErrorDescription(1000), u"");
}

TEST(ErrorDescriptions, MessageTableRecords) {
  std::string_view table(reinterpret_cast<const char*>(kTable), sizeof kTable);
  EXPECT_EQ(quendel::messageTableText(table, 7), u"Seven\r\nok");
  EXPECT_EQ(quendel::messageTableText(table, 0x20000001), u"Да");
  EXPECT_EQ(quendel::messageTableText(table, 8), u"");
  // A record whose length runs past the end ends the table; so do stray bytes.
  EXPECT_EQ(quendel::messageTableText(table.substr(0, 20), 0x20000001), u"");
  EXPECT_EQ(quendel::messageTableText(table.substr(0, 5), 7), u"");
  EXPECT_EQ(quendel::messageTableText({}, 7), u"");
}

TEST(ErrorDescriptions, ModuleTableFromLoadedModule) {
  const void* self = programHandle();
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(asGetModuleErrorDescription(self, 7), u"Seven\r\nok");
  EXPECT_EQ(asGetModuleErrorDescription(self, 0x20000001), u"Да");
  EXPECT_EQ(asGetModuleErrorDescription(self, 3), u"");
  BStr out = u"untouched";
  EXPECT_EQ(asGetModuleErrorDescription(nullptr, 7, &out), E_INVALIDARG);
  EXPECT_EQ(asGetModuleErrorDescription(&out, 7, &out), E_INVALIDARG);  // no module starts there
  EXPECT_EQ(out, u"untouched");
}

TEST(ScreenFunctions, AskTheInstalledSource) {
  QuendelScreenSource before = esSetScreenSource([](QuendelScreenInfo* i) {
    *i = {144, 120, 2560, 1440};
    return true;
  });
  EXPECT_FLOAT_EQ(esScreenTwipsPerPixelX(), 10.0f);
  EXPECT_FLOAT_EQ(esScreenTwipsPerPixelY(), 12.0f);
  EXPECT_EQ(esScreenWidthPx(), 2560);
  EXPECT_EQ(esScreenHeightPx(), 1440);
  EXPECT_EQ(esScreenHimetricToPixelsX(2540), 144);
  EXPECT_EQ(esScreenHimetricToPixelsY(1270), 60);
  // A source that cannot tell leaves the nominal screen.
  esSetScreenSource([](QuendelScreenInfo*) { return false; });
  EXPECT_FLOAT_EQ(esScreenTwipsPerPixelX(), 15.0f);
  EXPECT_EQ(esScreenWidthPx(), 1024);
  esSetScreenSource(before);
}

}  // namespace
