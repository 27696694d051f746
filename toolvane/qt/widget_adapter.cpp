#include "toolvane/qt/widget_adapter.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextEdit>
#include <unordered_map>

#include "platform/window/window_placement.h"
#include "support/quendelsupport.h"
#include "toolvane/qt/key_codes_qt.h"
#include "toolvane/qt/list_view.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

// Lives as a child of its widget: holds the adapter for as long as the widget lives and
// turns the widget's events into the adapter's automation events.
class AdapterHolder : public QObject {
 public:
  AdapterHolder(QWidget* widget, std::shared_ptr<WidgetAdapter> adapter);
  ~AdapterHolder() override;
  const std::shared_ptr<WidgetAdapter>& adapter() const { return adapter_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* widget_;
  std::shared_ptr<WidgetAdapter> adapter_;
};

// One UI thread per process uses the adapters; the map only answers "which adapter has
// this widget", its entries leave with their widgets.
std::unordered_map<const QWidget*, AdapterHolder*>& holders() {
  static auto* map = new std::unordered_map<const QWidget*, AdapterHolder*>();
  return *map;
}

// An event handler's run-time error must not unwind through the toolkit's event loop;
// it is written to the debugger output and dropped.
void raiseSafely(WidgetAdapter& adapter, std::u16string_view name, std::vector<Variant>& args) {
  if (!adapter.hasSinks()) return;
  try {
    adapter.raiseEvent(name, args);
  } catch (const RuntimeError& e) {
    (void)asDebugPrint(u"WidgetAdapter event " + String(name) + u" ==> " + e.description());
  }
}

AdapterHolder::AdapterHolder(QWidget* widget, std::shared_ptr<WidgetAdapter> adapter)
    : QObject(widget), widget_(widget), adapter_(std::move(adapter)) {
  setObjectName(QStringLiteral("quendelAdapterHolder"));
  holders()[widget] = this;
  widget->installEventFilter(this);
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    QObject::connect(button, &QAbstractButton::clicked, this, [this] {
      auto keep = adapter_;
      std::vector<Variant> none;
      raiseSafely(*keep, u"Click", none);
    });
  }
}

AdapterHolder::~AdapterHolder() {
  auto& map = holders();
  if (auto it = map.find(widget_); it != map.end() && it->second == this) map.erase(it);
  adapter_->mouseIcon().clear();  // a held adapter must not keep the gone widget's picture
}

bool AdapterHolder::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_) return false;
  auto keep = adapter_;  // a handler may drop the last other reference
  switch (event->type()) {
    case QEvent::FocusIn: {
      std::vector<Variant> none;
      raiseSafely(*keep, u"GotFocus", none);
      break;
    }
    case QEvent::FocusOut: {
      std::vector<Variant> none;
      raiseSafely(*keep, u"LostFocus", none);
      break;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      LONG code = keyCodeFromQt(key->key());
      if (code == 0) break;
      std::vector<Variant> args{Variant(Integer{static_cast<std::int16_t>(code)}),
                                Variant(Integer{static_cast<std::int16_t>(shiftStateFromQt(key->modifiers()))})};
      raiseSafely(*keep, u"KeyDown", args);
      bool swallowed = false;
      try {
        swallowed = args[0].toLong() == 0;
      } catch (const RuntimeError&) {
      }
      if (swallowed) return true;
      break;
    }
    case QEvent::Move:
    case QEvent::Resize: {
      // The X server forgets a window's normal geometry once it is maximized or minimized.
      constexpr auto kNotNormal = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
      if (widget_->isWindow() && widget_->internalWinId() && !(widget_->windowState() & kNotNormal))
        (void)platform::rememberNormalPlacement(
            platform::hwndFromId(static_cast<std::uint32_t>(widget_->internalWinId())));
      break;
    }
    default: break;
  }
  return false;
}

bool isExactly(const QWidget* w, const QMetaObject& meta) { return w->metaObject() == &meta; }

}  // namespace

WidgetKind kindOf(const QWidget* w) {
  if (w->isWindow()) return WidgetKind::Form;
  if (qobject_cast<const QPushButton*>(w)) return WidgetKind::CommandButton;
  if (qobject_cast<const QRadioButton*>(w)) return WidgetKind::OptionButton;
  if (qobject_cast<const QCheckBox*>(w)) return WidgetKind::CheckBox;
  if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w))
    return WidgetKind::TextBox;
  if (qobject_cast<const QComboBox*>(w)) return WidgetKind::ComboBox;
  if (qobject_cast<const QLabel*>(w)) return WidgetKind::Label;
  if (qobject_cast<const QListWidget*>(w)) return WidgetKind::ListBox;
  if (isListView(w)) return WidgetKind::ListView;
  if (qobject_cast<const QGroupBox*>(w) || isExactly(w, QFrame::staticMetaObject) ||
      isExactly(w, QWidget::staticMetaObject))
    return WidgetKind::Frame;
  return WidgetKind::Control;
}

QWidget& WidgetAdapter::widget() const {
  if (widget_.isNull()) throw RuntimeError(364, u"Object was unloaded");
  return *widget_;
}

namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kNominalTwipsPerPixel = 15;  // 96 DPI, for a screen that gives no DPI

double twipsPerPixel(const QWidget& w, bool horizontal) {
  QScreen* screen = w.screen();
  if (!screen) throw RuntimeError(0x80040000, u"The widget is on no screen. ");
  double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
  return dpi > 0 ? kTwipsPerInch / dpi : kNominalTwipsPerPixel;
}

}  // namespace

double WidgetAdapter::twipsPerPixelX() const { return twipsPerPixel(widget(), true); }
double WidgetAdapter::twipsPerPixelY() const { return twipsPerPixel(widget(), false); }

std::shared_ptr<WidgetAdapter> adapt(QWidget* widget) {
  if (!widget) return nullptr;
  auto& map = holders();
  if (auto it = map.find(widget); it != map.end()) return it->second->adapter();
  auto adapter = std::make_shared<WidgetAdapter>(widget, kindOf(widget));
  new AdapterHolder(widget, adapter);  // owned by the widget
  return adapter;
}

}  // namespace quendel::toolvane::qt
