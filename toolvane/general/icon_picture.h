// Picture objects made from GDI handles and from window icons: the library's forms of
// the support library's picture functions, which need the runtime's picture object and
// so live above the support layer (support/quendelsupport.h gives icon handles only).
//
//   auto picture = pictureFromIconHandle(cursor);   // Type 3 (icon), own copy
//   DestroyCursor(cursor);                          // the picture keeps working
//   auto icon = asGetWindowIconSmall(hwnd);         // nullptr (Nothing) without an icon
//
// - pictureFromIconHandle (asGetIconFromHandle): the picture owns a copy of the icon
//   (colour, mask, depth, hot spot, icon or cursor kind) and destroys it with its last
//   reference. Raises 5 for a handle that names no icon.
// - asGetBitmapFromHandle: a Type 1 picture that takes the bitmap over and deletes it
//   with its last reference. Raises 5 for a handle that names no bitmap (left alone).
// - asGetWindowIcon / asGetWindowIconSmall: the window's large or small icon (as the
//   support functions choose them) in a Type 3 picture that owns it; nullptr when the
//   window has none; raises the run-time error of the support function's failing status.
// Width and Height are the picture's size in HIMETRIC at the screen's logical DPI.
#pragma once

#include <memory>

#include "automation/std_picture.h"
#include "platform/gdi/icon.h"
#include "support/export.h"
#include "support/quendelsupport.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

std::shared_ptr<automation::StdPicture> pictureFromIconHandle(HICON icon);
inline std::shared_ptr<automation::StdPicture> asGetIconFromHandle(HICON icon) { return pictureFromIconHandle(icon); }
std::shared_ptr<automation::StdPicture> asGetBitmapFromHandle(HBITMAP bitmap);
std::shared_ptr<automation::StdPicture> asGetWindowIcon(HWND window);
std::shared_ptr<automation::StdPicture> asGetWindowIconSmall(HWND window);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
