// The widget of ucIconControl (controls/uc_icon_control.h has the control's rules): the
// drawing surface that keeps what is drawn on it and repaints it by itself. Qt code of
// the library's UI part (libtoolvane0305ui.so).
//
//   auto* widget = new IconControlWidget(container);   // named "ucIconControl"
//   widget->control()->setPicture(icon);               // blended in at (0, 0)
//
// - Persistent drawing: every step draws into a backing image of the widget's size; a
//   paint event only copies it out. Growing the widget keeps the pixels and fills the new
//   part with BackColor.
// - Icons are painted from the picture's pixels (toolvane/qt/icon_cursor.h) with their
//   alpha over what the image holds; system colours come from the widget's palette.
// - MouseIcon and MousePointer put the toolkit cursor on the widget (toolvane/qt), 99
//   the cursor made from MouseIcon.
// - Mouse events become the control's events: MouseDown and MouseUp with the button that
//   changed, MouseMove with the buttons held (left 1, right 2, middle 4), Shift 1 + Ctrl 2
//   + Alt 4, X and Y in twips; Click after a release inside the widget, DblClick on the
//   second press of a double click (which raises no MouseDown and no Click). A handler's
//   run-time error goes to the debugger output, never through the event loop.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "toolvane/controls/uc_icon_control.h"
#include "toolvane/qt/mouse_icon.h"

namespace quendel::toolvane::ui {

class IconControlWidget : public QWidget, public IconSurface {
 public:
  explicit IconControlWidget(QWidget* parent);
  ~IconControlWidget() override;

  const std::shared_ptr<ucIconControl>& control() const { return control_; }
  // What the surface holds (for tests and grabbing).
  const QImage& backing() const { return backing_; }

  void eraseTo(LONG oleColor) override;
  void drawIcon(Object& picture) override;
  void refresh() override;
  void setMouseIcon(const ObjectPtr& picture) override;
  void setMousePointer(LONG pointer) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void raiseMouse(std::u16string_view name, QMouseEvent* event, Qt::MouseButtons buttons);
  template <class F>
  void raiseSafely(std::u16string_view name, F&& raise);

  std::shared_ptr<ucIconControl> control_;
  QImage backing_;
  qt::MouseIcon mouseIcon_;
  LONG pointer_ = 0;
  bool doubleClicked_ = false;
};

}  // namespace quendel::toolvane::ui
