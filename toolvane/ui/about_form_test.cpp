// The About box in real windows, under the test program's own X server and a private
// session bus, driven through qndMain's members by name as a client calls them.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <array>
#include <filesystem>
#include <fstream>

#include "automation/activation.h"
#include "automation/std_picture.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon_pixels.h"
#include "platform/resources/load_image.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "support/test_processes.h"
#include "support/testing.h"
#include "toolvane/about/process_times.h"
#include "toolvane/clipboard/qnd_clipboard.h"
#include "toolvane/frame/fake_client_objects.h"
#include "toolvane/general/icon_picture.h"
#include "toolvane/general/resource_icon.h"
#include "toolvane/ui/label_fit.h"
#include "toolvane/ui/ui_test_support.h"

namespace ut = quendel::toolvane::uitest;
namespace fs = std::filesystem;
using quendel::BStr;
using quendel::automation::NamedArg;
using quendel::automation::ObjectPtr;
using quendel::automation::StdPicture;
using quendel::automation::Variant;
using quendel::testing::ChildProcess;
using quendel::testing::errorOf;
using quendel::toolvane::testing::FakeControl;

namespace {

// A private session bus for the whole program, so that no call reaches the user's desktop.
class SessionBus : public testing::Environment {
 public:
  void SetUp() override {
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address"});
    std::string address = daemon_->readLine();
    ASSERT_FALSE(address.empty()) << "dbus-daemon did not start";
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  }
  void TearDown() override { daemon_.reset(); }

 private:
  std::unique_ptr<ChildProcess> daemon_;
};

testing::Environment* const bus = testing::AddGlobalTestEnvironment(new SessionBus);

// The file manager's side of ShowItemProperties: remembers the addresses it was given.
class FileManager : public QDBusVirtualObject {
 public:
  bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
    if (message.member() == QLatin1String("ShowItemProperties") && !message.arguments().isEmpty())
      calls.push_back(message.arguments().at(0).toStringList());
    return true;
  }
  QString introspect(const QString&) const override { return {}; }
  std::vector<QStringList> calls;
};

ObjectPtr qndMain() { return quendel::automation::createObject(u"TvFuncs0305.qndMain"); }

