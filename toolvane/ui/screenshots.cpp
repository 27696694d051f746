// Renders the timed message box and the About box under a private X server and writes PNG
// pictures of them, so that anyone can look at the boxes without a desktop:
//
//   toolvane_screenshots build/screenshots
//
// Styles 0, 16+4 and 48+2, each with a two-line text and with one long text; every page of
// the About box and its update page's states at 96 and at 144 DPI (each DPI in a process of
// its own, "toolvane_screenshots FOLDER --about DPI"), with no label's text clipped. The title bar
// is drawn by the toolkit's style around the box's own picture (there is no window manager
// under the private server). Exit status 0 when every picture was written.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation/variant.h"
#include "platform/x11/xvfb_server.h"
#include "toolvane/errors/error500.h"

namespace qt = quendel::toolvane;

namespace {

// The box's picture inside a title bar and a thin frame, as a desktop would show it.
QImage framed(QDialog* box) {
  QPixmap client = box->grab();
  QStyle* style = box->style();
  int titleHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
  const int border = 1;
  QImage image(client.width() + 2 * border, client.height() + titleHeight + 2 * border, QImage::Format_ARGB32);
  image.fill(box->palette().color(QPalette::Dark));
  QPainter painter(&image);
  QStyleOptionTitleBar bar;
  bar.initFrom(box);
  bar.rect = QRect(border, border, client.width(), titleHeight);
  bar.text = box->windowTitle();
  bar.titleBarFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton;
  bar.state = QStyle::State_Active | QStyle::State_Enabled;
  bar.titleBarState = Qt::WindowActive;
  bar.palette.setCurrentColorGroup(QPalette::Active);
  style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, box);
  painter.drawPixmap(border, border + titleHeight, client);
  return image;
}

bool shoot(const QString& file, const std::u16string& text, LONG style, const char16_t* title) {
  bool saved = false;
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [&saved, timer, file] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QDialog*>(w);
      if (!box || box->objectName() != "frmError500" || !box->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      saved = framed(box).save(file, "PNG");
      box->close();
      return;
    }
  });
  timer->start();
  qt::ShowTimedMessageBox(text, style, quendel::automation::Variant(title), -1, -1, 15);
  // Messages to the terminal; the exit status reports the outcome even if they are lost.
  (void)std::fprintf(stdout, "%s %s\n", saved ? "wrote" : "FAILED", file.toUtf8().constData());
  return saved;
}

// The About box at one DPI, in a process of its own (about_screenshots.cpp).
int aboutBoxAt(const char* folder, int dpi) {
  char self[4096] = {};
  if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  setenv("QT_FONT_DPI", std::to_string(dpi).c_str(), 1);
  std::string command = std::string("'") + self + "' '" + folder + "' --about " + std::to_string(dpi);
  int status = std::system(command.c_str());
  unsetenv("QT_FONT_DPI");
  return status == 0 ? 0 : 1;
}

}  // namespace

int shootAboutBox(const QString& folder, int dpi);

int main(int argc, char** argv) {
  QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  if (argc > 3 && std::string(argv[2]) == "--about") {
    static int aboutArgc = 1;
    static char aboutName[] = "toolvane_screenshots";
    static char* aboutArgv[] = {aboutName, nullptr};
    QApplication app(aboutArgc, aboutArgv);
    return shootAboutBox(folder, std::atoi(argv[3]));
  }
  if (!QDir().mkpath(folder)) {
    (void)std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }
  quendel::x11::XvfbServer server({}, 1024, 768);
  if (!server.running()) {
    (void)std::fprintf(stderr, "%s\n", server.error().c_str());
    return 1;
  }
  setenv("DISPLAY", server.display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  unsetenv("WAYLAND_DISPLAY");
  int ok = 0, total = 0;
  {
    static int appArgc = 1;
    static char name[] = "toolvane_screenshots";
    static char* appArgv[] = {name, nullptr};
    QApplication app(appArgc, appArgv);
    const std::u16string twoLines =
        u"The archive could not be written.\r\nCheck the free space on the disk and try again.";
    const std::u16string longText =
        u"The backup of \"Documents\" stopped because the destination disk is full. Free some space on the "
        u"disk or choose another destination, then start the backup again. Files that were already copied "
        u"are kept.\r\n\r\nDetails:\tERROR_DISK_FULL (112)\r\nDestination:\t/media/backup/Documents & Photos";
    struct Shot {
      const char* name;
      LONG style;
    } shots[] = {{"style0", 0}, {"style16+4", 16 + 4}, {"style48+2", 48 + 2}};
    for (const auto& s : shots) {
      total += 2;
      ok += shoot(folder + "/timed_box_" + s.name + "_two_lines.png", twoLines, s.style, u"Backup");
      ok += shoot(folder + "/timed_box_" + s.name + "_long_text.png", longText, s.style, u"Backup");
    }
  }
  QByteArray where = folder.toLocal8Bit();
  int about = aboutBoxAt(where.constData(), 96) + aboutBoxAt(where.constData(), 144);
  return ok == total && about == 0 ? 0 : 1;
}
