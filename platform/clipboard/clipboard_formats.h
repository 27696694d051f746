// The clipboard's data formats as bytes: the predefined format numbers, the "HTML Format"
// block (CF_HTML) and the shell's file-drop block (DROPFILES). Pure functions, used by
// the library's clipboard class and by the desktop bridge.
//
//   std::string block = buildHtmlBlock(u8fragment);            // header with exact offsets
//   std::optional<std::string> f = htmlFragmentOf(block);     // the fragment again
//   std::vector<BYTE> drop = buildDropFiles({u"/tmp/a.txt"}, true);
//   auto names = readDropFiles(drop.data(), drop.size());      // {u"/tmp/a.txt"}
//
// CF_HTML block: "Version:1.0", StartHTML, EndHTML, StartFragment, EndFragment, each on
// its own CR LF line with exactly ten decimal digits (a 105-byte header), then the
// context start + "<!--StartFragment-->", the fragment, "<!--EndFragment-->" + the context
// end, and one NUL byte. All offsets count bytes from the start of the block; EndHTML
// counts the terminating NUL as well (one byte past the context end), as the library has
// always written it. The block returned does not include the extra NUL that the
// clipboard copy carries.
//
// DROPFILES block: a 20-byte header (file-list offset 20, drop point 0,0, non-client 0,
// wide flag 1 or 0), then each name and a NUL character, then one more NUL character;
// UTF-16 names when wide, else names in the ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_SYLK = 4;
constexpr UINT CF_DIF = 5;
constexpr UINT CF_TIFF = 6;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_PALETTE = 9;
constexpr UINT CF_PENDATA = 10;
constexpr UINT CF_RIFF = 11;
constexpr UINT CF_WAVE = 12;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_HDROP = 15;
constexpr UINT CF_LOCALE = 16;
constexpr UINT CF_DIBV5 = 17;

namespace quendel::clipboard {

inline constexpr char kHtmlFormatName[] = "HTML Format";
inline constexpr std::size_t kHtmlHeaderLength = 105;
inline constexpr char kDefaultContextStart[] = "<HTML><BODY>";
inline constexpr char kDefaultContextEnd[] = "</BODY></HTML>";
inline constexpr std::size_t kDropFilesHeaderSize = 20;

// Predefined formats: 1 to 17, the private and GDI object ranges (0x80.., 0x200..,
// 0x300..). Registered formats are 0xC000 to 0xFFFF.
bool isPredefinedFormat(UINT format);
inline bool isRegisteredFormatId(UINT format) { return format >= 0xC000 && format <= 0xFFFF; }

// The CF_HTML block (without the clipboard's extra NUL) for UTF-8 texts.
std::string buildHtmlBlock(std::string_view fragment, std::string_view contextStart = kDefaultContextStart,
                           std::string_view contextEnd = kDefaultContextEnd);

// The bytes between StartFragment and EndFragment of a CF_HTML block, read leniently for
// other programs' blocks: the data counts up to its first NUL byte, an EndFragment past it
// is clipped; when the offsets are missing or out of order the fragment markers are used,
// and failing those the whole HTML part. Empty optional when neither offsets nor markers
// describe anything.
std::optional<std::string> htmlFragmentOf(std::string_view block);

std::vector<BYTE> buildDropFiles(const std::vector<std::u16string>& names, bool wide);

// The names of a DROPFILES block in order, empty names left out. Empty optional when the
// block is shorter than its header or its file-list offset lies beyond the block.
struct DropFiles {
  bool wide = false;
  std::vector<std::u16string> names;
};
std::optional<DropFiles> readDropFiles(const BYTE* data, std::size_t size);

}  // namespace quendel::clipboard

QUENDEL_EXPORT_END
