// A module's version block: fixed version numbers, translations and string tables, in
// the form the version resource holds and GetFileVersionInfoA hands out.
//
//   VersionBlock block;
//   if (parseVersionBlock(resourceData, &block)) {
//     std::string bytes = serializeVersionBlock(block, TextEncoding::Ansi);
//     ...  // VerQueryValueA(bytes.data(), "\\StringFileInfo\\040904E4\\InternalName", ...)
//   }
//
// Layout (little-endian):
//   "QVER", u32 format (1), u32 total size in bytes, u32 reserved (0)         16 bytes
//   VS_FIXEDFILEINFO                                                          52 bytes
//   u32 translation count, then that many (u16 language, u16 code page)
//   u32 table count, then per table: 8 ASCII hexadecimal digits (language and code
//   page), u32 string count, then per string: u16 name size, the name (ASCII),
//   u32 value size, the value and one NUL byte (not counted in the value size).
// In the resource the values are UTF-8; in a block from GetFileVersionInfoA they are in
// the ANSI code page, so that VerQueryValueA can hand out pointers into the block. The
// fixed record starts at offset 16 and the translations at 72, both 4-byte aligned.
// Parsing checks every size against the data: a damaged block is refused whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

// The fixed part of a version block, as the platform lays it out.
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;  // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

namespace quendel::resources {

inline constexpr DWORD kFixedSignature = 0xFEEF04BD;
inline constexpr std::size_t kVersionHeaderSize = 16;
inline constexpr std::size_t kTranslationsOffset = kVersionHeaderSize + sizeof(VS_FIXEDFILEINFO) + 4;

struct StringTable {
  std::string key;  // "040904E4": language and code page, upper-case hexadecimal
  std::vector<std::pair<std::string, std::string>> strings;  // name, value
};

struct VersionBlock {
  VS_FIXEDFILEINFO fixed{};
  std::vector<std::pair<WORD, WORD>> translations;  // language, code page
  std::vector<StringTable> tables;
};

enum class TextEncoding { Utf8, Ansi };

// Reads a block (its values taken as UTF-8); false (out untouched) for damaged data.
[[nodiscard]] bool parseVersionBlock(std::string_view data, VersionBlock* out);
// The block's bytes with its values in the given encoding.
std::string serializeVersionBlock(const VersionBlock& block, TextEncoding values);

// What VerQueryValueA finds at a path in a serialized block: the bytes' position and
// length as the call reports it (52 for "\", 4 per translation, a string's characters
// with its NUL); false for a path the block lacks.
struct VersionValue {
  std::size_t offset = 0;
  UINT length = 0;
};
[[nodiscard]] bool findVersionValue(std::string_view block, std::string_view path, VersionValue* out);

}  // namespace quendel::resources

QUENDEL_EXPORT_END
