// The member tables of the widget adapters, one per kind (widget_adapter.h lists them).
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <cmath>

#include "automation/safe_array.h"
#include "automation/std_picture.h"
#include "toolvane/qt/font_adapter.h"
#include "toolvane/qt/icon_cursor.h"
#include "toolvane/qt/qstring_text.h"
#include "toolvane/qt/widget_adapter.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

using W = WidgetAdapter;
using B = ClassBuilder<WidgetAdapter>;

constexpr const char* kTagProperty = "quendelTag";
constexpr const char* kCaptionProperty = "quendelCaption";
constexpr const char* kPointerProperty = "quendelMousePointer";
constexpr const char* kIconProperty = "quendelMouseIcon";

// ---- Geometry in twips ----

enum class Edge { Left, Top, Width, Height };

double geometryTwips(W& a, Edge e) {
  QWidget& w = a.widget();
  QRect r = w.isWindow() ? w.frameGeometry() : w.geometry();
  switch (e) {
    case Edge::Left: return r.x() * a.twipsPerPixelX();
    case Edge::Top: return r.y() * a.twipsPerPixelY();
    case Edge::Width: return r.width() * a.twipsPerPixelX();
    default: return r.height() * a.twipsPerPixelY();
  }
}

void setGeometryTwips(W& a, Edge e, double twips) {
  if (!std::isfinite(twips) || std::fabs(twips) > 1e9) throw RuntimeError(380);
  QWidget& w = a.widget();
  bool horizontal = e == Edge::Left || e == Edge::Width;
  int px = static_cast<int>(std::lround(twips / (horizontal ? a.twipsPerPixelX() : a.twipsPerPixelY())));
  // A window's position and size are its outer frame's; the frame's own share is taken
  // off the size the toolkit is given.
  QRect outer = w.isWindow() ? w.frameGeometry() : w.geometry();
  switch (e) {
    case Edge::Left: w.move(px, w.isWindow() ? outer.y() : w.y()); break;
    case Edge::Top: w.move(w.isWindow() ? outer.x() : w.x(), px); break;
    case Edge::Width: w.resize(std::max(0, px - (outer.width() - w.width())), w.height()); break;
    case Edge::Height: w.resize(w.width(), std::max(0, px - (outer.height() - w.height()))); break;
  }
}

Variant single(double v) { return Variant(static_cast<float>(v)); }

// ---- Controls of a form ----

void collectControls(QWidget* parent, std::vector<Variant>& out) {
  for (QObject* child : parent->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow()) continue;
    WidgetKind kind = kindOf(w);
    out.emplace_back(ObjectPtr(adapt(w)));
    if (kind == WidgetKind::Frame) collectControls(w, out);
  }
}

// The Controls collection of a form, as it was when read: Count, Item by 0-based index
// or by Name, and enumeration.
class ControlsCollection : public Object {
 public:
  explicit ControlsCollection(std::vector<Variant> items) : items_(std::move(items)) {}
  String className() const override { return u"Object"; }
  const ClassDesc* classDesc() const override {
    using C = ControlsCollection;
    static const ClassDesc d =
        ClassBuilder<C>(u"Object")
            .get(u"Item", vbObject, [](C& c, CallArgs& a) { return c.item(a[0]); }, {param(u"Index", vbVariant)})
            .defaultMember()
            .get(u"Count", vbLong, [](C& c, CallArgs&) { return Variant(static_cast<LONG>(c.items_.size())); })
            .function(u"_NewEnum", VarType(vbArray | vbVariant), {},
                      [](C& c, CallArgs&) { return Variant(SafeArray::fromVariants(vbVariant, c.items_, 0)); })
            .hidden()
            .build();
    return &d;
  }

 private:
  Variant item(const Variant& index) const {
    if (index.isString()) {
      for (const Variant& v : items_)
        if (equalsText(v.toObject()->get(u"Name").toString(), *index.asString())) return v;
      throw RuntimeError(730, u"Control '" + *index.asString() + u"' not found");
    }
    LONG i = index.toLong();
    if (i < 0 || i >= static_cast<LONG>(items_.size())) throw RuntimeError(9);
    return items_[static_cast<std::size_t>(i)];
  }
  std::vector<Variant> items_;
};

