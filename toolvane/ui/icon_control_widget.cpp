#include "toolvane/ui/icon_control_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "support/quendelsupport.h"
#include "toolvane/qt/icon_cursor.h"
#include "toolvane/qt/key_codes_qt.h"
#include "toolvane/qt/mouse_pointer.h"
#include "toolvane/ui/application.h"
#include "toolvane/ui/ole_colors.h"

namespace quendel::toolvane::ui {

namespace {

// The runtime's button numbers (vbLeftButton, vbRightButton, vbMiddleButton).
constexpr std::int16_t kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;

Integer buttonsOf(Qt::MouseButtons buttons) {
  std::int16_t b = 0;
  if (buttons & Qt::LeftButton) b |= kLeftButton;
  if (buttons & Qt::RightButton) b |= kRightButton;
  if (buttons & Qt::MiddleButton) b |= kMiddleButton;
  return Integer{b};
}

}  // namespace

IconControlWidget::IconControlWidget(QWidget* parent) : QWidget(parent), control_(std::make_shared<ucIconControl>()) {
  setObjectName(QStringLiteral("ucIconControl"));
  setAttribute(Qt::WA_OpaquePaintEvent);  // the backing image covers every pixel
  setMouseTracking(true);                 // MouseMove without a button held, as the control raises it
  backing_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
  backing_.fill(colorFromOle(control_->BackColor(), palette()));
  control_->attach(this);
}

IconControlWidget::~IconControlWidget() {
  control_->detach();  // a client may hold the control longer than the widget lives
  mouseIcon_.clear();
}

void IconControlWidget::eraseTo(LONG oleColor) {
  backing_.fill(colorFromOle(oleColor, palette()));
  update();
}

void IconControlWidget::drawIcon(Object& picture) {
  QImage icon;
  try {
    icon = qt::imageFromPicture(picture);
  } catch (const RuntimeError&) {
    return;  // a picture without an icon draws nothing visible
  }
  QPainter painter(&backing_);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.drawImage(0, 0, icon);
}

void IconControlWidget::refresh() { update(); }

void IconControlWidget::setMouseIcon(const ObjectPtr& picture) {
  mouseIcon_.set(picture);  // raises 380 and keeps the old icon for a picture without one
  qt::applyMousePointer(*this, pointer_, mouseIcon_.cursor());
}

void IconControlWidget::setMousePointer(LONG pointer) {
  pointer_ = pointer;
  qt::applyMousePointer(*this, pointer_, mouseIcon_.cursor());
}

void IconControlWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), backing_, event->rect());
}

void IconControlWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QSize wanted = size().expandedTo(backing_.size());
  if (wanted == backing_.size()) return;
  QImage grown(wanted, QImage::Format_ARGB32_Premultiplied);
  grown.fill(colorFromOle(control_->BackColor(), palette()));
  QPainter(&grown).drawImage(0, 0, backing_);
  backing_ = std::move(grown);
}

template <class F>
void IconControlWidget::raiseSafely(std::u16string_view name, F&& raise) {
  auto keep = control_;  // a handler may drop the widget's container meanwhile
  if (!keep->hasSinks()) return;
  try {
    raise(*keep);
  } catch (const RuntimeError& e) {
    (void)asDebugPrint(u"ucIconControl event " + String(name) + u" ==> " + e.description());
  }
}

void IconControlWidget::raiseMouse(std::u16string_view name, QMouseEvent* event, Qt::MouseButtons buttons) {
  const auto x = static_cast<float>(event->position().x() * twipsPerPixelX());
  const auto y = static_cast<float>(event->position().y() * twipsPerPixelY());
  const Integer shift{static_cast<std::int16_t>(qt::shiftStateFromQt(event->modifiers()))};
  raiseSafely(name, [&](ucIconControl& c) { c.raiseMouse(name, buttonsOf(buttons), shift, x, y); });
}

void IconControlWidget::mousePressEvent(QMouseEvent* event) {
  doubleClicked_ = false;
  raiseMouse(u"MouseDown", event, event->button());
}

void IconControlWidget::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
  doubleClicked_ = true;
  raiseSafely(u"DblClick", [](ucIconControl& c) { c.raiseDblClick(); });
}

void IconControlWidget::mouseReleaseEvent(QMouseEvent* event) {
  raiseMouse(u"MouseUp", event, event->button());
  const bool click = !doubleClicked_ && rect().contains(event->position().toPoint());
  doubleClicked_ = false;
  if (click) raiseSafely(u"Click", [](ucIconControl& c) { c.raiseClick(); });
}

void IconControlWidget::mouseMoveEvent(QMouseEvent* event) { raiseMouse(u"MouseMove", event, event->buttons()); }

}  // namespace quendel::toolvane::ui
