// Any picture object as a toolkit image: a bitmap (Type 1) from its pixels, an icon or
// cursor (Type 3) with its transparency. The picture is read by name (Type, Handle).
//
//   QImage image = pictureImage(*picture);   // null image for an empty picture
//   QImage noemi = resourceBitmap("NOEMI_0001");
//
// A picture that holds nothing (Type 0 or below, Handle 0) or a handle that names no
// bitmap gives a null image; the picture's own errors (it cannot be read) are raised.
// resourceBitmap loads a bitmap of the library's resources; a null image when it lacks it.
#pragma once

#include <QCursor>
#include <QImage>

#include "automation/object.h"

namespace quendel::toolvane::ui {

QImage pictureImage(automation::Object& picture);
QImage resourceBitmap(const char* name);
// A cursor of the library's resources (MERCURY_CURSOR); the arrow when it lacks it.
QCursor resourceCursor(const char* name);

}  // namespace quendel::toolvane::ui
