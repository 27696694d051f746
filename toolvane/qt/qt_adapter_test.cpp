// The adapter with real widgets under a private X server (ui_test_support starts it).
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cmath>

#include "automation/std_font.h"
#include "automation/std_picture.h"
#include "support/testing.h"
#include "toolvane/controls/qnd_tab_control.h"
#include "toolvane/controls/qnd_text_box_def_button_watcher.h"
#include "toolvane/general/qnd_main.h"
#include "toolvane/qt/control_array.h"
#include "toolvane/qt/widget_adapter.h"
#include "toolvane/ui/ui_test_support.h"

namespace quendel::toolvane {
namespace {

using namespace automation;
using qt::adapt;
using quendel::testing::errorOf;

// A line edit that records the keys that reach it.
class ProbeLineEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;
  std::vector<std::pair<int, int>> keys;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    // The modifier keys themselves come as presses of their own; only the others count.
    bool modifier =
        e->key() == Qt::Key_Shift || e->key() == Qt::Key_Control || e->key() == Qt::Key_Alt || e->key() == Qt::Key_Meta;
    if (!modifier) keys.emplace_back(e->key(), static_cast<int>(e->modifiers()));
    QLineEdit::keyPressEvent(e);
  }
};

class QtAdapter : public ::testing::Test {
 protected:
  void SetUp() override { uitest::clientApplication(); }
};

TEST_F(QtAdapter, KindsFollowTheWidgetClasses) {
  QWidget form;
  struct Case {
    QWidget* widget;
    const char16_t* type;
  } cases[] = {
      {&form, u"Form"},
      {new QPushButton(&form), u"CommandButton"},
      {new QRadioButton(&form), u"OptionButton"},
      {new QCheckBox(&form), u"CheckBox"},
      {new QLineEdit(&form), u"TextBox"},
      {new QComboBox(&form), u"ComboBox"},
      {new QLabel(&form), u"Label"},
      {new QFrame(&form), u"Frame"},
      {new QWidget(&form), u"Frame"},
  };
  for (const auto& c : cases) {
    auto a = adapt(c.widget);
    EXPECT_EQ(a->className(), c.type);
    EXPECT_EQ(adapt(c.widget), a);  // one adapter per widget
  }
}

TEST_F(QtAdapter, AdapterOutlivingItsWidgetRaises364) {
  QWidget form;
  auto* edit = new QLineEdit(&form);
  auto box = adapt(edit);
  delete edit;
  EXPECT_EQ(errorOf([&] { box->get(u"Text"); }), 364);
}

TEST_F(QtAdapter, GeometryIsInTwips) {
  QWidget form;
  auto* button = new QPushButton(&form);
  button->setGeometry(10, 20, 100, 30);
  auto a = adapt(button);
  double tpp = a->twipsPerPixelX();
  EXPECT_DOUBLE_EQ(a->get(u"Left").toDouble(), 10 * tpp);
  EXPECT_DOUBLE_EQ(a->get(u"Width").toDouble(), 100 * tpp);
  a->let(u"Top", Variant(40 * a->twipsPerPixelY()));
  a->let(u"Height", Variant(50 * a->twipsPerPixelY()));
  EXPECT_EQ(button->geometry(), QRect(10, 40, 100, 50));
}

TEST_F(QtAdapter, LockedLineEditRefusesShiftInsertAndTakesCtrlShiftInsert) {
  QWidget form;
  auto* edit = new ProbeLineEdit(&form);  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): the form owns it
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto box = adapt(edit);
  box->let(u"Locked", Variant(true));
  EXPECT_TRUE(edit->isReadOnly());

  qndMain m;
  ASSERT_TRUE(m.AddTextBoxInsertHook(box));
  QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_TRUE(edit->keys.empty());
  QTest::keyClick(edit, Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(edit, Qt::Key_A, Qt::ShiftModifier);
  ASSERT_EQ(edit->keys.size(), 2u);
  EXPECT_EQ(edit->keys[0].first, Qt::Key_Insert);

  // Unlocked, Shift+Insert reaches the box and pastes.
  QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
  box->let(u"Locked", Variant(false));
  edit->keys.clear();
  QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(edit->keys.size(), 1u);
  EXPECT_EQ(edit->text(), QStringLiteral("pasted"));

  // Without the guard a locked box gets the key again.
  box->let(u"Locked", Variant(true));
  EXPECT_TRUE(m.RemoveTextBoxInsertHook(box));
  edit->keys.clear();
  QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(edit->keys.size(), 1u);
}

