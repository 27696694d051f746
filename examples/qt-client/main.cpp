// An example Qt client of Toolvane0305.
//
//   qt_client_example           shows the form
//   qt_client_example --demo    drives the form by script, prints what happens, exits
//                               (0 when every step did what it should)
//   qt_client_example --demo --expect-restored
//                               the same, after checking that the form got back the placement,
//                               column width and bold font an earlier --demo run left
//
// Either way the form gets back the placement, column widths and font it had when the
// program last ended, and keeps them again on exit.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>

#include "demo_form.h"
#include "support/codepage.h"
#include "toolvane/qt/widget_adapter.h"

using namespace quendel::automation;

namespace {

int failures = 0;

constexpr LONG kKeyInsert = 45;   // the runtime's key code of Insert
constexpr int kLookEveryMs = 10;  // how often closeWhenShown looks for its dialog
constexpr int kFormLeft = 100, kFormTop = 100;
constexpr int kDemoNameWidth = 150;  // the width the demo leaves the first column at

void check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

// Closes the top-level dialog named name as soon as it shows, after calling look(dialog).
void closeWhenShown(const char* name, const std::function<void(QDialog*)>& look) {
  auto* timer = new QTimer;
  timer->setInterval(kLookEveryMs);
  QObject::connect(timer, &QTimer::timeout, [timer, name = QString::fromUtf8(name), look] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(w);
      if (dialog && dialog->objectName() == name && dialog->isVisible()) {
        timer->stop();
        timer->deleteLater();
        look(dialog);
        dialog->accept();
        return;
      }
    }
  });
  timer->start();
}

void runDemo(DemoForm& form) {
  ObjectPtr main = form.qndMain();
  check(main->call(u"GetSelectedOptionButtonIndex", {Variant(form.sizeGroup())}).toLong() == 1,
        "the option group starts on Medium");
  form.optSize()[2]->click();
  check(main->call(u"GetSelectedOptionButtonIndex", {Variant(form.sizeGroup())}).toLong() == 2,
        "clicking Large selects index 2");

  // A listener subscribed after the library's guard sees what the guard left of the key.
  LONG keyAfterGuard = -1;
  ObjectPtr serial = quendel::toolvane::qt::adapt(form.txtSerial());
  auto cookie =
      serial->advise(std::make_shared<FunctionSink>([&](Object&, std::u16string_view name, std::vector<Variant>& a) {
        if (equalsText(name, u"KeyDown")) keyAfterGuard = a.at(0).toLong();
      }));
  QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
  QString before = form.txtSerial()->text();
  QKeyEvent shiftInsert(QEvent::KeyPress, Qt::Key_Insert, Qt::ShiftModifier);
  QApplication::sendEvent(form.txtSerial(), &shiftInsert);
  check(keyAfterGuard == 0 && form.txtSerial()->text() == before, "Shift+Insert is swallowed by the locked box");
  QKeyEvent ctrlShiftInsert(QEvent::KeyPress, Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
  QApplication::sendEvent(form.txtSerial(), &ctrlShiftInsert);
  check(keyAfterGuard == kKeyInsert, "Ctrl+Shift+Insert passes");
  serial->unadvise(cookie);

  form.tabs()->call(u"PopNextTab", {Variant(false), Variant(true)});
  check(form.lblPage()->text() == QStringLiteral("Page 2 of 3") && form.fraTab()[1]->isVisible() &&
            !form.fraTab()[0]->isVisible(),
        "Next shows page 2 and hides the others");
  form.tabs()->call(u"PopPrevTab", {Variant(false), Variant(true)});
  form.tabs()->call(u"PopPrevTab", {Variant(false), Variant(true)});
  check(form.lblPage()->text() == QStringLiteral("Page 3 of 3"), "Prev from page 1 wraps to page 3");

  QString listTitle;
  closeWhenShown("frmList", [&](QDialog* d) { listTitle = d->windowTitle(); });
  form.showList();
  check(listTitle == QStringLiteral("Option buttons [3]"), "the list dialog shows its caption and count");

  int leftDuringChild = 0;
  int leftBefore = form.pos().x();
  closeWhenShown("frmChild", [&](QDialog*) { leftDuringChild = form.pos().x(); });
  form.showChild();
  check(leftDuringChild < 0 && form.pos().x() == leftBefore, "the main form is out of sight while the child shows");

  QString aboutCaption, aboutTitle;
  closeWhenShown("frmAbout", [&](QDialog* d) {
    aboutCaption = d->windowTitle();
    if (auto* title = d->findChild<QLabel*>(QStringLiteral("lblTitle"))) aboutTitle = title->text();
  });
  form.showAbout();
  check(aboutCaption == QStringLiteral("О программе") && aboutTitle == QStringLiteral("Qt client example"),
        "the About box shows the program's title");

  // Left for the next run to get back.
  form.lvwFiles()->setColumnWidth(0, kDemoNameWidth);
  QFont bold = form.font();
  bold.setBold(true);
  form.setFont(bold);
}

void checkRestored(const DemoForm& form, const DemoForm::Remembered& restored) {
  check(restored.placement, "the form got back the placement it was left at");
  check(form.lvwFiles()->columnWidth(0) == kDemoNameWidth, "the list's first column has the width it was left at");
  check(form.font().bold(), "the form has the bold font it was left with");
}

void report(const char* what, const DemoForm::Remembered& r) {
  auto word = [](bool b) { return b ? "yes" : "no"; };
  std::printf("%s: placement %s, columns %s, font %s\n", what, word(r.placement), word(r.columns), word(r.font));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bool demo = argc > 1 && std::strcmp(argv[1], "--demo") == 0;
  bool expectRestored = demo && argc > 2 && std::strcmp(argv[2], "--expect-restored") == 0;
  try {
    DemoForm form;
    form.move(kFormLeft, kFormTop);
    form.show();
    DemoForm::Remembered restored = form.restoreSettings();
    report("restored", restored);
    if (expectRestored) checkRestored(form, restored);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&form] { report("saved", form.saveSettings()); });
    if (!demo) return app.exec();
    // A timer of our own rather than QTimer::singleShot, whose slot object the event
    // loop frees where the analyzer cannot follow.
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, [&] {
      runDemo(form);
      app.exit(failures == 0 ? 0 : 1);
    });
    start.start(0);
    int rc = app.exec();
    std::printf("%s\n", rc == 0 ? "All done." : "Some steps failed.");
    return rc;
  } catch (const quendel::RuntimeError& e) {
    // Exit status 2 reports the failure even when standard error is gone.
    (void)std::fprintf(stderr, "qt_client_example: run-time error %d: %s\n", static_cast<int>(e.number()),
                       quendel::cp::toUtf8(e.description()).c_str());
    return 2;
  }
}
