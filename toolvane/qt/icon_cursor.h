// A picture object that holds an icon or cursor handle of the port's GDI (Type 3), as a
// toolkit image and as a mouse cursor: the picture's pixels with their transparency
// (gdi/icon_pixels.h), and for a cursor its hot spot (the centre for an icon), as a
// control's MouseIcon takes it. The picture is read by name (Type, Handle); both raise
// 380 (Invalid property value) for a picture that holds no icon.
//
//   QPainter(&surface).drawImage(0, 0, imageFromPicture(*picture));
//   widget->setCursor(cursorFromPicture(*picture));
#pragma once

#include <QCursor>
#include <QImage>

#include "automation/object.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

// Straight alpha (QImage::Format_ARGB32), the icon's natural size.
QImage imageFromPicture(automation::Object& picture);
QCursor cursorFromPicture(automation::Object& picture);

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
