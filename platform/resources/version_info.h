// The version calls over the version block a file carries among its resources.
//
//   DWORD handle = 0;
//   DWORD size = GetFileVersionInfoSizeA("/usr/bin/pixgrow", &handle);   // 0: no version
//   std::vector<char> block(size);
//   if (size && GetFileVersionInfoA("/usr/bin/pixgrow", handle, size, block.data())) {
//     void* value; UINT length;
//     if (VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\InternalName", &value, &length)) ...
//   }
//
// - The file is any ELF file: the program, a library, another program; its version block
//   is the resource of type 16 (RT_VERSION) and id 1. File names are in the ANSI code page.
// - GetFileVersionInfoSizeA gives the size of the block with its texts in the ANSI code page
//   and sets *handle to 0; 0 when there is no block, with the last error: the file errors of
//   module_resources.h, ERROR_RESOURCE_DATA_NOT_FOUND (no resources), ERROR_RESOURCE_TYPE_NOT_FOUND
//   (no version block) or ERROR_INVALID_DATA (a damaged one).
// - GetFileVersionInfoA copies that block into data. A buffer smaller than the block gives
//   FALSE and ERROR_INSUFFICIENT_BUFFER with data untouched: a cut block would claim
//   more bytes than the caller holds, and VerQueryValueA would read past them.
// - VerQueryValueA finds "\" (VS_FIXEDFILEINFO, 52 bytes), "\VarFileInfo\Translation"
//   (pairs of 16-bit language and code page, 4 bytes each) and
//   "\StringFileInfo\<language><code page>\<name>" (the ANSI text with its NUL; the
//   length counts the NUL); path components ignore letter case. The pointer points into
//   the block. FALSE, with the outputs untouched, for a path the block lacks or a block
//   that is none (the signature and size are checked).
#pragma once

#include "platform/resources/load_image.h"
#include "platform/resources/version_block.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

[[nodiscard]] DWORD GetFileVersionInfoSizeA(const char* fileName, DWORD* handle);
[[nodiscard]] BOOL GetFileVersionInfoA(const char* fileName, DWORD handle, DWORD length, void* data);
[[nodiscard]] BOOL VerQueryValueA(const void* block, const char* subBlock, void** buffer, UINT* length);

QUENDEL_EXPORT_END
