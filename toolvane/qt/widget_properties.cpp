#include "toolvane/qt/widget_properties.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>
#include <cmath>

#include "toolvane/qt/font_adapter.h"
#include "toolvane/qt/mouse_pointer.h"
#include "toolvane/qt/qstring_text.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

constexpr const char* kCaptionProperty = "quendelCaption";
constexpr const char* kPointerProperty = "quendelMousePointer";

// CheckBox values, as the standard control numbers them.
constexpr LONG kUnchecked = 0;
constexpr LONG kChecked = 1;
constexpr LONG kGrayed = 2;

// Positions and sizes beyond any screen; the pixels they come to stay within int.
constexpr double kMaxTwips = 1e9;

LONG pointerOf(const QWidget& w) { return w.property(kPointerProperty).toInt(); }

void applyPointer(WidgetAdapter& a) { applyMousePointer(a.widget(), pointerOf(a.widget()), a.mouseIcon().cursor()); }

}  // namespace

// ---- Geometry in twips ----

double geometryTwips(WidgetAdapter& a, GeometryEdge e) {
  QWidget& w = a.widget();
  QRect r = w.isWindow() ? w.frameGeometry() : w.geometry();
  switch (e) {
    case GeometryEdge::Left: return r.x() * a.twipsPerPixelX();
    case GeometryEdge::Top: return r.y() * a.twipsPerPixelY();
    case GeometryEdge::Width: return r.width() * a.twipsPerPixelX();
    default: return r.height() * a.twipsPerPixelY();
  }
}

void setGeometryTwips(WidgetAdapter& a, GeometryEdge e, double twips) {
  if (!std::isfinite(twips) || std::fabs(twips) > kMaxTwips) throw RuntimeError(380);
  QWidget& w = a.widget();
  bool horizontal = e == GeometryEdge::Left || e == GeometryEdge::Width;
  int px = static_cast<int>(std::lround(twips / (horizontal ? a.twipsPerPixelX() : a.twipsPerPixelY())));
  // A window's position and size are its outer frame's; the frame's own share is taken
  // off the size the toolkit is given.
  QRect outer = w.isWindow() ? w.frameGeometry() : w.geometry();
  switch (e) {
    case GeometryEdge::Left: w.move(px, w.isWindow() ? outer.y() : w.y()); break;
    case GeometryEdge::Top: w.move(w.isWindow() ? outer.x() : w.x(), px); break;
    case GeometryEdge::Width: w.resize(std::max(0, px - (outer.width() - w.width())), w.height()); break;
    case GeometryEdge::Height: w.resize(w.width(), std::max(0, px - (outer.height() - w.height()))); break;
  }
}

// ---- Mouse pointer and icon ----

LONG mousePointerOf(WidgetAdapter& a) { return pointerOf(a.widget()); }

ObjectPtr mouseIconOf(WidgetAdapter& a) {
  (void)a.widget();  // 364 when the widget is gone
  return a.mouseIcon().picture();
}

void setMousePointer(WidgetAdapter& a, LONG pointer) {
  if (!isMousePointer(pointer)) throw RuntimeError(380);
  a.widget().setProperty(kPointerProperty, static_cast<int>(pointer));
  applyPointer(a);
}

void setMouseIcon(WidgetAdapter& a, const ObjectPtr& picture) {
  (void)a.widget();  // a gone widget raises 364 before the picture is looked at
  a.mouseIcon().set(picture);
  applyPointer(a);
}

// ---- Common text properties ----

String captionOf(QWidget& w) {
  if (auto* b = qobject_cast<QAbstractButton*>(&w)) return fromQString(b->text());
  if (auto* l = qobject_cast<QLabel*>(&w)) return fromQString(l->text());
  if (auto* g = qobject_cast<QGroupBox*>(&w)) return fromQString(g->title());
  if (w.isWindow()) return fromQString(w.windowTitle());
  return fromQString(w.property(kCaptionProperty).toString());
}

