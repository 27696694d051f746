// The resource section of a loaded module or of a file, found for the resource calls.
//
//   ResourceSection section;
//   if (DWORD error = moduleResources(module, &section)) SetLastError(error);
//
// A module handle is what GetModuleHandleA gives (the address of the module's first mapped
// segment). The section is read from the module's file each
// time, so a module loaded later at the same address is never answered from an old copy.
// Results are Win32 error codes: 0 with out filled, else out untouched and
// ERROR_MOD_NOT_FOUND for a null handle or one that names no loaded module, ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND or ERROR_ACCESS_DENIED for a file that cannot be opened, and
// ERROR_RESOURCE_DATA_NOT_FOUND for a file without a usable resource section (no ELF
// file, no section, or a damaged one).
#pragma once

#include <string>

#include "platform/resources/resource_section.h"
#include "platform/user/user.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::resources {

[[nodiscard]] DWORD moduleResources(HINSTANCE module, ResourceSection* out);
[[nodiscard]] DWORD fileResources(const std::string& path, ResourceSection* out);

}  // namespace quendel::resources

QUENDEL_EXPORT_END
