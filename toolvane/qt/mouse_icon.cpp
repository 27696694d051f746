#include "toolvane/qt/mouse_icon.h"

#include "toolvane/qt/icon_cursor.h"

namespace quendel::toolvane::qt {

void MouseIcon::set(automation::ObjectPtr picture) {
  if (!picture) {
    clear();
    return;
  }
  QCursor made = cursorFromPicture(*picture);
  cursor_ = std::move(made);
  picture_ = std::move(picture);
}

void MouseIcon::clear() {
  cursor_.reset();
  picture_.reset();
}

}  // namespace quendel::toolvane::qt
