// Loading bitmaps, icons and cursors from a module's resources (resource_section.h).
//
//   HMODULE library = GetModuleHandleA("toolvane0305");
//   HICON icon = LoadIconA(library, "noemi_0000");                           // 32 x 32
//   HICON small = static_cast<HICON>(LoadImageA(library, "NOEMI_0000", IMAGE_ICON, 16, 16, 0));
//   HBITMAP picture = LoadBitmapA(library, MAKEINTRESOURCEA(101));
//
// - Names follow the platform's rules: letter case is ignored, "#123" and
//   MAKEINTRESOURCEA(123) both mean the integer id 123 (ResourceName::from).
// - A module handle is what GetModuleHandleA gives (GetModuleHandleA(nullptr) for the
//   program). A null handle asks for the system's own images, which the port does not
//   carry: ERROR_RESOURCE_DATA_NOT_FOUND.
// - Icons and cursors come from their group in the image nearest the wanted size (the
//   ICO reader's choice), scaled by nearest pixel when that image has another size. A
//   size of 0 means the image's own size, or the system size (32) with LR_DEFAULTSIZE;
//   LoadIconA and LoadCursorA ask for the system size. Bitmaps come at their own size,
//   or scaled by nearest pixel to cx by cy when both are given.
// - Every call makes a new object that the caller frees (DeleteObject, DestroyIcon,
//   DestroyCursor); LR_SHARED is accepted and changes nothing.
// - Failures return NULL and set the last error: ERROR_MOD_NOT_FOUND, the file errors and
//   ERROR_RESOURCE_DATA_NOT_FOUND as module_resources.h says; ERROR_RESOURCE_TYPE_NOT_FOUND
//   when the module has no resource of that type, ERROR_RESOURCE_NAME_NOT_FOUND when it
//   has none of that name (or the name is malformed); ERROR_INVALID_DATA for a resource
//   whose picture is damaged; ERROR_INVALID_PARAMETER for an unknown image type, a
//   negative size or LR_LOADFROMFILE (files are loaded through the OLE loader).
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/user/user.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

inline const char* MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id)); }

HANDLE LoadImageA(HINSTANCE instance, const char* name, UINT type, int cx, int cy, UINT flags);
HICON LoadIconA(HINSTANCE instance, const char* iconName);
HBITMAP LoadBitmapA(HINSTANCE instance, const char* bitmapName);

namespace quendel::resources {

// The system's icon and cursor size, which LoadIconA and LoadCursorA load.
inline constexpr int kSystemIconSize = 32;

}  // namespace quendel::resources

QUENDEL_EXPORT_END
