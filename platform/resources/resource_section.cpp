#include "platform/resources/resource_section.h"

#include <cstring>

namespace quendel::resources {

namespace {

constexpr std::uintptr_t kIntResourceLimit = 0x10000;
constexpr std::uint32_t kMaxId = 0xFFFF;
constexpr char kSignature[4] = {'Q', 'R', 'S', 'C'};

std::uint32_t le32(std::string_view bytes, std::size_t at) {
  auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
  return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

bool printableAscii(char c) { return c >= ' ' && c < 0x7F; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::optional<std::uint32_t> decimalId(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint32_t id = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + static_cast<std::uint32_t>(c - '0');
    if (id > kMaxId) return std::nullopt;
  }
  return id;
}

bool inside(std::uint32_t offset, std::uint32_t size, std::size_t total) {
  return offset <= total && size <= total - offset;
}

}  // namespace

std::optional<ResourceName> ResourceName::from(const char* text) {
  auto value = reinterpret_cast<std::uintptr_t>(text);
  if (value == 0) return std::nullopt;
  if (value < kIntResourceLimit) return ResourceName{static_cast<std::uint32_t>(value), {}};
  std::size_t length = strnlen(text, kMaxNameLength + 1);
  std::string_view name(text, length);
  if (name.empty() || length > kMaxNameLength) return std::nullopt;
  if (name[0] == '#') {
    auto id = decimalId(name.substr(1));
    if (!id || *id == 0) return std::nullopt;
    return ResourceName{*id, {}};
  }
  ResourceName out;
  out.name.reserve(length);
  for (char c : name) {
    if (!printableAscii(c)) return std::nullopt;
    out.name.push_back(upper(c));
  }
  return out;
}

bool ResourceSection::parse(std::string bytes, ResourceSection* out) {
  std::string_view all(bytes);
  if (all.size() < kHeaderSize || std::memcmp(all.data(), kSignature, sizeof kSignature) != 0 ||
      le32(all, 4) != kFormat)
    return false;
  std::uint32_t count = le32(all, 8);
  if (count > (all.size() - kHeaderSize) / kEntrySize) return false;
  std::vector<ResourceEntry> entries;
  entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::size_t at = kHeaderSize + i * kEntrySize;
    std::uint32_t type = le32(all, at), id = le32(all, at + 4);
    std::uint32_t nameOffset = le32(all, at + 8), nameSize = le32(all, at + 12);
    std::uint32_t dataOffset = le32(all, at + 16), dataSize = le32(all, at + 20);
    if (!inside(nameOffset, nameSize, all.size()) || !inside(dataOffset, dataSize, all.size())) return false;
    ResourceEntry entry{type, {}, dataOffset, dataSize};
    if (nameSize == 0) {
      if (id == 0 || id > kMaxId) return false;
      entry.name.id = id;
    } else {
      // Stored names are what ResourceName::from makes of them, or the entry is damaged.
      std::string text(all.substr(nameOffset, nameSize));
      auto name = ResourceName::from(text.c_str());
      if (id != 0 || !name || name->id != 0 || name->name != text) return false;
      entry.name = std::move(*name);
    }
    entries.push_back(std::move(entry));
  }
  ResourceSection section;
  section.bytes_ = std::move(bytes);
  section.entries_ = std::move(entries);
  *out = std::move(section);
  return true;
}

std::optional<std::string_view> ResourceSection::find(std::uint32_t type, const ResourceName& name) const {
  for (const auto& e : entries_)
    if (e.type == type && e.name == name) return data(e);
  return std::nullopt;
}

bool ResourceSection::hasType(std::uint32_t type) const {
  for (const auto& e : entries_)
    if (e.type == type) return true;
  return false;
}

}  // namespace quendel::resources