void setCaption(QWidget& w, const String& text) {
  QString q = toQString(text);
  if (auto* b = qobject_cast<QAbstractButton*>(&w))
    b->setText(q);
  else if (auto* l = qobject_cast<QLabel*>(&w))
    l->setText(q);
  else if (auto* g = qobject_cast<QGroupBox*>(&w))
    g->setTitle(q);
  else if (w.isWindow())
    w.setWindowTitle(q);
  else
    w.setProperty(kCaptionProperty, q);
}

String textOf(QWidget& w) {
  if (auto* e = qobject_cast<QLineEdit*>(&w)) return fromQString(e->text());
  if (auto* e = qobject_cast<QPlainTextEdit*>(&w)) return fromQString(e->toPlainText());
  if (auto* e = qobject_cast<QTextEdit*>(&w)) return fromQString(e->toPlainText());
  if (auto* c = qobject_cast<QComboBox*>(&w)) return fromQString(c->currentText());
  return captionOf(w);
}

void setText(QWidget& w, const String& text) {
  QString q = toQString(text);
  if (auto* e = qobject_cast<QLineEdit*>(&w))
    e->setText(q);
  else if (auto* e = qobject_cast<QPlainTextEdit*>(&w))
    e->setPlainText(q);
  else if (auto* e = qobject_cast<QTextEdit*>(&w))
    e->setPlainText(q);
  else if (auto* c = qobject_cast<QComboBox*>(&w)) {
    if (c->isEditable())
      c->setEditText(q);
    else {
      int i = c->findText(q);
      if (i < 0) throw RuntimeError(383, u"'Text' property is read-only");
      c->setCurrentIndex(i);
    }
  } else
    setCaption(w, text);
}

bool readOnlyOf(QWidget& w) {
  if (auto* e = qobject_cast<QLineEdit*>(&w)) return e->isReadOnly();
  if (auto* e = qobject_cast<QPlainTextEdit*>(&w)) return e->isReadOnly();
  if (auto* e = qobject_cast<QTextEdit*>(&w)) return e->isReadOnly();
  return false;
}

void setReadOnly(QWidget& w, bool locked) {
  if (auto* e = qobject_cast<QLineEdit*>(&w)) e->setReadOnly(locked);
  if (auto* e = qobject_cast<QPlainTextEdit*>(&w)) e->setReadOnly(locked);
  if (auto* e = qobject_cast<QTextEdit*>(&w)) e->setReadOnly(locked);
}

void copyFont(WidgetAdapter& a, Object& from) {
  FontAdapter target(&a.widget());
  QFont f = target.font();
  f.setFamily(toQString(from.get(u"Name").toString()));
  double size = from.get(u"Size").toDouble();
  if (size >= kMinFontPoints && size <= kMaxFontPoints) f.setPointSizeF(size);
  LONG weight = from.get(u"Weight").toLong();
  f.setWeight(qtFontWeight(weight));
  f.setItalic(from.get(u"Italic").toBool());
  f.setUnderline(from.get(u"Underline").toBool());
  f.setStrikeOut(from.get(u"Strikethrough").toBool());
  target.setFont(f);
  target.setCharset(from.get(u"Charset").toInteger());
}

// The toolkit numbers its check states Unchecked 0, PartiallyChecked 1, Checked 2.
std::int16_t checkBoxValue(WidgetAdapter& a) {
  QWidget& w = a.widget();
  auto* box = qobject_cast<QCheckBox*>(&w);
  if (!box) return kUnchecked;
  switch (box->checkState()) {
    case Qt::Checked: return kChecked;
    case Qt::PartiallyChecked: return kGrayed;
    default: return kUnchecked;
  }
}

void setCheckBoxValue(WidgetAdapter& a, LONG value) {
  if (value != kUnchecked && value != kChecked && value != kGrayed) throw RuntimeError(380);
  auto* box = qobject_cast<QCheckBox*>(&a.widget());
  if (!box) return;
  box->setCheckState(value == kChecked ? Qt::Checked : value == kGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}

}  // namespace quendel::toolvane::qt
