#include "toolvane/ui/application.h"

#include <QScreen>
#include <QThread>
#include <QWidget>

#include <cmath>
#include <cstdlib>

#include "support/quendelsupportfbe.h"
#include "support/runtime_error.h"

namespace quendel::toolvane::ui {

namespace {

constexpr double kTwipsPerInch = 1440;

[[noreturn]] void cannotShow(const char16_t* why) {
  throw RuntimeError(OBJECT_DEFINED_ERROR_BASE, BStr(u"Can't show a window. ") + why);
}

QScreen* primary() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) cannotShow(u"The display has no screen.");
  return s;
}

bool screenFromToolkit(QuendelScreenInfo* info) {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app || QThread::currentThread() != app->thread()) return false;
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return false;
  *info = {static_cast<LONG>(std::lround(s->logicalDotsPerInchX())),
           static_cast<LONG>(std::lround(s->logicalDotsPerInchY())), s->geometry().width(), s->geometry().height()};
  return true;
}

}  // namespace

QApplication& application() {
  QCoreApplication* core = QCoreApplication::instance();
  if (!core) {
    // The toolkit keeps argc and argv for the life of the application.
    static int argc = 1;
    static char name[] = "toolvane";
    static char* argv[] = {program_invocation_short_name ? program_invocation_short_name : name, nullptr};
    core = new QApplication(argc, argv);
  }
  auto* app = qobject_cast<QApplication*>(core);
  if (!app) cannotShow(u"The program runs a toolkit application without windows.");
  if (QThread::currentThread() != app->thread())
    cannotShow(u"Windows can only be shown on the program's user-interface thread.");
  // From now on the screen functions answer as the toolkit sees the screen.
  static bool sourceInstalled = (esSetScreenSource(screenFromToolkit), true);
  (void)sourceInstalled;
  return *app;
}

double twipsPerPixelX() { return kTwipsPerInch / primary()->logicalDotsPerInchX(); }
double twipsPerPixelY() { return kTwipsPerInch / primary()->logicalDotsPerInchY(); }
int twipsToPixelsX(double twips) { return static_cast<int>(std::lround(twips / twipsPerPixelX())); }
int twipsToPixelsY(double twips) { return static_cast<int>(std::lround(twips / twipsPerPixelY())); }
double pixelsToTwipsX(int pixels) { return pixels * twipsPerPixelX(); }
double pixelsToTwipsY(int pixels) { return pixels * twipsPerPixelY(); }
QSize screenSizePx() { return primary()->geometry().size(); }

void centreOnScreen(QWidget& window) {
  QScreen* s = window.screen() ? window.screen() : primary();
  QRect area = s->availableGeometry();
  QSize size = window.frameGeometry().size();
  window.move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

}  // namespace quendel::toolvane::ui
