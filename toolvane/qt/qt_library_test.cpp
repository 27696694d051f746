// The list dialog shown by the library in a Qt client (the client's own application
// object), under the private X server of ui_test_support.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QTest>

#include "automation/std_font.h"
#include "toolvane/controls/qnd_simple_list_dialog.h"
#include "toolvane/ui/ui_test_support.h"
#include "toolvane/ui_api/ui_library.h"

namespace quendel::toolvane {
namespace {

using namespace automation;

struct Seen {
  QString title;
  int items = -1;
  QString tagAfterFirst, tagAfterSecond;
  QString listFont;
  int heightAfterShrink = 0;
  int minimumHeight = 0;
};

class ListDialogWindow : public ::testing::Test {
 protected:
  void SetUp() override { uitest::clientApplication(); }
};

void clickItem(QListWidget* list, int row) {
  QRect r = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}

TEST_F(ListDialogWindow, CaptionLabelResizeAndEscape) {
  auto dialog = std::make_shared<qndSimpleListDialog>();
  dialog->Elements()->add(Variant(u"libc.so.6\t/usr/lib/libc.so.6\tmapped"));
  dialog->Elements()->add(Variant(u"no detail"));
  dialog->setCaption(u"Modules");
  auto font = StdFont::create();
  font->setName(u"DejaVu Sans");
  dialog->setFont(font);

  Seen seen;
  uitest::whenShown("frmList", [&](QDialog* d) {
    seen.title = d->windowTitle();
    auto* list = d->findChild<QListWidget*>(QStringLiteral("lstList"));
    auto* tag = d->findChild<QLabel*>(QStringLiteral("lblTag"));
    ASSERT_TRUE(list && tag);
    seen.items = list->count();
    seen.listFont = list->font().family();
    clickItem(list, 0);
    seen.tagAfterFirst = tag->text();
    clickItem(list, 1);
    seen.tagAfterSecond = tag->text();
    d->resize(d->width(), 10);
    seen.heightAfterShrink = d->height();
    seen.minimumHeight = d->minimumHeight();
    QTest::keyClick(list, Qt::Key_Escape);
  });
  dialog->Show();  // returns when the window has closed
  EXPECT_TRUE(ui::isLoaded());
  EXPECT_EQ(seen.title, QStringLiteral("Modules [2]"));
  EXPECT_EQ(seen.items, 2);
  EXPECT_EQ(seen.listFont, QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(seen.tagAfterFirst, QStringLiteral("/usr/lib/libc.so.6\tmapped"));
  EXPECT_EQ(seen.tagAfterSecond, QStringLiteral("no detail"));
  EXPECT_GT(seen.minimumHeight, 0);
  EXPECT_GE(seen.heightAfterShrink, seen.minimumHeight);
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_NE(w->objectName(), QStringLiteral("frmList"));  // unloaded before Show returned
}

TEST_F(ListDialogWindow, EnterClosesAndTheCaptionMayGoWithoutCount) {
  auto dialog = std::make_shared<qndSimpleListDialog>();
  dialog->setCaption(u"Empty");
  dialog->setShowCountInCaption(false);
  QString title;
  bool closed = false;
  uitest::whenShown("frmList", [&](QDialog* d) {
    title = d->windowTitle();
    QTest::keyClick(d->findChild<QLabel*>(QStringLiteral("lblTag")), Qt::Key_Return);
    closed = !d->isVisible();
  });
  dialog->Show();
  EXPECT_EQ(title, QStringLiteral("Empty"));
  EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace quendel::toolvane
