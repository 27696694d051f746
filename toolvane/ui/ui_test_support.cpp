#include "toolvane/ui/ui_test_support.h"

#include <gtest/gtest.h>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

#include "platform/x11/xvfb_server.h"
#include "support/export.h"

#if defined(__SANITIZE_ADDRESS__)
// The toolkit and the libraries under it (D-Bus, fontconfig) keep allocations for the life
// of the process that the leak checker would report; the other checks stay on. The
// sanitizer runtime finds this function by its dynamic symbol, so it must be exported.
extern "C" QUENDEL_EXPORT const char* __asan_default_options() { return "detect_leaks=0"; }
#endif

namespace quendel::toolvane::uitest {

namespace {

// One X server for the whole program; the windows never need a window manager.
class XvfbEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    server_ = std::make_unique<x11::XvfbServer>(std::vector<std::string>{}, 1024, 768);
    ASSERT_TRUE(server_->running()) << server_->error();
    setenv("DISPLAY", server_->display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("LC_ALL", "en_US.UTF-8", 1);
  }
  void TearDown() override {
    // The application object goes first, so the toolkit lets go of the display before the
    // server stops.
    delete QCoreApplication::instance();
    server_.reset();
  }

 private:
  std::unique_ptr<x11::XvfbServer> server_;
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace

QApplication& clientApplication() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static int argc = 1;
  static char name[] = "toolvane_ui_tests";
  static char* argv[] = {name, nullptr};
  return *new QApplication(argc, argv);
}

void whenShown(const char* objectName, const std::function<void(QDialog*)>& driver) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, name = QString::fromUtf8(objectName), driver] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(w);
      if (dialog && w->objectName() == name && w->isVisible()) {
        timer->stop();
        timer->deleteLater();
        driver(dialog);
        return;
      }
    }
  });
  timer->start();
}

void CaptionRecorder::watch(QPushButton* button) {
  captions_.push_back(button->text());
  // The button owns the timer, so it goes with the box even when the process ends first.
  auto* timer = new QTimer(button);
  timer->setInterval(5);
  QPointer<QPushButton> guard(button);
  QObject::connect(timer, &QTimer::timeout, [this, timer, guard] {
    if (!guard || !guard->window()->isVisible()) {
      timer->stop();
      timer->deleteLater();
      return;
    }
    if (guard->text() != captions_.back()) captions_.push_back(guard->text());
  });
  timer->start();
}

void pressKey(QDialog* dialog, Qt::Key key) {
  QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
  QTest::keyClick(target, key);
}

QPushButton* button(QDialog* dialog, int index) {
  return dialog->findChild<QPushButton*>(QStringLiteral("cmdButton%1").arg(index));
}

std::vector<QPushButton*> visibleButtons(QDialog* dialog) {
  std::vector<QPushButton*> out;
  for (auto* b : dialog->findChildren<QPushButton*>())
    if (b->isVisible()) out.push_back(b);
  std::sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
  return out;
}

}  // namespace quendel::toolvane::uitest
