// The description texts of Win32 and WinMM error numbers, the title of the running
// program and the message tables of loaded modules.
#include <cstdint>
#include <string>
#include <string_view>

#include "support/codepage.h"
#include "support/elf_section.h"
#include "support/quendelsupport.h"

using quendel::BStr;

namespace {

struct NumberedText {
  LONG number;
  const char16_t* text;
};

// The standard system texts, without the line break that ends them on Windows (a caller
// that puts the text on one line would otherwise get a blank at its end).
constexpr NumberedText kApiTexts[] = {
    {0, u"The operation completed successfully."},
    {1, u"Incorrect function."},
    {2, u"The system cannot find the file specified."},
    {3, u"The system cannot find the path specified."},
    {4, u"The system cannot open the file."},
    {5, u"Access is denied."},
    {6, u"The handle is invalid."},
    {7, u"The storage control blocks were destroyed."},
    {8, u"Not enough storage is available to process this command."},
    {10, u"The environment is incorrect."},
    {13, u"The data is invalid."},
    {14, u"Not enough storage is available to complete this operation."},
    {15, u"The system cannot find the drive specified."},
    {18, u"There are no more files."},
    {21, u"The device is not ready."},
    {32, u"The process cannot access the file because it is being used by another process."},
    {33, u"The process cannot access the file because another process has locked a portion of the file."},
    {38, u"Reached the end of the file."},
    {50, u"The request is not supported."},
    {80, u"The file exists."},
    {87, u"The parameter is incorrect."},
    {109, u"The pipe has been ended."},
    {112, u"There is not enough space on the disk."},
    {120, u"This function is not supported on this system."},
    {122, u"The data area passed to a system call is too small."},
    {123, u"The filename, directory name, or volume label syntax is incorrect."},
    {126, u"The specified module could not be found."},
    {127, u"The specified procedure could not be found."},
    {145, u"The directory is not empty."},
    {183, u"Cannot create a file when that file already exists."},
    {206, u"The filename or extension is too long."},
    {234, u"More data is available."},
    {259, u"No more data is available."},
    {267, u"The directory name is invalid."},
    {995, u"The I/O operation has been aborted because of either a thread exit or an application request."},
    {1009, u"The configuration registry database is corrupt."},
    {1010, u"The configuration registry key is invalid."},
    {1011, u"The configuration registry key could not be opened."},
    {1012, u"The configuration registry key could not be read."},
    {1013, u"The configuration registry key could not be written."},
    {1018, u"Illegal operation attempted on a registry key that has been marked for deletion."},
    {1020, u"Cannot create a symbolic link in a registry key that already has subkeys or values."},
    {1168, u"Element not found."},
    {1223, u"The operation was canceled by the user."},
    {1400, u"Invalid window handle."},
    {1460, u"This operation returned because the timeout period expired."},
    {1812, u"The specified image file did not contain a resource section."},
    {1813, u"The specified resource type cannot be found in the image file."},
    {1814, u"The specified resource name cannot be found in the image file."},
};

constexpr NumberedText kWinMMTexts[] = {
    {0, u"The specified command was carried out."},
    {1, u"Undefined external error."},
    {2, u"A device ID has been used that is out of range for your system."},
    {3, u"The driver was not enabled."},
    {4, u"The specified device is already in use. Wait until it is free, and then try again."},
    {5, u"The specified device handle is invalid."},
    {6, u"There is no driver installed on your system."},
    {7,
     u"There is not enough memory available for this task. Quit one or more applications to increase "
     u"available memory, and then try again."},
    {8,
     u"This function is not supported. Use the Capabilities function to determine which functions and "
     u"messages the driver supports."},
    {9, u"An error number was specified that is not defined in the system."},
    {10, u"An invalid flag was passed to a system function."},
    {11, u"An invalid parameter was passed to a system function."},
    {12, u"The specified device is busy on another thread. Wait until it is free, and then try again."},
    {13, u"The specified alias was not found."},
    {14, u"The registry database is corrupt."},
    {15, u"The specified registry key was not found."},
    {16, u"The registry could not be opened or could not be read."},
    {17, u"The registry could not be written to."},
    {18, u"The specified registry key could not be deleted."},
    {19, u"The specified registry key value could not be found."},
    {20, u"The driver did not generate a valid OPEN callback."},
    {32,
     u"The specified format is not supported or cannot be translated. Use the Capabilities function to "
     u"determine the supported formats."},
    {33,
     u"Cannot perform this operation while media data is still playing. Reset the device, or wait until "
     u"the data is finished playing."},
    {34,
     u"The wave header was not prepared. Use the Prepare function to prepare the header, and then try "
     u"again."},
    {35, u"Cannot open the device without using the WAVE_ALLOWSYNC flag. Use the flag, and then try again."},
    {64,
     u"The MIDI header was not prepared. Use the Prepare function to prepare the header, and then try "
     u"again."},
    {65,
     u"Cannot perform this operation while media data is still playing. Reset the device, or wait until "
     u"the data is finished playing."},
    {66,
     u"A MIDI map was not found. There may be a problem with the driver, or the MIDI map file may be "
     u"corrupt or missing."},
    {67,
     u"The port is transmitting data to the device. Wait until the data has been transmitted, and then "
     u"try again."},
    {68, u"The current MIDI map setup refers to a MIDI device that is not installed on the system."},
    {69, u"The current MIDI setup is damaged."},
    {70, u"A MIDI call was made that is not valid in the current open mode."},
};

template <size_t N>
const char16_t* find(const NumberedText (&table)[N], LONG number) {
  for (const auto& row : table)
    if (row.number == number) return row.text;
  return nullptr;
}

// --- Module message tables ---------------------------------------------------------
//
// A module carries its message table in the ELF section ".quendel.msgtable": a sequence of
// records, each a little-endian 32-bit number, a little-endian 32-bit byte length and
// that many bytes of UTF-8 text. The section is read from the module's file, since
// section headers are not mapped.

constexpr std::string_view kMessageSection = ".quendel.msgtable";

std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

namespace quendel {

BStr messageTableText(std::string_view table, LONG number) {
  while (table.size() >= 8) {
    auto* p = reinterpret_cast<const unsigned char*>(table.data());
    std::uint32_t id = le32(p), len = le32(p + 4);
    table.remove_prefix(8);
    if (len > table.size()) return {};  // a damaged record ends the table
    if (static_cast<LONG>(id) == number) return cp::fromUtf8(table.substr(0, len));
    table.remove_prefix(len);
  }
  return {};
}

}  // namespace quendel

HRESULT asGetAPIErrorDescription(LONG number, BStr* out) {
  if (!out) return E_POINTER;
  const char16_t* text = find(kApiTexts, number);
  if (!text) text = quendel::hresultText(number);
  // HRESULT_FROM_WIN32 wraps a Win32 code; its text is the code's own.
  if (!text && (static_cast<ULONG>(number) & 0xFFFF0000u) == 0x80070000u) text = find(kApiTexts, number & 0xFFFF);
  *out = text ? BStr(text) : BStr();
  return S_OK;
}

HRESULT asGetWinMMErrorDescription(LONG number, BStr* out) {
  if (!out) return E_POINTER;
  const char16_t* text = find(kWinMMTexts, number);
  *out = text ? BStr(text) : BStr();
  return S_OK;
}

HRESULT asGetModuleErrorDescription(const void* module, LONG number, BStr* out) {
  if (!out) return E_POINTER;
  if (!module) return E_INVALIDARG;
  std::string path, table;
  if (!quendel::loadedModulePath(reinterpret_cast<std::uintptr_t>(module), &path)) return E_INVALIDARG;
  if (!quendel::readElfSection(path, kMessageSection, &table)) table.clear();
  *out = quendel::messageTableText(table, number);
  return S_OK;
}
