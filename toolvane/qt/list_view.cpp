#include "toolvane/qt/list_view.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTableView>
#include <QTreeView>
#include <cmath>

#include "platform/window/window_messages.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

constexpr int kAutosize = -1;
constexpr int kAutosizeUseHeader = -2;
constexpr char kHandlerMark[] = "quendelListViewMessages";

// Lives as a child of the view: removes the window's handler when the view goes.
class MessageHandlerOwner : public QObject {
 public:
  MessageHandlerOwner(QAbstractItemView& view, HWND window) : QObject(&view), window_(window) {
    setObjectName(QLatin1String(kHandlerMark));
  }
  ~MessageHandlerOwner() override { (void)platform::setWindowMessageHandler(window_, nullptr); }
  HWND window() const { return window_; }

 private:
  HWND window_;
};

class ColumnHeaders : public Object {
 public:
  explicit ColumnHeaders(QAbstractItemView& view) : view_(&view) {}
  const ClassDesc* classDesc() const override {
    static const ClassDesc d = ClassBuilder<ColumnHeaders>(u"ColumnHeaders")
                                   .get(u"Count", vbLong,
                                        [](ColumnHeaders& h, CallArgs&) {
                                          if (h.view_.isNull()) throw RuntimeError(364, u"Object was unloaded");
                                          QHeaderView* header = columnHeader(h.view_.data());
                                          return Variant(static_cast<LONG>(header ? header->count() : 0));
                                        })
                                   .build();
    return &d;
  }

 private:
  QPointer<QAbstractItemView> view_;
};

}  // namespace

bool isListView(const QWidget* widget) {
  return qobject_cast<const QTreeView*>(widget) || qobject_cast<const QTableView*>(widget);
}

QHeaderView* columnHeader(const QWidget* view) {
  if (auto* tree = qobject_cast<const QTreeView*>(view)) return tree->header();
  if (auto* table = qobject_cast<const QTableView*>(view)) return table->horizontalHeader();
  return nullptr;
}

LRESULT answerListViewMessage(QAbstractItemView& view, UINT message, WPARAM wParam, LPARAM lParam) {
  QHeaderView* header = columnHeader(&view);
  if (!header || wParam >= static_cast<WPARAM>(header->count())) return 0;
  const int column = static_cast<int>(wParam);
  const double ratio = view.devicePixelRatioF();
  if (message == LVM_GETCOLUMNWIDTH) return static_cast<LRESULT>(std::lround(header->sectionSize(column) * ratio));
  if (message != LVM_SETCOLUMNWIDTH) return 0;
  const int width = static_cast<std::int16_t>(lParam & 0xFFFF);  // the low word, signed
  if (width == kAutosize || width == kAutosizeUseHeader) {
    if (auto* tree = qobject_cast<QTreeView*>(&view))
      tree->resizeColumnToContents(column);
    else if (auto* table = qobject_cast<QTableView*>(&view))
      table->resizeColumnToContents(column);
    return 1;
  }
  if (width < 0) return 0;
  header->resizeSection(column, static_cast<int>(std::lround(width / ratio)));
  return 1;
}

HWND listViewWindow(QAbstractItemView& view) {
  if (auto* owner = view.findChild<MessageHandlerOwner*>(QLatin1String(kHandlerMark), Qt::FindDirectChildrenOnly))
    return owner->window();
  HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(view.winId()));  // native from now on
  QPointer<QAbstractItemView> guard(&view);
  bool installed = platform::setWindowMessageHandler(window, [guard](HWND, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    return guard ? answerListViewMessage(*guard, m, wp, lp) : 0;
  });
  if (installed) {
    new MessageHandlerOwner(view, window);
    answerWindowMessagesFromEventLoop();
  }
  return window;
}

ObjectPtr columnHeadersOf(QAbstractItemView& view) { return std::make_shared<ColumnHeaders>(view); }

void answerWindowMessagesFromEventLoop() {
  static QPointer<QSocketNotifier> notifier;
  if (notifier || !QCoreApplication::instance()) return;
  int fd = platform::windowMessageDescriptor();
  if (fd < 0) return;
  notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier.data(), &QSocketNotifier::activated, [] { platform::dispatchWindowMessages(); });
}

}  // namespace quendel::toolvane::qt