TEST_F(QtAdapter, ShowModalFormMovesTheParentOutOfSightAndBack) {
  QWidget parent;
  parent.resize(300, 200);
  parent.move(200, 150);
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  QPoint before = parent.pos();
  auto parentForm = adapt(&parent);
  double widthTwips = parentForm->get(u"Width").toDouble();
  int expectedX = static_cast<int>(std::lround((-widthTwips - 1000) / parentForm->twipsPerPixelX()));

  QDialog child;
  child.setObjectName(QStringLiteral("frmChild"));
  int xWhileShown = 0;
  bool childWasModal = false;
  uitest::whenShown("frmChild", [&](QDialog* d) {
    xWhileShown = parent.pos().x();
    childWasModal = d->isModal() || QApplication::activeModalWidget() == d;
    d->accept();
  });
  qndMain m;
  m.ShowModalForm(parentForm, adapt(&child));
  EXPECT_EQ(xWhileShown, expectedX);
  EXPECT_TRUE(childWasModal);
  EXPECT_EQ(parent.pos(), before);
}

TEST_F(QtAdapter, ModalShowOfAPlainWidgetReturnsWhenItIsHidden) {
  QWidget window;
  window.setObjectName(QStringLiteral("plain"));
  bool wasVisible = false;
  QTimer closer;  // a timer of the test's own: the analyzer cannot follow singleShot's ownership
  closer.setSingleShot(true);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    wasVisible = window.isVisible() && window.isModal();
    window.close();
  });
  closer.start(20);
  adapt(&window)->call(u"Show", {Variant(LONG{1})});
  EXPECT_TRUE(wasVisible);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.isModal());  // the modality is put back
}

TEST_F(QtAdapter, OptionGroupsWithGaps) {
  QWidget form;
  auto* a = new QRadioButton(&form);
  auto* b = new QRadioButton(&form);
  auto* c = new QRadioButton(&form);
  auto group = qt::ControlArray::create({{1, a}, {2, b}, {5, c}});
  qndMain m;
  EXPECT_EQ(m.GetSelectedOptionButtonIndex(group), -1);
  m.SetSelectedOptionButtonIndex(group, 5);
  EXPECT_TRUE(c->isChecked());
  EXPECT_EQ(m.GetSelectedOptionButtonIndex(group), 5);
  m.SetSelectedOptionButtonIndex(group, 3);  // a gap: the first button
  EXPECT_TRUE(a->isChecked());
  EXPECT_FALSE(c->isChecked());
  m.DisableOptionButtonGroup(group);
  EXPECT_FALSE(a->isEnabled() || b->isEnabled() || c->isEnabled());
  m.EnableOptionButtonGroup(group);
  EXPECT_TRUE(a->isEnabled() && b->isEnabled() && c->isEnabled());
  EXPECT_EQ(errorOf([&] { group->get(u"", {Variant(LONG{3})}); }), 340);
}

TEST_F(QtAdapter, PressButtonClicksEnabledButtons) {
  QWidget form;
  auto* button = new QPushButton(&form);
  int clicks = 0, events = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
  auto a = adapt(button);
  a->advise(std::make_shared<FunctionSink>([&](Object&, std::u16string_view name, std::vector<Variant>&) {
    if (equalsText(name, u"Click")) ++events;
  }));
  qndMain m;
  EXPECT_TRUE(m.PressButton(a));
  button->setEnabled(false);
  EXPECT_FALSE(m.PressButton(a));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(m.PressButton(adapt(new QCheckBox(&form))));
}

