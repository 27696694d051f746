// Resource sections, version blocks and ELF section tables of modules: whatever a module
// file holds, parsing refuses it or yields entries inside the bytes, and queries stay
// inside the block.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/resources/resource_section.h"
#include "platform/resources/version_block.h"
#include "support/elf_section.h"

namespace res = quendel::resources;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  res::ResourceSection section;
  if (res::ResourceSection::parse(std::string(bytes), &section)) {
    for (const auto& entry : section.entries())
      if (std::size_t{entry.dataOffset} + entry.dataSize > size) __builtin_trap();
  }
  res::VersionBlock block;
  if (res::parseVersionBlock(bytes, &block) &&
      res::serializeVersionBlock(block, res::TextEncoding::Utf8) != std::string(bytes))
    __builtin_trap();  // a block that parses is written back unchanged
  for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\InternalName"}) {
    res::VersionValue value;
    if (res::findVersionValue(bytes, path, &value) && value.offset + value.length > size) __builtin_trap();
  }
  std::string_view inside = quendel::elfSectionIn(bytes, res::kSectionName);
  if (!inside.empty() && (inside.data() < bytes.data() || inside.data() + inside.size() > bytes.data() + size))
    __builtin_trap();
  return 0;
}
