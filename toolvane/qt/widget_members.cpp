// The member tables of the widget adapters, one per kind (widget_adapter.h lists them).
#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "automation/std_picture.h"
#include "toolvane/qt/controls_collection.h"
#include "toolvane/qt/font_adapter.h"
#include "toolvane/qt/list_view.h"
#include "toolvane/qt/modal_loop.h"
#include "toolvane/qt/qstring_text.h"
#include "toolvane/qt/widget_adapter.h"
#include "toolvane/qt/widget_properties.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

using W = WidgetAdapter;
using B = ClassBuilder<WidgetAdapter>;
using E = GeometryEdge;

constexpr const char* kTagProperty = "quendelTag";

// ZOrder positions and ComboBox styles, as the standard controls number them.
constexpr LONG kZOrderFront = 0;
constexpr LONG kComboEditable = 0;
constexpr LONG kComboDropDownList = 2;

Variant single(double v) { return Variant(static_cast<float>(v)); }

// ---- The tables ----

B& common(B& b) {
  return b.get(u"Name", vbString, [](W& a, CallArgs&) { return Variant(fromQString(a.widget().objectName())); })
      .get(u"Left", vbSingle, [](W& a, CallArgs&) { return single(geometryTwips(a, E::Left)); })
      .let(u"Left", vbSingle, [](W& a, CallArgs& c) { setGeometryTwips(a, E::Left, c.dbl(0)); })
      .get(u"Top", vbSingle, [](W& a, CallArgs&) { return single(geometryTwips(a, E::Top)); })
      .let(u"Top", vbSingle, [](W& a, CallArgs& c) { setGeometryTwips(a, E::Top, c.dbl(0)); })
      .get(u"Width", vbSingle, [](W& a, CallArgs&) { return single(geometryTwips(a, E::Width)); })
      .let(u"Width", vbSingle, [](W& a, CallArgs& c) { setGeometryTwips(a, E::Width, c.dbl(0)); })
      .get(u"Height", vbSingle, [](W& a, CallArgs&) { return single(geometryTwips(a, E::Height)); })
      .let(u"Height", vbSingle, [](W& a, CallArgs& c) { setGeometryTwips(a, E::Height, c.dbl(0)); })
      .get(u"Visible", vbBoolean, [](W& a, CallArgs&) { return Variant(!a.widget().isHidden()); })
      .let(u"Visible", vbBoolean, [](W& a, CallArgs& c) { a.widget().setVisible(c.boolean(0)); })
      .get(u"Enabled", vbBoolean,
           [](W& a, CallArgs&) { return Variant(!a.widget().testAttribute(Qt::WA_ForceDisabled)); })
      .let(u"Enabled", vbBoolean, [](W& a, CallArgs& c) { a.widget().setEnabled(c.boolean(0)); })
      .get(u"hWnd", vbLong,
           [](W& a, CallArgs&) {
             QWidget& w = a.widget();
             if (a.kind() == WidgetKind::ListView)
               return handleToVariant(
                   reinterpret_cast<std::uintptr_t>(listViewWindow(static_cast<QAbstractItemView&>(w))));
             return handleToVariant(static_cast<std::uintptr_t>(w.isWindow() ? w.winId() : w.internalWinId()));
           })
      .get(u"Font", vbObject, [](W& a, CallArgs&) { return Variant(std::make_shared<FontAdapter>(&a.widget())); })
      .set(u"Font", [](W& a, CallArgs& c) { copyFont(a, *requireObject(c[0])); })
      .sub(u"ZOrder", {optionalParam(u"Position", vbInteger, Variant(Integer{kZOrderFront}))},
           [](W& a, CallArgs& c) {
             if (c.lng(0) == kZOrderFront)
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
           [](W& a, CallArgs&) { return Variant(Integer{static_cast<std::int16_t>(mousePointerOf(a))}); })
      .let(u"MousePointer", vbInteger, [](W& a, CallArgs& c) { setMousePointer(a, c.lng(0)); })
      .get(u"MouseIcon", vbObject, [](W& a, CallArgs&) { return Variant(mouseIconOf(a)); })
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
      .get(u"Controls", vbObject, [](W& a, CallArgs&) { return Variant(ControlsCollection::of(a.widget())); })
      .get(u"ScaleWidth", vbSingle, [](W& a, CallArgs&) { return single(a.widget().width() * a.twipsPerPixelX()); })
      .get(u"ScaleHeight", vbSingle, [](W& a, CallArgs&) { return single(a.widget().height() * a.twipsPerPixelY()); })
      .sub(u"Show",
           {optionalParam(u"Modal", vbInteger, Variant(Integer{kShowModeless})), optionalVariant(u"OwnerForm")},
           [](W& a, CallArgs& c) {
             LONG style = c.lng(0);
             showForm(a.widget(), style);
           })
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
       return Variant(Integer{checkBoxValue(a)});
     }).let(u"Value", vbInteger, [](W& a, CallArgs& c) { setCheckBoxValue(a, c.lng(0)); });
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
             return Variant(
                 Integer{static_cast<std::int16_t>(c && c->isEditable() ? kComboEditable : kComboDropDownList)});
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

ClassDesc listViewDesc() {
  B b(u"ListView");
  common(b).get(u"ColumnHeaders", vbObject,
                [](W& a, CallArgs&) { return Variant(columnHeadersOf(static_cast<QAbstractItemView&>(a.widget()))); });
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
  static const ClassDesc listView = listViewDesc();
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
    case WidgetKind::ListView: return &listView;
    case WidgetKind::Frame: return &frame;
    default: return &control;
  }
}

}  // namespace quendel::toolvane::qt