TEST_F(QtAdapter, TabPagesOfThreeFrames) {
  QWidget form;
  std::vector<QFrame*> frames;
  frames.reserve(3);
  for (int i = 0; i < 3; ++i) frames.push_back(new QFrame(&form));
  form.show();
  auto tabs = std::make_shared<qndTabControl>();
  tabs->FillTabs(qt::ControlArray::create({{0, frames[0]}, {1, frames[1]}, {2, frames[2]}}), true);
  EXPECT_TRUE(frames[2]->isVisible());
  EXPECT_FALSE(frames[0]->isVisible() || frames[1]->isVisible());
  tabs->PopNextTab(false, true);
  EXPECT_TRUE(frames[0]->isVisible());
  EXPECT_FALSE(frames[2]->isVisible());
  EXPECT_EQ(form.children().last(), frames[0]);  // brought to the front
  tabs->PopTab(2, false, false);
  EXPECT_TRUE(frames[0]->isVisible() && frames[1]->isVisible() && frames[2]->isVisible());
  EXPECT_EQ(form.children().last(), frames[1]);
}

TEST_F(QtAdapter, FixFontsAndFixCBCursors) {
  QWidget form;
  auto* label = new QLabel(&form);
  auto* frame = new QFrame(&form);
  auto* inside = new QLineEdit(frame);  // controls inside frames count as well
  auto* list = new QComboBox(&form);
  auto* editable = new QComboBox(&form);
  editable->setEditable(true);
  QFont formFont = form.font();
  qndMain m;
  m.FixFonts(adapt(&form));
  for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(inside)}) {
    EXPECT_EQ(w->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 10.5);
    EXPECT_TRUE(w->font().italic());
    EXPECT_FALSE(w->font().bold());
    EXPECT_EQ(adapt(w)->get(u"Font").toObject()->get(u"Charset").toLong(), 204);
  }
  EXPECT_EQ(form.font(), formFont);

  m.FixCBCursors(adapt(&form));
  EXPECT_EQ(list->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(adapt(list)->get(u"MousePointer").toLong(), 99);
  EXPECT_EQ(adapt(list)->get(u"MouseIcon").toObject()->get(u"Type").toLong(), 3);
  EXPECT_FALSE(editable->testAttribute(Qt::WA_SetCursor));
}

TEST_F(QtAdapter, WatcherMovesTheDefaultButton) {
  QDialog form;
  auto* ok = new QPushButton(&form);
  auto* find = new QPushButton(&form);
  auto* text = new QLineEdit(&form);
  ok->setDefault(true);
  auto watcher = std::make_shared<qndTextBoxDefButtonWatcher>();
  watcher->Init(adapt(ok), adapt(find), adapt(text));
  QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(text, &in);
  EXPECT_TRUE(find->isDefault());
  EXPECT_FALSE(ok->isDefault());
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(text, &out);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_FALSE(find->isDefault());
}

TEST_F(QtAdapter, FormControlsAndNames) {
  QWidget form;
  form.setWindowTitle(QStringLiteral("Settings"));
  auto* frame = new QGroupBox(&form);
  frame->setObjectName(QStringLiteral("fraOptions"));
  auto* opt = new QRadioButton(frame);
  opt->setObjectName(QStringLiteral("optFast"));
  auto f = adapt(&form);
  EXPECT_EQ(f->get(u"Caption").toString(), u"Settings");
  ObjectPtr controls = f->get(u"Controls").toObject();
  EXPECT_EQ(controls->get(u"Count").toLong(), 2);
  EXPECT_EQ(controls->get(u"", {Variant(LONG{1})}).toObject(), adapt(opt));
  EXPECT_EQ(controls->get(u"Item", {Variant(u"FRAOPTIONS")}).toObject(), adapt(frame));
}

