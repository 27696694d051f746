// The USER32 cursor resources the library loads, over the port's GDI icons.
//
//   HMODULE user32 = GetModuleHandleA("User32");
//   HCURSOR c = LoadCursorA(user32, "#114");       // or MAKEINTRESOURCEA(114)
//   ...
//   DestroyCursor(c);
//
// - LoadCursorA: the port's User32 carries one cursor resource, 114: a 32 x 32 arrow
//   pointer with its hot spot at the tip (0, 0), black with a white outline on a
//   transparent ground. The name is "#" followed by the decimal id, or the id itself as
//   an integer resource (a pointer value below 0x10000). Every call makes a new cursor
//   that the caller destroys. NULL for another module, another id or a malformed name.
// - DestroyCursor frees a cursor made by LoadCursorA (or any icon handle); FALSE for an
//   invalid handle.
#pragma once

#include <cstdint>

#include "platform/gdi/icon.h"
#include "platform/user/user.h"

#define QUENDEL_CURSOR_API __attribute__((visibility("default")))

inline const char* MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id)); }

QUENDEL_CURSOR_API HCURSOR LoadCursorA(HINSTANCE instance, const char* cursorName);
[[nodiscard]] QUENDEL_CURSOR_API BOOL DestroyCursor(HCURSOR cursor);

namespace quendel::platform {

// The resource id a name stands for ("#114" or an integer resource); -1 when it names none.
QUENDEL_CURSOR_API long resourceIdFromName(const char* name);

}  // namespace quendel::platform
