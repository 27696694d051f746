#include "toolvane/qt/mouse_pointer.h"

#include <optional>

namespace quendel::toolvane::qt {

namespace {

// The toolkit's shape for every standard value but Default and Custom.
std::optional<Qt::CursorShape> shapeOf(MousePointer pointer) {
  switch (pointer) {
    case MousePointer::Arrow:
    case MousePointer::Icon: return Qt::ArrowCursor;
    case MousePointer::Cross: return Qt::CrossCursor;
    case MousePointer::IBeam: return Qt::IBeamCursor;
    case MousePointer::Size:
    case MousePointer::SizeAll: return Qt::SizeAllCursor;
    case MousePointer::SizeNESW: return Qt::SizeBDiagCursor;
    case MousePointer::SizeNS: return Qt::SizeVerCursor;
    case MousePointer::SizeNWSE: return Qt::SizeFDiagCursor;
    case MousePointer::SizeWE: return Qt::SizeHorCursor;
    case MousePointer::UpArrow: return Qt::UpArrowCursor;
    case MousePointer::Hourglass: return Qt::WaitCursor;
    case MousePointer::NoDrop: return Qt::ForbiddenCursor;
    case MousePointer::ArrowHourglass: return Qt::BusyCursor;
    case MousePointer::ArrowQuestion: return Qt::WhatsThisCursor;
    default: return std::nullopt;
  }
}

}  // namespace

void applyMousePointer(QWidget& widget, LONG pointer, const QCursor* custom) {
  if (!isMousePointer(pointer)) return;
  auto p = static_cast<MousePointer>(pointer);
  if (p == MousePointer::Default) {
    widget.unsetCursor();
  } else if (p == MousePointer::Custom) {
    if (custom)
      widget.setCursor(*custom);
    else
      widget.unsetCursor();
  } else if (auto shape = shapeOf(p)) {
    widget.setCursor(*shape);
  }
}

}  // namespace quendel::toolvane::qt
