// The named sections of 64-bit ELF files, and the file a loaded module came from.
//
//   std::string bytes;
//   if (quendel::readElfSection("/usr/bin/pixgrow", ".quendel.rsrc", &bytes)) ...
//   std::string path;
//   if (quendel::loadedModulePath(handle, &path)) ...   // "/proc/self/exe" for the program
//
// Section headers are not mapped into memory, so a module's sections are read from its
// file. Reading is bounded by the file: a damaged header (offsets or counts beyond the
// file, a name table without terminator) reads as "no such section", never past the data.
// The file is read with pread, so a file that shrinks meanwhile gives a failure, not a
// fault.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel {

// The bytes of the section called name in an ELF image held in memory; an empty view when
// the image is no 64-bit ELF, is damaged or has no such section (or it occupies no bytes).
std::string_view elfSectionIn(std::string_view image, std::string_view name);

// Reads the section called name of the ELF file at path into out; false (out untouched)
// when the file cannot be read, is no 64-bit ELF, is damaged or lacks the section.
[[nodiscard]] bool readElfSection(const std::string& path, std::string_view name, std::string* out);

// The file of the loaded module whose handle (the address of its first mapped segment,
// as GetModuleHandleA gives it) is handle; false (out untouched) for no loaded module.
// The program itself is "/proc/self/exe".
[[nodiscard]] bool loadedModulePath(std::uintptr_t handle, std::string* out);

}  // namespace quendel

QUENDEL_EXPORT_END
