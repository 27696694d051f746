// The standard message box of the error display members, in real windows.
#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "automation/err_object.h"
#include "toolvane/errors/qnd_err.h"
#include "toolvane/ui/ui_test_support.h"

namespace qt = quendel::toolvane;
namespace ut = quendel::toolvane::uitest;
using quendel::RuntimeError;
using quendel::automation::Variant;

namespace {

struct Seen {
  QString title, text;
  QStringList buttons;
  QString defaultButton;
};

// Acts on the standard box when it shows: records it, then presses key or the button
// with caption press.
void drive(Seen* seen, Qt::Key key, const QString& press = {}) {
  ut::whenShown("qndMessageBox", [=](QDialog* d) {
    auto* box = static_cast<QMessageBox*>(d);
    seen->title = box->windowTitle();
    seen->text = box->text();
    for (auto* b : box->buttons()) seen->buttons << b->text();
    seen->buttons.sort();
    if (box->defaultButton()) seen->defaultButton = box->defaultButton()->text();
    if (!press.isEmpty()) {
      for (auto* b : box->buttons())
        if (b->text() == press) QTest::mouseClick(b, Qt::LeftButton);
      return;
    }
    QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
  });
}

TEST(StandardBox, ErrorDisplayAPIShowsTitleTextAndButtons) {
  ut::clientApplication();
  qt::qndErr err;
  Seen seen;
  drive(&seen, Qt::Key_Escape);
  EXPECT_EQ(err.ErrorDisplayAPI(5, 1 | 48, u"Backup", u"Can't write the archive."), 2);
  EXPECT_EQ(seen.title, "Backup");
  EXPECT_EQ(seen.text, "Can't write the archive.\r\n\r\nWin32 API error: 5\r\nDescription: Access is denied.");
  EXPECT_EQ(seen.buttons, (QStringList{"Cancel", "OK"}));
  EXPECT_EQ(seen.defaultButton, "OK");
}

TEST(StandardBox, DefaultButtonBitsAndEnter) {
  ut::clientApplication();
  qt::qndErr err;
  struct Row {
    LONG style;
    QString defaultButton;
    LONG enterResult;
  } rows[] = {{4, "&Yes", 6}, {4 | 0x100, "&No", 7}, {2 | 0x200, "&Ignore", 5}, {0 | 0x200, "OK", 1}};
  for (const auto& r : rows) {
    Seen seen;
    drive(&seen, Qt::Key_Return);
    EXPECT_EQ(err.ErrorDisplayWinMM(2, r.style, u"T"), r.enterResult) << r.style;
    EXPECT_EQ(seen.defaultButton, r.defaultButton) << r.style;
  }
}

TEST(StandardBox, HelpButtonWhenTheErrorNamesAHelpFile) {
  ut::clientApplication();
  qt::qndErr err;
  auto withHelp =
      quendel::automation::ErrObject::create(RuntimeError(5, u"", u"", u"/nonexistent/help.html", 3).info());
  Seen seen;
  drive(&seen, Qt::Key_Return, "&No");
  EXPECT_EQ(err.ErrorDisplay(Variant(withHelp), 4, u"T"), 7);
  EXPECT_EQ(seen.buttons, (QStringList{"&No", "&Yes", "Help"}));

  auto withoutHelp = quendel::automation::ErrObject::create(RuntimeError(5).info());
  Seen plain;
  drive(&plain, Qt::Key_Return);
  EXPECT_EQ(err.ErrorDisplay(Variant(withoutHelp)), 1);
  EXPECT_EQ(plain.buttons, QStringList{"OK"});
  // The caption is the application's title when Title is empty.
  EXPECT_EQ(plain.title, "toolvane_ui_tests");
}

TEST(StandardBox, SilentShowsNothing) {
  ut::clientApplication();
  qt::qndErr err;
  int before = static_cast<int>(QApplication::topLevelWidgets().size());
  EXPECT_EQ(err.ErrorDisplayAPI(5, 16, u"T", u"", true), 1);
  EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), before);
}

}  // namespace