QString q(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

template <class T = QWidget>
T* child(QDialog* d, const char* name) {
  T* w = d->findChild<T*>(QString::fromUtf8(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

// The index of the page frame that shows, −1 when none does.
int visiblePage(QDialog* d) {
  int found = -1;
  for (int i = 0; i < 6; ++i)
    if (child(d, ("fraTab(" + std::to_string(i) + ")").c_str())->isVisibleTo(d)) found = found == -1 ? i : -2;
  return found;
}

// Runs the About box with the driver once it shows; the driver closes it (else Escape).
void showAbout(const std::function<void()>& call, const std::function<void(QDialog*)>& driver) {
  ut::clientApplication();
  bool shown = false;
  ut::whenShown("frmAbout", [&](QDialog* d) {
    shown = true;
    driver(d);
    if (d->isVisible()) d->reject();
  });
  call();
  EXPECT_TRUE(shown);
}

void showAboutEx(std::vector<Variant> args, std::vector<NamedArg> named, const std::function<void(QDialog*)>& driver) {
  showAbout(
      [&] {
        std::vector<Variant> a = std::move(args);
        qndMain()->invoke(u"ShowAboutBoxEx", quendel::automation::InvokeKind::Method, a, named);
      },
      driver);
}

// The pages this process keeps besides the main and system pages, in order.
std::vector<int> expectedPages(bool description) {
  std::vector<int> pages{0};
  if (description) pages.push_back(1);
  pages.push_back(2);  // a test program always has modules
  std::array<quendel::automation::String, 5> times;
  if (quendel::toolvane::FillProcessTimes(&times)) pages.push_back(3);
  pages.push_back(4);
  pages.push_back(5);  // the host has an internal name ("Dummy" at least)
  return pages;
}

TEST(AboutBox, OnlyATitle) {
  showAboutEx({Variant(u"My tool")}, {}, [](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(child<QLabel>(d, "lblTitle")->text(), QStringLiteral("My tool"));
    EXPECT_EQ(child<QLabel>(d, "lblVersion(1)")->text(), q(asFormatVersion(1, 0, 0)));
    EXPECT_EQ(child<QLabel>(d, "lblAuthor(1)")->text(), QStringLiteral("Мира Сольт"));
    EXPECT_EQ(child<QLabel>(d, "lblEMail(1)")->text(), QStringLiteral("mira.solt@kestrane.org"));
    EXPECT_TRUE(child<QLabel>(d, "lblEMail(1)")->font().underline());
    EXPECT_EQ(child<QLabel>(d, "lblDevote")->text(), QStringLiteral("Посвящается Ноэми"));
    EXPECT_EQ(child<QLabel>(d, "imgNoemi")->toolTip(), QStringLiteral("Ноэми"));
    // The resource picture, 64 x 62, and the resource icon.
    QLabel* picture = child<QLabel>(d, "imgNoemi");
    EXPECT_TRUE(picture->isVisibleTo(d));
    EXPECT_EQ(picture->pixmap().size(), QSize(64, 62));
    QWidget* icon = child(d, "imgIcon");
    QImage drawn = icon->grab().toImage();
    EXPECT_NE(drawn.pixelColor(16, 16), drawn.pixelColor(0, 0)) << "the icon is drawn";
    // No description page; the main page first.
    EXPECT_EQ(visiblePage(d), 0);
    EXPECT_FALSE(child(d, "fraTab(1)")->isVisibleTo(d));
    EXPECT_EQ(d->focusWidget(), child(d, "cmdOK"));
  });
}

TEST(AboutBox, EmptyEMailMovesTheDedicationUp) {
  int emailRow = -1, devoteRow = -1;
  showAboutEx({Variant(u"With e-mail")}, {}, [&](QDialog* d) {
    emailRow = child(d, "lblEMail(0)")->y();
    devoteRow = child(d, "lblDevote")->y();
  });
  ASSERT_GT(devoteRow, emailRow);
  showAboutEx({Variant(u"Without")}, {{u"AuthorEMail", Variant(u"")}}, [&](QDialog* d) {
    EXPECT_FALSE(child(d, "lblEMail(0)")->isVisibleTo(d));
    EXPECT_FALSE(child(d, "lblEMail(1)")->isVisibleTo(d));
    EXPECT_EQ(child(d, "lblDevote")->y(), emailRow);
  });
}

TEST(AboutBox, PictureNothingEmptyOrOwn) {
  HBITMAP bitmap = LoadBitmapA(GetModuleHandleA("toolvane0305"), "NOEMI_0001");
  ASSERT_NE(bitmap, nullptr);
  ObjectPtr own = quendel::toolvane::asGetBitmapFromHandle(bitmap);
  ObjectPtr empty = StdPicture::create({});
  ObjectPtr uninitialised = StdPicture::create({.type = quendel::automation::Integer{0}, .handle = 1});
  struct Case {
    const char* what;
    Variant picture;
    bool visible;
    QSize size;
    int right, bottom;  // from the page's edges, pixels
  } cases[] = {
      {"Nothing: the resource picture", Variant(ObjectPtr{}), true, QSize(64, 62), 8, 8},
      {"handle 0", Variant(empty), false, {}, 0, 0},
      {"type 0", Variant(uninitialised), false, {}, 0, 0},
      {"own picture, at the bottom right", Variant(own), true, QSize(290, 160), 5, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    showAboutEx({Variant(u"Pictures")}, {{u"Picture", c.picture}, {u"PictureToolTipText", Variant(u"Tip")}},
                [&](QDialog* d) {
                  auto* picture = child<QLabel>(d, "imgNoemi");
                  EXPECT_EQ(picture->isVisibleTo(d), c.visible);
                  EXPECT_EQ(picture->toolTip(), QStringLiteral("Tip"));
                  if (!c.visible) return;
                  QWidget* page = child(d, "fraTab(0)");
                  EXPECT_EQ(picture->pixmap().size(), c.size);
                  EXPECT_EQ(page->width() - picture->geometry().right() - 1, c.right);
                  EXPECT_EQ(page->height() - picture->geometry().bottom() - 1, c.bottom);
                  // Nothing it covers: the text rows end above it.
                  EXPECT_LE(child(d, "lblDevote")->geometry().bottom(), picture->geometry().top());
                });
  }
}

constexpr int kIconTries = 100, kIconWaitMs = 20;

TEST(AboutBox, ShowAboutBox2WithoutSmallIconUsesTheIcon) {
  auto icon = quendel::toolvane::asLoadResIconEx(u"PROXY", GetModuleHandleA("toolvane0305"));
  auto app = FakeControl::create(u"App", nullptr,
                                 {{u"Title", Variant(u"Two")},
                                  {u"Major", Variant(LONG{2})},
                                  {u"Minor", Variant(LONG{5})},
                                  {u"Revision", Variant(LONG{7})}});
  showAbout(
      [&] {
        qndMain()->call(u"ShowAboutBox2", {Variant(ObjectPtr(icon)), Variant(ObjectPtr{}), Variant(ObjectPtr(app))});
      },
      [&](QDialog* d) {
        EXPECT_EQ(child<QLabel>(d, "lblTitle")->text(), QStringLiteral("Two"));
        EXPECT_EQ(child<QLabel>(d, "lblVersion(1)")->text(), q(asFormatVersion(2, 5, 7)));
        // FormIcon's icons go on in the turn of the event loop after the window is mapped.
        HICON small = nullptr;
        for (int tries = 0; tries < kIconTries && !small; ++tries) {
          if (tries > 0) QThread::msleep(kIconWaitMs);
          QCoreApplication::processEvents();
          ASSERT_EQ(asGetWindowIconSmall(reinterpret_cast<HWND>(d->winId()), &small), S_OK);
        }
        ASSERT_NE(small, nullptr) << "the caption icon is the icon";
        quendel::gdi::IconPixels shown, given;
        ASSERT_TRUE(quendel::gdi::iconPixels(small, &shown));
        ASSERT_TRUE(quendel::gdi::iconPixels(reinterpret_cast<HICON>(icon->Handle()), &given));
        EXPECT_EQ(shown.width, given.width);
        EXPECT_EQ(shown.argb, given.argb);
        (void)DestroyIcon(small);
      });
}

TEST(AboutBox, AppObjectErrorsReachTheCallerAndNoWindowShows) {
  ut::clientApplication();
  struct Case {
    const char* what;
    std::map<quendel::automation::String, Variant> values;
    LONG error;
  } cases[] = {
      {"no Major", {{u"Title", Variant(u"T")}, {u"Minor", Variant(LONG{0})}, {u"Revision", Variant(LONG{0})}}, 438},
      {"Major no number",
       {{u"Title", Variant(u"T")},
        {u"Major", Variant(u"x")},
        {u"Minor", Variant(LONG{0})},
        {u"Revision", Variant(LONG{0})}},
       13},
      {"Revision beyond a Long",
       {{u"Title", Variant(u"T")},
        {u"Major", Variant(LONG{1})},
        {u"Minor", Variant(LONG{0})},
        {u"Revision", Variant(1e12)}},
       6},
  };
  int shows = 0;
  ut::whenShown("frmAbout", [&](QDialog* d) {
    ++shows;
    d->reject();
  });
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto app = FakeControl::create(u"App", nullptr, c.values);
    EXPECT_EQ(
        errorOf([&] {
          qndMain()->call(u"ShowAboutBox2", {Variant(ObjectPtr{}), Variant(ObjectPtr{}), Variant(ObjectPtr(app))});
        }),
        c.error);
    EXPECT_EQ(errorOf([&] {
                qndMain()->call(u"ShowAboutBox", {Variant(ObjectPtr{}), Variant(ObjectPtr(app))});
              }),
              c.error);
  }
  EXPECT_EQ(errorOf([&] { qndMain()->call(u"ShowAboutBox", {Variant(ObjectPtr{}), Variant(ObjectPtr{})}); }), 91);
  // The driver is still waiting: the first box it closes is this one.
  qndMain()->call(u"ShowAboutBoxEx", {Variant(u"after")});
  EXPECT_EQ(shows, 1);
}

// A key on the focused control, as a user presses it.
void key(QDialog* d, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
  QWidget* target = d->focusWidget() ? d->focusWidget() : d;
  QTest::keyClick(target, k, m);
}

TEST(AboutForm, PageKeysSkipDroppedPagesWrapAndIgnoreModifiers) {
  std::vector<int> pages = expectedPages(false);
  showAboutEx({Variant(u"Keys")}, {}, [&](QDialog* d) {
    std::vector<int> seen{visiblePage(d)};
    for (std::size_t i = 0; i < pages.size(); ++i) {
      key(d, Qt::Key_PageDown);  // also when the module list has the focus
      seen.push_back(visiblePage(d));
    }
    std::vector<int> want = pages;
    want.push_back(pages.front());  // round to the first
    EXPECT_EQ(seen, want);
    key(d, Qt::Key_PageUp);
    EXPECT_EQ(visiblePage(d), pages.back());  // from the first back to the last
    for (Qt::KeyboardModifiers m : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
      key(d, Qt::Key_PageUp, m);
      key(d, Qt::Key_PageDown, m);
      key(d, Qt::Key_Escape, m);
      EXPECT_EQ(visiblePage(d), pages.back());
      EXPECT_TRUE(d->isVisible());
    }
    key(d, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!d->isVisible(), 5000);
  });
}

TEST(AboutForm, FocusFollowsThePage) {
  showAboutEx({Variant(u"Focus")}, {{u"Description", Variant(u"Some words.")}}, [&](QDialog* d) {
    std::map<int, const char*> focus = {{0, "cmdOK"}, {1, "txtDescription"}, {2, "lstModules"},
                                        {3, "cmdOK"}, {4, "cmdOK"},          {5, "cmdUpdateCheck"}};
    for (std::size_t i = 0; i < expectedPages(true).size(); ++i) {
      int page = visiblePage(d);
      EXPECT_EQ(d->focusWidget(), child(d, focus[page])) << page;
      key(d, Qt::Key_PageDown);
    }
    EXPECT_EQ(child<QPlainTextEdit>(d, "txtDescription")->toPlainText(), QStringLiteral("Some words."));
  });
}

TEST(AboutForm, IconClicksGoToTheNextPage) {
  std::vector<int> pages = expectedPages(false);
  showAboutEx({Variant(u"Icon")}, {}, [&](QDialog* d) {
    QWidget* icon = child(d, "imgIcon");
    QTest::mouseClick(icon, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(visiblePage(d), pages[1]);
    // The second press of a double click, as the toolkit reports it.
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(5, 5), icon->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(icon, &second);
    EXPECT_EQ(visiblePage(d), pages[2]);
  });
}

TEST(AboutForm, ModuleListFixedPitchWidestLineAndProperties) {
  FileManager manager;
  QDBusConnection service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("file-manager"));
  ASSERT_TRUE(service.isConnected());
  ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
  ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager));
  showAboutEx({Variant(u"Modules")}, {}, [&](QDialog* d) {
    auto* list = child<QListWidget>(d, "lstModules");
    ASSERT_GT(list->count(), 1);
    EXPECT_TRUE(QFontInfo(list->font()).fixedPitch());
    EXPECT_EQ(list->currentRow(), 0);
    // Scrolled fully to the right, the widest line's end shows.
    int widest = 0;
    for (int i = 0; i < list->count(); ++i)
      widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->item(i)->text()));
    while (visiblePage(d) != 2) key(d, Qt::Key_PageDown);
    EXPECT_GE(list->horizontalScrollBar()->maximum() + list->viewport()->width(), widest);
    // No selection: nothing.
    list->clearSelection();
    list->setCurrentRow(-1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(2, list->viewport()->height() - 2));
    QTest::qWait(200);
    EXPECT_TRUE(manager.calls.empty());
    // The first line: the program's own file.
    list->setCurrentRow(0);
    QRect first = list->visualItemRect(list->item(0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
    QTRY_VERIFY_WITH_TIMEOUT(!manager.calls.empty(), 5000);
    ASSERT_EQ(manager.calls.front().size(), 1);
    EXPECT_EQ(manager.calls.front().front(),
              QUrl::fromLocalFile(QString::fromLocal8Bit(fs::canonical("/proc/self/exe").c_str()))
                  .toString(QUrl::FullyEncoded));
  });
  service.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
  service.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
  QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
}

// A folder with an xdg-open that writes what it was given, first on PATH.
class FakeOpener {
 public:
  FakeOpener() {
    char pattern[] = "/tmp/about-form-opener-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    std::ofstream script(dir_ / "xdg-open");
    script << "#!/bin/sh\necho \"$@\" >> '" << (dir_ / "log").string() << "'\n";
    script.close();
    fs::permissions(dir_ / "xdg-open", fs::perms::owner_all);
    path_ = ::getenv("PATH") ? ::getenv("PATH") : "";
    setenv("PATH", (dir_.string() + ":" + path_).c_str(), 1);
  }
  ~FakeOpener() {
    setenv("PATH", path_.c_str(), 1);
    fs::remove_all(dir_);
  }
  std::string log() const {
    std::ifstream in(dir_ / "log");
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  fs::path dir_;
  std::string path_;
};

TEST(AboutForm, EMailLinkOpensMailto) {
  FakeOpener opener;
  showAboutEx({Variant(u"Mail")}, {{u"AuthorEMail", Variant(u"someone@example.org")}}, [&](QDialog* d) {
    auto* caption = child<QLabel>(d, "lblEMail(0)");
    auto* link = child<QLabel>(d, "lblEMail(1)");
    EXPECT_EQ(link->cursor().shape(), Qt::BitmapCursor);  // MERCURY_CURSOR
    EXPECT_NE(caption->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseClick(caption, Qt::LeftButton);
    QTest::qWait(300);
    EXPECT_EQ(opener.log(), "");
    QTest::mouseClick(link, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(opener.log()), QStringLiteral("mailto:someone@example.org\n"),
                              5000);
  });
}

// Drops the dragged icon on a control, as the toolkit delivers it.
void dropIconOn(QWidget* target) {
  QMimeData data;
  data.setData(QStringLiteral("application/x-quendel-about-icon"), "imgIcon");
  QPointF at(target->width() / 2.0, target->height() / 2.0);
  QDragEnterEvent enter(at.toPoint(), Qt::MoveAction, &data, Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::MoveAction, &data, Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  ASSERT_TRUE(drop.isAccepted());
  QTest::qWait(50);
}

TEST(AboutForm, HiddenDropReactions) {
  quendel::testing::ScopedEnv debug("QUENDEL_DEBUG", "1");
  struct Case {
    const char* target;
    const char* line;
    bool closes;
  } cases[] = {
      {"imgNoemi", "Easter egg 2/4 detected!", false},    // its program is not installed
      {"cmdSysInfo", "Easter egg 3/4 detected!", false},  // nor this one
      {"cmdOK", "Easter egg 4/4 detected!", true},
      {"lblTitle", "Easter egg 1/4 detected!", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    testing::internal::CaptureStderr();
    showAboutEx({Variant(u"Drops")}, {}, [&](QDialog* d) {
      dropIconOn(child(d, c.target));
      EXPECT_EQ(d->isVisible(), !c.closes);
      if (std::string(c.target) != "lblTitle") return;
      for (QWidget* w : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) EXPECT_FALSE(w->isVisible());
      QImage shown = d->grab().toImage();
      ASSERT_GT(shown.height(), 160);
      // Black everywhere but in the picture's 290 x 160 at the top, centred.
      int left = (shown.width() - 290) / 2, inPicture = 0, outside = 0;
      for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
          bool black = shown.pixelColor(x, y) == QColor(Qt::black);
          if (x >= left && x < left + 290 && y < 160)
            inPicture += black ? 0 : 1;
          else
            outside += black ? 0 : 1;
        }
      EXPECT_EQ(outside, 0);
      EXPECT_GT(inPicture, 290 * 160 / 4);
    });
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(c.line), std::string::npos) << err;
  }
}

TEST(AboutForm, CtrlCCopiesTheReport) {
  char pattern[] = "/tmp/about-form-clip-XXXXXX";
  fs::path dir = ::mkdtemp(pattern);
  quendel::testing::ScopedEnv clip("QUENDEL_CLIPBOARD_DIR", dir.c_str());
  showAboutEx({Variant(u"Report tool")}, {{u"VerMajor", Variant(LONG{2})}}, [&](QDialog* d) {
    key(d, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(child(d, "lblCopied")->isVisible());
    EXPECT_TRUE(d->isVisible());
  });
  quendel::toolvane::qndClipboard clipboard;
  std::u16string text = clipboard.GetText();
  EXPECT_EQ(text.rfind(u"Report tool\nВерсия: 2.00.0000\n", 0), 0u) << quendel::cp::toUtf8(text);
  for (const char16_t* part : {u"\nSystem: ", u"\nFree physical memory: ", u"\nModules:\n"})
    EXPECT_NE(text.find(part), std::u16string::npos) << quendel::cp::toUtf8(part);
  fs::remove_all(dir);
}

// Every label of every kept page shows its whole text.
void expectNoClippedLabel(QDialog* d, const char* what) {
  std::vector<int> seen;
  for (int step = 0; step < 6; ++step) {
    int page = visiblePage(d);
    if (std::find(seen.begin(), seen.end(), page) != seen.end()) break;
    seen.push_back(page);
    QApplication::processEvents();
    for (QLabel* l : d->findChildren<QLabel*>())
      EXPECT_TRUE(quendel::toolvane::ui::labelFits(*l))
          << what << " page " << page << " " << l->objectName().toStdString();
    key(d, Qt::Key_PageDown);
  }
}

TEST(AboutForm, NoLabelTextIsWiderThanItsLabel) {
  showAboutEx({Variant(u"A program with a rather long title for its About box")},
              {{u"Description", Variant(u"Words.")}, {u"Author", Variant(u"Мира Сольт и другие авторы программы")}},
              [&](QDialog* d) { expectNoClippedLabel(d, "long texts"); });
  showAboutEx({Variant(u"T")}, {}, [&](QDialog* d) { expectNoClippedLabel(d, "short texts"); });
}

// A server that takes connections and never answers.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(fd_, 4) != 0) return;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size);
    port_ = ntohs(a.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(AboutForm, UpdateCheckKeepsTheWindowAliveAndClosingCancels) {
  SilentServer server;
  ASSERT_GT(server.port(), 0);
  std::string host = "127.0.0.1:" + std::to_string(server.port());
  quendel::testing::ScopedEnv where("QUENDEL_UPDATE_HOST", host.c_str());
  char pattern[] = "/tmp/about-form-cache-XXXXXX";
  fs::path cache = ::mkdtemp(pattern);
  quendel::testing::ScopedEnv xdg("XDG_CACHE_HOME", cache.c_str());
  bool busy = false, disabled = false, swallowed = false;
  int ticks = 0;
  QElapsedTimer clock;
  showAboutEx({Variant(u"Update")}, {}, [&](QDialog* d) {
    while (visiblePage(d) != 5) key(d, Qt::Key_PageDown);
    auto* button = child<QPushButton>(d, "cmdUpdateCheck");
    EXPECT_EQ(button->toolTip(),
              QString::fromStdString("http://" + host + "/programs/win32/versions/Version.Dummy.DAT"));
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    QTimer::singleShot(400, [&] {
      busy = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      disabled = !button->isEnabled();
      int before = visiblePage(d);
      QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
      QApplication::sendEvent(button, &down);
      swallowed = visiblePage(d) == before;
      d->close();  // the window's close box
    });
    clock.start();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
  });
  EXPECT_LT(clock.elapsed(), 5000) << "closing cancelled the download";
  EXPECT_TRUE(busy);
  EXPECT_TRUE(disabled);
  EXPECT_TRUE(swallowed);
  EXPECT_GE(ticks, 5) << "the window kept running its events";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  fs::remove_all(cache);
}

}  // namespace
