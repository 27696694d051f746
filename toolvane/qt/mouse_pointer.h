// The toolkit cursor that each standard mouse-pointer value (automation/mouse_pointer.h)
// puts on a widget. Default gives the widget its own cursor back; Custom shows
// the cursor made from the control's MouseIcon (mouse_icon.h), or the widget's own cursor
// when no icon is set.
#pragma once

#include <QCursor>
#include <QWidget>

#include "automation/mouse_pointer.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

using automation::isMousePointer;
using automation::MousePointer;

// Puts the cursor of `pointer` on the widget; `custom` is the MouseIcon's cursor (null
// when none is set). A value that is no MousePointer leaves the cursor alone.
void applyMousePointer(QWidget& widget, LONG pointer, const QCursor* custom);

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
