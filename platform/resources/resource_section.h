// The resources a module carries: the ELF section ".quendel.rsrc" written at build time
// (scripts/make-resource-section.py), and the names resources are looked up by.
//
//   ResourceSection section;
//   if (ResourceSection::parse(bytes, &section))
//     if (auto icon = section.find(kGroupIcon, *ResourceName::from("noemi_0000"))) ...
//
// Layout (all numbers little-endian, offsets from the start of the section):
//   header   "QRSC", u32 format (1), u32 entry count, u32 reserved (0)       16 bytes
//   entries  u32 type, u32 id, u32 name offset, u32 name size,
//            u32 data offset, u32 data size                                   24 bytes each
//   then the names and the data the entries point to.
// An entry is named by an integer id 1..65535 (name size 0) or by a name of 1..255
// printable ASCII characters, stored upper-cased (id 0). Types are the platform's numbers;
// a bitmap is a BMP file, an icon group an ICO file, a cursor group a CUR file, a version
// block as version_block.h describes.
//
// parse checks every entry against the section before anything is looked up: a
// truncated section, a wrong signature or format, a count beyond the section or a range
// outside it makes the whole section unusable (false), never an over-read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::resources {

inline constexpr std::string_view kSectionName = ".quendel.rsrc";

// Resource types, as the platform numbers them.
inline constexpr std::uint32_t kBitmap = 2;
inline constexpr std::uint32_t kGroupCursor = 12;
inline constexpr std::uint32_t kGroupIcon = 14;
inline constexpr std::uint32_t kVersion = 16;

inline constexpr std::uint32_t kFormat = 1;
inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kEntrySize = 24;
inline constexpr std::size_t kMaxNameLength = 255;

// How a resource is named: an integer id, or a name compared without letter case.
struct ResourceName {
  std::uint32_t id = 0;  // 0 for a named resource
  std::string name;      // upper-cased; empty for an id

  // The platform's reading of a name argument: a pointer value below 0x10000 is the
  // integer id itself (MAKEINTRESOURCE), "#123" is the id 123, anything else a name.
  // Nothing for a null pointer, id 0, "#" without digits, an id above 65535, an empty
  // name or one longer than 255 characters or holding other than printable ASCII.
  static std::optional<ResourceName> from(const char* text);
  bool operator==(const ResourceName&) const = default;
};

struct ResourceEntry {
  std::uint32_t type = 0;
  ResourceName name;
  std::uint32_t dataOffset = 0;  // where the data lies in the section
  std::uint32_t dataSize = 0;
};

class ResourceSection {
 public:
  // Reads a section's bytes, which the section keeps; false (out untouched) when the
  // bytes are no valid section.
  [[nodiscard]] static bool parse(std::string bytes, ResourceSection* out);

  // The data of the resource of that type and name; nothing when there is none.
  std::optional<std::string_view> find(std::uint32_t type, const ResourceName& name) const;
  // Whether any resource of the type exists (the platform tells a missing type from a
  // missing name).
  bool hasType(std::uint32_t type) const;
  const std::vector<ResourceEntry>& entries() const { return entries_; }
  std::string_view data(const ResourceEntry& entry) const {
    return std::string_view(bytes_).substr(entry.dataOffset, entry.dataSize);
  }

 private:
  std::string bytes_;
  std::vector<ResourceEntry> entries_;
};

}  // namespace quendel::resources

QUENDEL_EXPORT_END
