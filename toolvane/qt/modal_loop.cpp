#include "toolvane/qt/modal_loop.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

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

// A window that is no dialog: application modal while a local loop runs.
void runModalLoop(QWidget& form) {
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

}  // namespace

void showForm(QWidget& form, LONG style) {
  if (style != kShowModeless && style != kShowModal) throw RuntimeError(5);
  if (style == kShowModeless) {
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
  runModalLoop(form);
}

}  // namespace quendel::toolvane::qt
