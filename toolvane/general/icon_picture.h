// A picture object made from an icon or cursor handle, independent of that handle (the
// library's form of the support library's asGetIconFromHandle, which needs the runtime's
// picture object and so lives above the support layer).
//
//   auto picture = pictureFromIconHandle(cursor);   // Type 3 (icon), own copy
//   DestroyCursor(cursor);                          // the picture keeps working
//
// The picture owns a copy of the icon (colour, mask, hot spot, icon or cursor kind) and
// destroys it with its last reference. Width and Height are the icon's size in HIMETRIC
// at the screen's logical DPI. Raises 5 for a handle that names no icon.
#pragma once

#include <memory>

#include "automation/std_picture.h"
#include "platform/gdi/icon.h"

namespace quendel::toolvane {

std::shared_ptr<automation::StdPicture> pictureFromIconHandle(HICON icon);

}  // namespace quendel::toolvane
