// Cursors: the one of USER32 the library loads, and those of any module's resources.
//
//   HMODULE user32 = GetModuleHandleA("User32");
//   HCURSOR c = LoadCursorA(user32, "#114");       // or MAKEINTRESOURCEA(114)
//   ...
//   DestroyCursor(c);
//
// - LoadCursorA: the port's User32 carries one cursor resource, 114: a 32 x 32 arrow
//   pointer with its hot spot at the tip (0, 0), black with a white outline on a
//   transparent ground. For any other module the cursor group of that name in its
//   resources, at the system size (LoadImageA with IMAGE_CURSOR, load_image.h). Names are
//   read as resource names are (ResourceName::from). Every call makes a new cursor that
//   the caller destroys. NULL for a name User32 or the module lacks, with the last error
//   of LoadImageA.
// - DestroyCursor frees a cursor made by LoadCursorA (or any icon handle); FALSE for an
//   invalid handle.
#pragma once

#include <cstdint>

#include "platform/gdi/icon.h"
#include "platform/resources/load_image.h"
#include "platform/user/user.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

HCURSOR LoadCursorA(HINSTANCE instance, const char* cursorName);
[[nodiscard]] BOOL DestroyCursor(HCURSOR cursor);

QUENDEL_EXPORT_END
