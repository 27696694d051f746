// WidgetAdapter: a Qt widget of a C++ client, seen by the library as the form or control
// it reaches by member name.
//
//   ObjectPtr form = qt::adapt(&mainWindow);            // "Form"
//   ObjectPtr text = qt::adapt(ui->txtPath);            // "TextBox"
//   main->call(u"AddTextBoxInsertHook", {Variant(text)});
//
// The kind, and so TypeName and the members, follows the widget's class:
//   window (any top-level widget, QDialog)      Form
//   QPushButton                                 CommandButton
//   QRadioButton                                OptionButton
//   QCheckBox                                   CheckBox
//   QLineEdit, QPlainTextEdit, QTextEdit         TextBox
//   QComboBox                                   ComboBox
//   QLabel                                      Label
//   QListWidget                                 ListBox
//   QTreeView, QTreeWidget, QTableView,          ListView (list_view.h)
//   QTableWidget
//   QGroupBox, QFrame, plain QWidget            Frame
//   anything else                               Control
// Every kind: Name, Left, Top, Width, Height (twips, at the widget's screen's logical DPI;
// a window's are its outer frame), Visible, Enabled, hWnd (the X11 window id of a window,
// 0 for a child without a native window), Font (a live font object: its lets change the
// widget's font), ZOrder([Position]: 0 front, 1 back), SetFocus, Tag, MousePointer (the
// standard values of mouse_pointer.h: 0 default, 1 arrow, 3 I-beam, 11 hourglass, 99 the
// MouseIcon ...), MouseIcon (a picture object holding an icon or cursor), Refresh. Form: Caption, Controls
// (the controls on it, also inside frames, in creation order), ScaleWidth, ScaleHeight,
// Show([Style]: 1 modal, returns when the form is hidden or destroyed), Hide.
// CommandButton: Caption, Default (True clears it on the window's other buttons), Value
// (reads False; True clicks the button). OptionButton: Caption, Value (Boolean). CheckBox:
// Caption, Value (0 unchecked, 1 checked, 2 grayed). ListView: ColumnHeaders, and an hWnd
// made on demand that answers the column-width messages.
// TextBox: Text, Locked. ComboBox: Style (2 drop-down list, 0 editable), Text, ListIndex,
// ListCount. Label, Frame: Caption. ListBox: ListIndex, ListCount.
//
// Events, through the automation runtime's sinks (so a Python object can raise the same):
// GotFocus and LostFocus for every kind; KeyDown(KeyCode, Shift) for every kind, before
// the widget sees the key: a handler that sets KeyCode to 0 swallows it; Click for
// buttons when clicked.
//
// A form's window notes its normal rectangle whenever it moves or changes size in the
// normal state, so that its placement saved while maximized or minimized restores there.
//
// The same widget always gives the same adapter while the widget lives; the widget holds
// its adapter, and the adapter the picture set as MouseIcon until the widget is destroyed. After the widget is
// destroyed, a held adapter raises 364 (Object was unloaded) from every member. Members run on the thread of the
// widget.
#pragma once

#include <QPointer>
#include <QWidget>

#include "automation/dispatch.h"
#include "support/export.h"
#include "toolvane/qt/mouse_icon.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

enum class WidgetKind {
  Form,
  CommandButton,
  OptionButton,
  CheckBox,
  TextBox,
  ComboBox,
  Label,
  ListBox,
  ListView,
  Frame,
  Control
};

WidgetKind kindOf(const QWidget* widget);

class WidgetAdapter : public automation::Object {
 public:
  WidgetAdapter(QWidget* widget, WidgetKind kind) : widget_(widget), kind_(kind) {}

  // The live widget; raises 364 when it is gone.
  QWidget& widget() const;
  WidgetKind kind() const { return kind_; }
  bool alive() const { return !widget_.isNull(); }

  const automation::ClassDesc* classDesc() const override;

  // Twips of this widget's screen.
  double twipsPerPixelX() const;
  double twipsPerPixelY() const;

  // The MouseIcon of the widget; emptied when the widget is destroyed.
  MouseIcon& mouseIcon() { return mouseIcon_; }

 private:
  QPointer<QWidget> widget_;
  WidgetKind kind_;
  MouseIcon mouseIcon_;
};

// The adapter of a widget (created with it on first use, kept by the widget); null for null.
std::shared_ptr<WidgetAdapter> adapt(QWidget* widget);

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
