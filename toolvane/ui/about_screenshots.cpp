// The About box for "make screenshots": every page at one DPI, and the update page before
// a check, after a failed one and after a successful one (against a server of its own on
// 127.0.0.1). Run by screenshots.cpp in a process of its own per DPI, since the toolkit
// reads the DPI once. Also checks that no label's text is wider than its label.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "automation/activation.h"
#include "automation/variant.h"
#include "toolvane/ui/label_fit.h"

namespace {

using quendel::automation::NamedArg;
using quendel::automation::Variant;

// The box inside a title bar, as a desktop would show it.
QImage framed(QDialog* box) {
  // Above 96 DPI the toolkit scales the window, and the grab holds its device pixels:
  // the picture keeps them, and everything else is painted in the window's units.
  QPixmap client = box->grab();
  qreal scale = client.devicePixelRatio();
  QSize size = client.deviceIndependentSize().toSize();
  QStyle* style = box->style();
  int titleHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
  QImage image(QSize(size.width() + 2, size.height() + titleHeight + 2) * scale, QImage::Format_ARGB32);
  image.setDevicePixelRatio(scale);
  image.fill(box->palette().color(QPalette::Dark));
  QPainter painter(&image);
  QStyleOptionTitleBar bar;
  bar.initFrom(box);
  bar.rect = QRect(1, 1, size.width(), titleHeight);
  bar.text = box->windowTitle();
  bar.titleBarFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton;
  bar.state = QStyle::State_Active | QStyle::State_Enabled;
  bar.titleBarState = Qt::WindowActive;
  style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, box);
  painter.drawPixmap(1, 1 + titleHeight, client);
  return image;
}

// Labels whose text does not fit them, by name.
int clippedLabels(QDialog* d, const QString& where) {
  int clipped = 0;
  for (QLabel* l : d->findChildren<QLabel*>()) {
    if (quendel::toolvane::ui::labelFits(*l)) continue;
    (void)std::fprintf(stderr, "CLIPPED %s: %s\n", where.toUtf8().constData(), l->objectName().toUtf8().constData());
    ++clipped;
  }
  return clipped;
}

void wait(int ms) {
  // A timer of our own: the analyzer cannot follow singleShot's ownership.
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(ms);
  loop.exec();
}

void nextPage(QDialog* d) {
  QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QApplication::sendEvent(d->focusWidget() ? d->focusWidget() : d, &key);
  wait(50);
}

int visiblePage(QDialog* d) {
  for (int i = 0; i < 6; ++i)
    if (auto* f = d->findChild<QWidget*>(QStringLiteral("fraTab(%1)").arg(i)); f && f->isVisibleTo(d)) return i;
  return -1;
}

// One HTTP answer with the version file, then the thread ends.
class VersionServer {
 public:
  explicit VersionServer(std::string body) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(fd_, 4) != 0) return;
    (void)::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, body = std::move(body)] {
      int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) return;
      char request[4096];
      (void)::recv(c, request, sizeof request, 0);
      std::string answer = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
      (void)::send(c, answer.data(), answer.size(), MSG_NOSIGNAL);
      ::close(c);
    });
  }
  ~VersionServer() {
    ::shutdown(fd_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
  }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// Shows the box and runs shoot on it once it is visible; shoot closes it.
void withAboutBox(std::vector<NamedArg> named, const std::function<void(QDialog*)>& shoot) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, shoot] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QDialog*>(w);
      if (!box || box->objectName() != QLatin1String("frmAbout") || !box->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      wait(100);
      shoot(box);
      box->reject();
      return;
    }
  });
  timer->start();
  std::vector<Variant> args{Variant(u"Pixgrow")};
  quendel::automation::createObject(u"TvFuncs0305.qndMain")
      ->invoke(u"ShowAboutBoxEx", quendel::automation::InvokeKind::Method, args, named);
}

}  // namespace

int shootAboutBox(const QString& folder, int dpi) {
  int written = 0, failed = 0;
  auto save = [&](QDialog* d, const QString& name) {
    QString file = QStringLiteral("%1/about_%2_%3dpi.png").arg(folder, name).arg(dpi);
    bool ok = framed(d).save(file, "PNG");
    (void)std::fprintf(stdout, "%s %s\n", ok ? "wrote" : "FAILED", file.toUtf8().constData());
    ok ? ++written : ++failed;
    failed += clippedLabels(d, file);
  };
  const char* pageNames[] = {"main", "description", "modules", "process_times", "system_info", "update"};
  std::vector<NamedArg> named{
      {u"VerMajor", Variant(LONG{1})},
      {u"VerMinor", Variant(LONG{9})},
      {u"VerRevision", Variant(LONG{5})},
      {u"Description", Variant(u"Pixgrow doubles small pixel pictures.\r\n\r\nEach pixel becomes a block of 2 x 2 "
                               u"pixels, filled by one of four methods.")}};
  // The downloads go to a cache folder beside the pictures.
  setenv("XDG_CACHE_HOME", (folder + QStringLiteral("/cache")).toLocal8Bit().constData(), 1);
  // The discard port, where nothing listens: a check fails at once.
  setenv("QUENDEL_UPDATE_HOST", "127.0.0.1:9", 1);
  withAboutBox(named, [&](QDialog* d) {
    for (int step = 0; step < 6; ++step) {
      int page = visiblePage(d);
      save(d, QString::fromLatin1(pageNames[page]));
      if (page == 5) break;
      nextPage(d);
    }
  });
  // After a failed and a successful check.
  withAboutBox(named, [&](QDialog* d) {
    while (visiblePage(d) != 5) nextPage(d);
    if (auto* b = d->findChild<QPushButton*>(QStringLiteral("cmdUpdateCheck"))) b->click();
    save(d, QStringLiteral("update_failed"));
  });
  VersionServer site("1.10.0");
  setenv("QUENDEL_UPDATE_HOST", ("127.0.0.1:" + std::to_string(site.port())).c_str(), 1);
  withAboutBox(named, [&](QDialog* d) {
    while (visiblePage(d) != 5) nextPage(d);
    if (auto* b = d->findChild<QPushButton*>(QStringLiteral("cmdUpdateCheck"))) b->click();
    save(d, QStringLiteral("update_newer"));
  });
  return failed == 0 && written > 0 ? 0 : 1;
}
