// The timed message box in real windows, under the test program's own X server.
#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include <string>

#include "automation/variant.h"
#include "toolvane/errors/error500.h"
#include "toolvane/errors/qnd_err.h"
#include "toolvane/ui/ui_test_support.h"
#include "toolvane/ui_api/ui_library.h"

namespace qt = quendel::toolvane;
namespace ut = quendel::toolvane::uitest;
using quendel::automation::Variant;

namespace {

// First in the program: no application object exists yet, so the library makes one.
TEST(UiFoundation, CreatesTheApplicationOnDemand) {
  if (QCoreApplication::instance()) GTEST_SKIP() << "an earlier test made the application object";
  EXPECT_TRUE(qt::ui::windowsAvailable());
  // No driver can run before the application exists; the one-second count-down ends it.
  LONG result = qt::ShowTimedMessageBox(u"On demand", 4, Variant(u"T"), -1, -1, 1);
  EXPECT_EQ(result, 6);
  EXPECT_TRUE(qt::ui::isLoaded());
  ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
  EXPECT_EQ(QCoreApplication::instance()->thread(), QThread::currentThread());
}

TEST(UiFoundation, UsesTheClientsApplication) {
  QApplication& mine = ut::clientApplication();
  ut::whenShown("frmError500", [](QDialog* d) { ut::pressKey(d, Qt::Key_Return); });
  EXPECT_EQ(qt::ShowTimedMessageBox(u"Reused", 0, Variant(u"T"), -1, -1, 15), 1);
  EXPECT_EQ(QCoreApplication::instance(), &mine);
}

TEST(TimedBox, EveryButtonSetWithEsc) {
  ut::clientApplication();
  struct Row {
    LONG style;
    std::vector<QString> captions;  // as shown, the default one with its count
    int defaultIndex;
    LONG escResult;  // 0: Esc does nothing here
  } rows[] = {
      {0, {"OK (15)"}, 0, 1},
      {1, {"OK (15)", "Cancel"}, 0, 2},
      {2, {"&Abort", "&Retry (15)", "&Ignore"}, 1, 3},
      {3, {"&Yes (15)", "&No", "Cancel"}, 0, 2},
      {4, {"&Yes (15)", "&No"}, 0, 7},
      {5, {"&Retry (15)", "Cancel"}, 0, 2},
  };
  for (const auto& r : rows) {
    std::vector<QString> seen;
    bool defaultOk = false;
    ut::whenShown("frmError500", [&](QDialog* d) {
      for (auto* b : ut::visibleButtons(d)) seen.push_back(b->text());
      defaultOk = ut::button(d, r.defaultIndex)->isDefault() && d->focusWidget() == ut::button(d, r.defaultIndex);
      ut::pressKey(d, Qt::Key_Escape);
    });
    EXPECT_EQ(qt::ShowTimedMessageBox(u"Button set", r.style, Variant(u"T"), -1, -1, 15), r.escResult) << r.style;
    EXPECT_EQ(seen, r.captions) << r.style;
    EXPECT_TRUE(defaultOk) << r.style;
  }
}

TEST(TimedBox, DefaultAndCancelOverrides) {
  ut::clientApplication();
  struct Row {
    LONG style, def, cancel;
    Qt::Key key;
    int countdownIndex;
    LONG result;
  } rows[] = {
      {2, 2, -1, Qt::Key_Return, 2, 5},  // Ignore becomes default and counts down
      {2, 2, -1, Qt::Key_Escape, 2, 3},  // Abort stays the Esc button
      {1, -1, 5, Qt::Key_Escape, 0, 2},  // too large: Cancel stays the Esc button
      {3, 1, 0, Qt::Key_Escape, 1, 6},   // Esc presses Yes
      {3, 1, 0, Qt::Key_Return, 1, 7},  {4, 5, 5, Qt::Key_Return, 0, 6}, {0, 0, 0, Qt::Key_Escape, 0, 1},
  };
  for (const auto& r : rows) {
    QString countdown;
    ut::whenShown("frmError500", [&](QDialog* d) {
      countdown = ut::button(d, r.countdownIndex)->text();
      ut::pressKey(d, r.key);
    });
    EXPECT_EQ(qt::ShowTimedMessageBox(u"Overrides", r.style, Variant(u"T"), r.def, r.cancel, 15), r.result)
        << r.style << " " << r.def << " " << r.cancel;
    EXPECT_TRUE(countdown.endsWith(" (15)")) << countdown.toStdString();
  }
}

TEST(TimedBox, CountDownShowsOneThenZeroThenPressesTheDefault) {
  ut::clientApplication();
  ut::CaptionRecorder recorder;
  ut::whenShown("frmError500", [&](QDialog* d) { recorder.watch(ut::button(d, 1)); });
  // Yes, No, Cancel with No as default: the count-down ends with No.
  EXPECT_EQ(qt::ShowTimedMessageBox(u"Counting", 3, Variant(u"T"), 1, -1, 1), 7);
  EXPECT_EQ(recorder.captions(), (std::vector<QString>{"&No (1)", "&No (0)"}));
}

TEST(TimedBox, ClickAndCloseBox) {
  ut::clientApplication();
  ut::whenShown("frmError500", [](QDialog* d) { QTest::mouseClick(ut::button(d, 1), Qt::LeftButton); });
  EXPECT_EQ(qt::ShowTimedMessageBox(u"Click", 3, Variant(u"T"), -1, -1, 15), 7);
  // The close box ends the box as button 0, whatever the default.
  ut::whenShown("frmError500", [](QDialog* d) { d->close(); });
  EXPECT_EQ(qt::ShowTimedMessageBox(u"Close", 5, Variant(u"T"), 1, -1, 15), 4);
}

TEST(TimedBox, CaptionRules) {
  ut::clientApplication();
  struct Row {
    Variant title;
    QString caption;
  } rows[] = {{Variant::missing(), "toolvane_ui_tests"}, {Variant(u""), " "}, {Variant(u"Backup"), "Backup"}};
  for (const auto& r : rows) {
    QString caption;
    ut::whenShown("frmError500", [&](QDialog* d) {
      caption = d->windowTitle();
      ut::pressKey(d, Qt::Key_Escape);
    });
    qt::ShowTimedMessageBox(u"Caption", 0, r.title, -1, -1, 15);
    EXPECT_EQ(caption, r.caption);
  }
}

TEST(TimedBox, LayoutNumbers) {
  ut::clientApplication();
  // 96 DPI: 15 twips per pixel. Style 0: no icon, everything 810 twips (54 px) left.
  QSize size;
  QRect button0;
  ut::whenShown("frmError500", [&](QDialog* d) {
    size = d->size();
    button0 = ut::button(d, 0)->geometry();
    ut::pressKey(d, Qt::Key_Escape);
  });
  qt::ShowTimedMessageBox(u"Short text", 0, Variant(u"T"), -1, -1, 15);
  EXPECT_EQ(size.width(), (6195 - 810) / 15);
  EXPECT_EQ(button0.left(), (4560 - 810) / 15);
  EXPECT_EQ(button0.size(), QSize(97, 29));

  // With an icon the design width stays.
  ut::whenShown("frmError500", [&](QDialog* d) {
    size = d->size();
    button0 = ut::button(d, 0)->geometry();
    ut::pressKey(d, Qt::Key_Escape);
  });
  qt::ShowTimedMessageBox(u"Short text", 16, Variant(u"T"), -1, -1, 15);
  EXPECT_EQ(size.width(), 6195 / 15);
  EXPECT_EQ(button0.left(), 4560 / 15);

  // A text taller than the screen is cut at screen height - 200 px (768 - 200 = 568):
  // top margin, text, the gap of two margins, the buttons, the bottom margin.
  std::u16string tall;
  for (int i = 0; i < 300; ++i) tall += u"line\r\n";
  int buttonTop = 0;
  ut::whenShown("frmError500", [&](QDialog* d) {
    size = d->size();
    buttonTop = ut::button(d, 0)->y();
    ut::pressKey(d, Qt::Key_Escape);
  });
  qt::ShowTimedMessageBox(tall, 48, Variant(u"T"), -1, -1, 15);
  EXPECT_EQ(buttonTop, (180 + 568 * 15 + 360) / 15);
  EXPECT_EQ(size.height(), (180 + 568 * 15 + 360 + 435 + 180) / 15);

  // A long line widens the dialog up to the screen width - 300 px; buttons stay right-aligned.
  std::u16string wide(400, u'W');
  QRect last;
  ut::whenShown("frmError500", [&](QDialog* d) {
    size = d->size();
    last = ut::visibleButtons(d).back()->geometry();
    ut::pressKey(d, Qt::Key_Escape);
  });
  qt::ShowTimedMessageBox(wide, 64 | 1, Variant(u"T"), -1, -1, 15);
  EXPECT_GT(size.width(), 6195 / 15);
  EXPECT_LE(size.width(), 1024);
  EXPECT_EQ(size.width() - (last.left() + last.width()), 12);  // the 180-twip right margin
}

TEST(TimedBox, BoxIsCentredAndModal) {
  ut::clientApplication();
  QRect frame;
  bool modal = false;
  ut::whenShown("frmError500", [&](QDialog* d) {
    frame = d->frameGeometry();
    modal = d->isModal();
    ut::pressKey(d, Qt::Key_Escape);
  });
  qt::ShowTimedMessageBox(u"Centre", 16, Variant(u"T"), -1, -1, 15);
  EXPECT_TRUE(modal);
  EXPECT_NEAR(frame.center().x(), 512, 2);
  EXPECT_NEAR(frame.center().y(), 384, 2);
}

TEST(TimedBox, ThroughQndErrLateBound) {
  ut::clientApplication();
  auto err = std::make_shared<qt::qndErr>();
  QString caption;
  ut::whenShown("frmError500", [&](QDialog* d) {
    caption = ut::button(d, 0)->text();
    ut::pressKey(d, Qt::Key_Return);
  });
  EXPECT_EQ(err->call(u"ShowErrorBox", {Variant(u"Late bound"), Variant(LONG{4})}).toLong(), 6);
  EXPECT_EQ(caption, "&Yes (15)");
}

TEST(TimedBox, RussianCaptions) {
  ut::clientApplication();
  setenv("LC_ALL", "ru_RU.UTF-8", 1);
  std::vector<QString> seen;
  ut::whenShown("frmError500", [&](QDialog* d) {
    for (auto* b : ut::visibleButtons(d)) seen.push_back(b->text());
    ut::pressKey(d, Qt::Key_Escape);
  });
  EXPECT_EQ(qt::ShowTimedMessageBox(u"Текст", 3, Variant(u"Т"), -1, -1, 15), 2);
  setenv("LC_ALL", "en_US.UTF-8", 1);
  EXPECT_EQ(seen, (std::vector<QString>{QString::fromUtf8("&Да (15)"), QString::fromUtf8("&Нет"),
                                        QString::fromUtf8("Отмена")}));
}

}  // namespace