// ---- Showing a form ----

// Ends the modal loop of a form that is not a dialog when the form is hidden or closed.
class HiddenWatcher : public QObject {
 public:
  HiddenWatcher(QWidget* form, QEventLoop* loop) : form_(form), loop_(loop) { form->installEventFilter(this); }
  ~HiddenWatcher() override {
    if (form_) form_->removeEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == form_ && event->type() == QEvent::Hide && !form_->isVisible()) loop_->quit();
    return false;
  }

 private:
  QPointer<QWidget> form_;
  QEventLoop* loop_;
};

void showForm(W& a, LONG style) {
  QWidget& form = a.widget();
  if (style != 0 && style != 1) throw RuntimeError(5);
  if (style == 0) {
    form.show();
    form.raise();
    return;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    throw RuntimeError(0x80040000, u"A form can be shown modally only in a widget application. ");
  if (form.isVisible()) throw RuntimeError(400, u"Form already displayed; can't show modally");
  if (auto* dialog = qobject_cast<QDialog*>(&form)) {
    dialog->exec();
    return;
  }
  QPointer<QWidget> guard(&form);
  Qt::WindowModality before = form.windowModality();
  form.setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  HiddenWatcher watcher(&form, &loop);
  QObject::connect(&form, &QObject::destroyed, &loop, &QEventLoop::quit);
  form.show();
  loop.exec(QEventLoop::DialogExec);
  if (guard) guard->setWindowModality(before);
}

// ---- Mouse pointer ----

void applyPointer(W& a) {
  QWidget& w = a.widget();
  LONG pointer = w.property(kPointerProperty).toInt();
  switch (pointer) {
    case 0: w.unsetCursor(); return;
    case 1:
    case 4: w.setCursor(Qt::ArrowCursor); return;
    case 2: w.setCursor(Qt::CrossCursor); return;
    case 3: w.setCursor(Qt::IBeamCursor); return;
    case 5:
    case 15: w.setCursor(Qt::SizeAllCursor); return;
    case 6: w.setCursor(Qt::SizeBDiagCursor); return;
    case 7: w.setCursor(Qt::SizeVerCursor); return;
    case 8: w.setCursor(Qt::SizeFDiagCursor); return;
    case 9: w.setCursor(Qt::SizeHorCursor); return;
    case 10: w.setCursor(Qt::UpArrowCursor); return;
    case 11: w.setCursor(Qt::WaitCursor); return;
    case 12: w.setCursor(Qt::ForbiddenCursor); return;
    case 13: w.setCursor(Qt::BusyCursor); return;
    case 14: w.setCursor(Qt::WhatsThisCursor); return;
    case 99: {
      QVariant icon = w.property(kIconProperty);
      if (icon.canConvert<QCursor>())
        w.setCursor(icon.value<QCursor>());
      else
        w.unsetCursor();
      return;
    }
    default: return;
  }
}

// The picture object of MouseIcon is kept by the adapter's widget only as the cursor it
// makes; reading MouseIcon gives the picture that was set.
struct PictureStore {
  std::map<const QWidget*, ObjectPtr> pictures;
};
PictureStore& pictureStore() {
  static auto* s = new PictureStore();
  return *s;
}

void setMouseIcon(W& a, const ObjectPtr& picture) {
  QWidget& w = a.widget();
  if (!picture) {
    w.setProperty(kIconProperty, QVariant());
    pictureStore().pictures.erase(&w);
  } else {
    w.setProperty(kIconProperty, QVariant::fromValue(cursorFromPicture(*picture)));
    if (!pictureStore().pictures.count(&w))
      QObject::connect(&w, &QObject::destroyed, [key = &w] { pictureStore().pictures.erase(key); });
    pictureStore().pictures[&w] = picture;
  }
  applyPointer(a);
}

ObjectPtr mouseIcon(W& a) {
  auto& p = pictureStore().pictures;
  auto it = p.find(&a.widget());
  return it == p.end() ? ObjectPtr() : it->second;
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

void copyFont(W& a, Object& from) {
  FontAdapter target(&a.widget());
  QFont f = target.font();
  f.setFamily(toQString(from.get(u"Name").toString()));
  double size = from.get(u"Size").toDouble();
  if (size >= 1 && size <= 2160) f.setPointSizeF(size);
  LONG weight = from.get(u"Weight").toLong();
  f.setWeight(static_cast<QFont::Weight>(std::clamp<LONG>(weight, 1, 1000)));
  f.setItalic(from.get(u"Italic").toBool());
  f.setUnderline(from.get(u"Underline").toBool());
  f.setStrikeOut(from.get(u"Strikethrough").toBool());
  target.setFont(f);
  target.setCharset(from.get(u"Charset").toInteger());
}

// ---- The tables ----

B& common(B& b) {
  return b.get(u"Name", vbString, [](W& a, CallArgs&) { return Variant(fromQString(a.widget().objectName())); })
      .get(u"Left", vbSingle, [](W& a, CallArgs&) { return single(geometryTwips(a, Edge::Left)); })
      .let(u"Left", vbSingle, [](W& a, CallArgs& c) { setGeometryTwips(a, Edge::Left, c.dbl(0)); })
      .get(u"Top", vbSingle, [](W& a, CallArgs&) { return single(geometryTwips(a, Edge::Top)); })
      .let(u"Top", vbSingle, [](W& a, CallArgs& c) { setGeometryTwips(a, Edge::Top, c.dbl(0)); })
      .get(u"Width", vbSingle, [](W& a, CallArgs&) { return single(geometryTwips(a, Edge::Width)); })
      .let(u"Width", vbSingle, [](W& a, CallArgs& c) { setGeometryTwips(a, Edge::Width, c.dbl(0)); })
      .get(u"Height", vbSingle, [](W& a, CallArgs&) { return single(geometryTwips(a, Edge::Height)); })
      .let(u"Height", vbSingle, [](W& a, CallArgs& c) { setGeometryTwips(a, Edge::Height, c.dbl(0)); })
      .get(u"Visible", vbBoolean, [](W& a, CallArgs&) { return Variant(!a.widget().isHidden()); })
      .let(u"Visible", vbBoolean, [](W& a, CallArgs& c) { a.widget().setVisible(c.boolean(0)); })
      .get(u"Enabled", vbBoolean,
           [](W& a, CallArgs&) { return Variant(!a.widget().testAttribute(Qt::WA_ForceDisabled)); })
      .let(u"Enabled", vbBoolean, [](W& a, CallArgs& c) { a.widget().setEnabled(c.boolean(0)); })
      .get(u"hWnd", vbLong,
           [](W& a, CallArgs&) {
             QWidget& w = a.widget();
             return handleToVariant(static_cast<std::uintptr_t>(w.isWindow() ? w.winId() : w.internalWinId()));
           })
      .get(u"Font", vbObject, [](W& a, CallArgs&) { return Variant(std::make_shared<FontAdapter>(&a.widget())); })
      .set(u"Font", [](W& a, CallArgs& c) { copyFont(a, *requireObject(c[0])); })
      .sub(u"ZOrder", {optionalParam(u"Position", vbInteger, Variant(Integer{0}))},
           [](W& a, CallArgs& c) {
             if (c.lng(0) == 0)
               a.widget().raise();
             else
               a.widget().lower();
           })
      .sub(u"SetFocus", {},
           [](W& a, CallArgs&) {
             QWidget& w = a.widget();
             if (!w.isVisible() || !w.isEnabled()) throw RuntimeError(5);
             w.setFocus(Qt::OtherFocusReason);
           })
      .get(u"Tag", vbString,
           [](W& a, CallArgs&) { return Variant(fromQString(a.widget().property(kTagProperty).toString())); })
      .let(u"Tag", vbString, [](W& a, CallArgs& c) { a.widget().setProperty(kTagProperty, toQString(c.str(0))); })
      .get(u"MousePointer", vbInteger,
           [](W& a, CallArgs&) {
             return Variant(Integer{static_cast<std::int16_t>(a.widget().property(kPointerProperty).toInt())});
           })
      .let(u"MousePointer", vbInteger,
           [](W& a, CallArgs& c) {
             LONG p = c.lng(0);
             if (p < 0 || (p > 15 && p != 99)) throw RuntimeError(380);
             a.widget().setProperty(kPointerProperty, static_cast<int>(p));
             applyPointer(a);
           })
      .get(u"MouseIcon", vbObject, [](W& a, CallArgs&) { return Variant(mouseIcon(a)); })
      .set(u"MouseIcon", [](W& a, CallArgs& c) { setMouseIcon(a, c.obj(0)); })
      .sub(u"Refresh", {}, [](W& a, CallArgs&) { a.widget().update(); });
}

B& caption(B& b) {
  return b.get(u"Caption", vbString, [](W& a, CallArgs&) { return Variant(captionOf(a.widget())); })
      .let(u"Caption", vbString, [](W& a, CallArgs& c) { setCaption(a.widget(), c.str(0)); });
}

ClassDesc formDesc() {
  B b(u"Form");
  caption(common(b))
      .get(u"Controls", vbObject,
           [](W& a, CallArgs&) {
             std::vector<Variant> items;
             collectControls(&a.widget(), items);
             return Variant(std::make_shared<ControlsCollection>(std::move(items)));
           })
      .get(u"ScaleWidth", vbSingle, [](W& a, CallArgs&) { return single(a.widget().width() * a.twipsPerPixelX()); })
      .get(u"ScaleHeight", vbSingle, [](W& a, CallArgs&) { return single(a.widget().height() * a.twipsPerPixelY()); })
      .sub(u"Show", {optionalParam(u"Modal", vbInteger, Variant(Integer{0})), optionalVariant(u"OwnerForm")},
           [](W& a, CallArgs& c) { showForm(a, c.lng(0)); })
      .sub(u"Hide", {}, [](W& a, CallArgs&) { a.widget().hide(); });
  return b.build();
}

ClassDesc commandButtonDesc() {
  B b(u"CommandButton");
  caption(common(b))
      .get(u"Default", vbBoolean,
           [](W& a, CallArgs&) {
             auto* p = qobject_cast<QPushButton*>(&a.widget());
             return Variant(p && p->isDefault());
           })
      .let(u"Default", vbBoolean,
           [](W& a, CallArgs& c) {
             auto* p = qobject_cast<QPushButton*>(&a.widget());
             if (!p) return;
             bool on = c.boolean(0);
             // One default button per window, as on a form.
             if (on)
               for (QPushButton* other : p->window()->findChildren<QPushButton*>())
                 if (other != p) other->setDefault(false);
             p->setDefault(on);
           })
      .get(u"Value", vbBoolean,
           [](W& a, CallArgs&) {
             (void)a.widget();  // a button reads False except while it is being clicked
             return Variant(false);
           })
      .let(u"Value", vbBoolean, [](W& a, CallArgs& c) {
        auto* p = qobject_cast<QAbstractButton*>(&a.widget());
        if (p && c.boolean(0)) p->click();
      });
  return b.build();
}

ClassDesc checkableDesc(std::u16string_view name, bool tristate) {
  B b(name);
  caption(common(b));
  if (tristate) {
    b.get(u"Value", vbInteger, [](W& a, CallArgs&) {
       auto* c = qobject_cast<QCheckBox*>(&a.widget());
       return Variant(Integer{static_cast<std::int16_t>(c ? static_cast<int>(c->checkState()) : 0)});
     }).let(u"Value", vbInteger, [](W& a, CallArgs& c) {
      LONG v = c.lng(0);
      if (v < 0 || v > 2) throw RuntimeError(380);
      if (auto* box = qobject_cast<QCheckBox*>(&a.widget())) box->setCheckState(static_cast<Qt::CheckState>(v));
    });
  } else {
    b.get(u"Value", vbBoolean,
          [](W& a, CallArgs&) {
            auto* r = qobject_cast<QAbstractButton*>(&a.widget());
            return Variant(r && r->isChecked());
          })
        .defaultMember()
        .let(u"Value", vbBoolean, [](W& a, CallArgs& c) {
          if (auto* r = qobject_cast<QAbstractButton*>(&a.widget())) r->setChecked(c.boolean(0));
        });
  }
  return b.build();
}

ClassDesc textBoxDesc() {
  B b(u"TextBox");
  common(b)
      .get(u"Text", vbString, [](W& a, CallArgs&) { return Variant(textOf(a.widget())); })
      .defaultMember()
      .let(u"Text", vbString, [](W& a, CallArgs& c) { setText(a.widget(), c.str(0)); })
      .get(u"Locked", vbBoolean, [](W& a, CallArgs&) { return Variant(readOnlyOf(a.widget())); })
      .let(u"Locked", vbBoolean, [](W& a, CallArgs& c) { setReadOnly(a.widget(), c.boolean(0)); });
  return b.build();
}

ClassDesc comboBoxDesc() {
  B b(u"ComboBox");
  common(b)
      .get(u"Style", vbInteger,
           [](W& a, CallArgs&) {
             auto* c = qobject_cast<QComboBox*>(&a.widget());
             return Variant(Integer{static_cast<std::int16_t>(c && c->isEditable() ? 0 : 2)});
           })
      .get(u"Text", vbString, [](W& a, CallArgs&) { return Variant(textOf(a.widget())); })
      .defaultMember()
      .let(u"Text", vbString, [](W& a, CallArgs& c) { setText(a.widget(), c.str(0)); })
      .get(u"ListIndex", vbLong,
           [](W& a, CallArgs&) {
             auto* c = qobject_cast<QComboBox*>(&a.widget());
             return Variant(static_cast<LONG>(c ? c->currentIndex() : -1));
           })
      .let(u"ListIndex", vbLong,
           [](W& a, CallArgs& c) {
             auto* box = qobject_cast<QComboBox*>(&a.widget());
             LONG i = c.lng(0);
             if (!box || i < -1 || i >= box->count()) throw RuntimeError(380);
             box->setCurrentIndex(static_cast<int>(i));
           })
      .get(u"ListCount", vbLong, [](W& a, CallArgs&) {
        auto* c = qobject_cast<QComboBox*>(&a.widget());
        return Variant(static_cast<LONG>(c ? c->count() : 0));
      });
  return b.build();
}

ClassDesc listBoxDesc() {
  B b(u"ListBox");
  common(b)
      .get(u"ListIndex", vbLong,
           [](W& a, CallArgs&) {
             auto* l = qobject_cast<QListWidget*>(&a.widget());
             return Variant(static_cast<LONG>(l ? l->currentRow() : -1));
           })
      .let(u"ListIndex", vbLong,
           [](W& a, CallArgs& c) {
             auto* l = qobject_cast<QListWidget*>(&a.widget());
             LONG i = c.lng(0);
             if (!l || i < -1 || i >= l->count()) throw RuntimeError(380);
             l->setCurrentRow(static_cast<int>(i));
           })
      .get(u"ListCount", vbLong, [](W& a, CallArgs&) {
        auto* l = qobject_cast<QListWidget*>(&a.widget());
        return Variant(static_cast<LONG>(l ? l->count() : 0));
      });
  return b.build();
}

ClassDesc captionedDesc(std::u16string_view name) {
  B b(name);
  caption(common(b));
  return b.build();
}

}  // namespace

const ClassDesc* WidgetAdapter::classDesc() const {
  static const ClassDesc form = formDesc();
  static const ClassDesc commandButton = commandButtonDesc();
  static const ClassDesc optionButton = checkableDesc(u"OptionButton", false);
  static const ClassDesc checkBox = checkableDesc(u"CheckBox", true);
  static const ClassDesc textBox = textBoxDesc();
  static const ClassDesc comboBox = comboBoxDesc();
  static const ClassDesc label = captionedDesc(u"Label");
  static const ClassDesc listBox = listBoxDesc();
  static const ClassDesc frame = captionedDesc(u"Frame");
  static const ClassDesc control = captionedDesc(u"Control");
  switch (kind()) {
    case WidgetKind::Form: return &form;
    case WidgetKind::CommandButton: return &commandButton;
    case WidgetKind::OptionButton: return &optionButton;
    case WidgetKind::CheckBox: return &checkBox;
    case WidgetKind::TextBox: return &textBox;
    case WidgetKind::ComboBox: return &comboBox;
    case WidgetKind::Label: return &label;
    case WidgetKind::ListBox: return &listBox;
    case WidgetKind::Frame: return &frame;
    default: return &control;
  }
}

}  // namespace quendel::toolvane::qt