TEST_F(QtAdapter, CheckBoxValueIsUncheckedCheckedGrayed) {
  QWidget form;
  auto* box = new QCheckBox(&form);
  auto a = adapt(box);
  struct Row {
    LONG value;
    Qt::CheckState state;
  } rows[] = {{1, Qt::Checked}, {2, Qt::PartiallyChecked}, {0, Qt::Unchecked}};
  for (const auto& r : rows) {
    a->let(u"Value", Variant(Integer{static_cast<std::int16_t>(r.value)}));
    EXPECT_EQ(box->checkState(), r.state) << r.value;
    EXPECT_EQ(a->get(u"Value").toLong(), r.value);
  }
  box->setCheckState(Qt::Checked);
  for (LONG bad : {-1, 3}) {
    EXPECT_EQ(errorOf([&] { a->let(u"Value", Variant(bad)); }), 380) << bad;
    EXPECT_EQ(box->checkState(), Qt::Checked);
  }
}

TEST_F(QtAdapter, MousePointerValuesAndTheirCursors) {
  QWidget form;
  auto* label = new QLabel(&form);
  auto a = adapt(label);
  struct Row {
    LONG pointer;
    Qt::CursorShape shape;
  } rows[] = {{1, Qt::ArrowCursor},   {2, Qt::CrossCursor},      {3, Qt::IBeamCursor},   {5, Qt::SizeAllCursor},
              {7, Qt::SizeVerCursor}, {9, Qt::SizeHorCursor},    {11, Qt::WaitCursor},   {12, Qt::ForbiddenCursor},
              {13, Qt::BusyCursor},   {14, Qt::WhatsThisCursor}, {15, Qt::SizeAllCursor}};
  for (const auto& r : rows) {
    a->let(u"MousePointer", Variant(r.pointer));
    EXPECT_EQ(label->cursor().shape(), r.shape) << r.pointer;
    EXPECT_EQ(a->get(u"MousePointer").toLong(), r.pointer);
  }
  a->let(u"MousePointer", Variant(LONG{0}));
  EXPECT_FALSE(label->testAttribute(Qt::WA_SetCursor));
  a->let(u"MousePointer", Variant(LONG{99}));  // custom without an icon: the widget's own
  EXPECT_FALSE(label->testAttribute(Qt::WA_SetCursor));
  for (LONG bad : {-1, 16, 98, 100}) {
    EXPECT_EQ(errorOf([&] { a->let(u"MousePointer", Variant(bad)); }), 380) << bad;
    EXPECT_EQ(a->get(u"MousePointer").toLong(), 99);
  }
}

TEST_F(QtAdapter, MouseIconGoesWithItsWidget) {
  QWidget form;
  auto* list = new QComboBox(&form);
  qndMain().FixCBCursors(adapt(&form));
  auto held = adapt(list);
  std::weak_ptr<Object> picture = held->get(u"MouseIcon").toObject();
  ASSERT_FALSE(picture.expired());
  auto bitmap = StdPicture::create(PictureDesc{Integer{1}});  // a picture, but no icon
  EXPECT_EQ(errorOf([&] { held->set(u"MouseIcon", bitmap); }), 380);
  EXPECT_EQ(held->get(u"MouseIcon").toObject(), picture.lock());  // the old one kept
  delete list;
  EXPECT_TRUE(picture.expired());  // the held adapter does not keep it
  EXPECT_EQ(errorOf([&] { held->get(u"MouseIcon"); }), 364);
}

TEST_F(QtAdapter, ControlsRefuseUnknownNamesAndPositions) {
  QWidget form;
  new QLabel(&form);
  ObjectPtr controls = adapt(&form)->get(u"Controls").toObject();
  EXPECT_EQ(errorOf([&] { controls->get(u"Item", {Variant(u"lblMissing")}); }), 730);
  EXPECT_EQ(errorOf([&] { controls->get(u"Item", {Variant(LONG{1})}); }), 9);
  EXPECT_EQ(errorOf([&] { controls->get(u"Item", {Variant(LONG{-1})}); }), 9);
}

}  // namespace
}  // namespace quendel::toolvane
