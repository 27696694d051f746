// MouseIcon: the MouseIcon of one control, the picture object that was set (reading
// MouseIcon gives it back) and the cursor made from it (icon_cursor.h) for MousePointer
// Custom. Each widget adapter owns one (widget_adapter.h) and empties it when its widget
// is destroyed, so the picture lives no longer than the widget that shows it.
//
// Failures: set() raises 380 for a picture that holds no icon or cursor and keeps what
// was set before.
#pragma once

#include <QCursor>
#include <optional>

#include "automation/object.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

class MouseIcon {
 public:
  // Nothing (null) clears the icon.
  void set(automation::ObjectPtr picture);
  void clear();

  const automation::ObjectPtr& picture() const { return picture_; }
  // Null when no icon is set.
  const QCursor* cursor() const { return cursor_ ? &*cursor_ : nullptr; }

 private:
  automation::ObjectPtr picture_;
  std::optional<QCursor> cursor_;
};

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
