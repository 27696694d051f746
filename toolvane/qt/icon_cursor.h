// A mouse cursor from a picture object that holds an icon or cursor handle of the port's
// GDI (Type 3), as a control's MouseIcon takes it: the picture's colours and mask, its
// hot spot for a cursor (the centre for an icon). The picture is read by name (Type,
// Handle); raises 380 (Invalid property value) for a picture that holds no icon.
#pragma once

#include <QCursor>

#include "automation/object.h"

namespace quendel::toolvane::qt {

QCursor cursorFromPicture(automation::Object& picture);

}  // namespace quendel::toolvane::qt
