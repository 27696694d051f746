// Qt item views as list views: their windows answer the column messages, in this process
// and from another one, and the settings store keeps their columns.
#include <gtest/gtest.h>
#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <memory>

#include "automation/app_object.h"
#include "automation/std_picture.h"
#include "platform/registry/registry_test_support.h"
#include "platform/window/window_messages.h"
#include "support/test_processes.h"
#include "support/testing.h"
#include "toolvane/qt/list_view.h"
#include "toolvane/qt/widget_adapter.h"
#include "toolvane/settings/qnd_quendel_settings.h"
#include "toolvane/settings/qnd_registry.h"
#include "toolvane/ui/ui_test_support.h"

namespace quendel::toolvane {
namespace {

using namespace automation;
using qt::adapt;
using qt::LVM_GETCOLUMNWIDTH;
using qt::LVM_SETCOLUMNWIDTH;
using quendel::testing::builtProgram;
using quendel::testing::ChildProcess;

// One kind of view with its columns made and resized.
struct ViewKind {
  const char* name;
  std::function<QAbstractItemView*(QWidget* parent, int columns)> make;
  std::function<void(QAbstractItemView*, int columns)> setColumns;
};

void treeColumns(QAbstractItemView* v, int n) { static_cast<QTreeWidget*>(v)->setColumnCount(n); }
void tableColumns(QAbstractItemView* v, int n) { static_cast<QTableWidget*>(v)->setColumnCount(n); }

const ViewKind kKinds[] = {
    {"QTreeWidget",
     [](QWidget* p, int n) {
       auto* t = new QTreeWidget(p);
       t->setColumnCount(n);
       t->header()->setStretchLastSection(false);
       return static_cast<QAbstractItemView*>(t);
     },
     treeColumns},
    {"QTableWidget",
     [](QWidget* p, int n) {
       auto* t = new QTableWidget(2, n, p);
       t->horizontalHeader()->setStretchLastSection(false);
       return static_cast<QAbstractItemView*>(t);
     },
     tableColumns},
};

class QtListView : public ::testing::Test {
 protected:
  void SetUp() override {
    uitest::clientApplication();
    registry_.emplace("registry");
    ASSERT_TRUE(registry_->ok());
  }
  void TearDown() override { registry_.reset(); }
  static ObjectPtr app() {
    AppInfo info;
    info.title = u"Lists";
    info.major = 1;
    return AppObject::create(std::move(info));
  }
  LONG stored(int column, bool* ok) {
    std::string n = std::to_string(column);
    return reg_
        .GetValue(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\Lists\\Version 1.0\\Files",
                  u"Column " + String(n.begin(), n.end()) + u" Width", rtLong, ok)
        .toLong();
  }
  std::optional<registry::testing::PrivateRegistry> registry_;
  qndRegistry reg_;
};

TEST_F(QtListView, ViewsAnswerTheColumnMessagesInPixels) {
  for (const auto& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    QWidget form;
    QAbstractItemView* view = kind.make(&form, 3);
    QHeaderView* header = qt::columnHeader(view);
    header->resizeSection(0, 120);
    header->resizeSection(1, 45);
    form.show();
    auto a = adapt(view);
    EXPECT_EQ(a->className(), u"ListView");
    EXPECT_EQ(a->get(u"ColumnHeaders").toObject()->get(u"Count").toLong(), 3);
    HWND w = reinterpret_cast<HWND>(handleFromVariant(a->get(u"hWnd")));
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(reinterpret_cast<HWND>(handleFromVariant(a->get(u"hWnd"))), w);  // made once
    EXPECT_NE(w, reinterpret_cast<HWND>(form.winId()));                        // the view's own window
    struct Message {
      UINT message;
      WPARAM column;
      LPARAM lParam;
      LRESULT answer;
      int widthAfter;  // of the column, -1 to skip
    } messages[] = {
        {LVM_GETCOLUMNWIDTH, 0, 0, 120, 120},
        {LVM_GETCOLUMNWIDTH, 1, 0, 45, 45},
        {LVM_GETCOLUMNWIDTH, 3, 0, 0, -1},  // no such column
        {LVM_SETCOLUMNWIDTH, 1, 77, 1, 77},
        {LVM_SETCOLUMNWIDTH, 1, 0x10000 | 60, 1, 60},  // the width is the low word
        {LVM_SETCOLUMNWIDTH, 5, 60, 0, -1},
        {LVM_SETCOLUMNWIDTH, 2, -1, 1, -1},  // fitted to its contents
        {0x1234, 0, 0, 0, -1},
    };
    for (const auto& m : messages) {
      EXPECT_EQ(SendMessageA(w, m.message, m.column, m.lParam), m.answer) << std::hex << m.message << " " << m.column;
      if (m.widthAfter >= 0) {
        EXPECT_EQ(header->sectionSize(static_cast<int>(m.column)), m.widthAfter);
      }
    }
  }
}

TEST_F(QtListView, AnotherProcessReachesTheViewsWindow) {
  QWidget form;
  auto* tree = new QTreeWidget(&form);
  tree->setColumnCount(2);
  tree->header()->resizeSection(0, 133);
  form.show();
  HWND w = reinterpret_cast<HWND>(handleFromVariant(adapt(tree)->get(u"hWnd")));
  auto send = [&](UINT msg, WPARAM wp, LPARAM lp) {
    ChildProcess p({builtProgram("platform_window_helper"), "send", std::to_string(reinterpret_cast<std::uintptr_t>(w)),
                    std::to_string(msg), std::to_string(wp), std::to_string(lp)});
    // The answer comes from this event loop.
    for (int i = 0; i < 500; ++i) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      std::string line = p.readLine(10);
      if (!line.empty()) return line;
    }
    return std::string("no answer");
  };
  EXPECT_EQ(send(LVM_GETCOLUMNWIDTH, 0, 0), "133");
  EXPECT_EQ(send(LVM_SETCOLUMNWIDTH, 0, 90), "1");
  EXPECT_EQ(tree->header()->sectionSize(0), 90);
}

TEST_F(QtListView, SettingsKeepTheColumnsInTwips) {
  ASSERT_EQ(esScreenTwipsPerPixelX(), 15.0f);
  for (const auto& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    (void)reg_.DeleteKeyRecurse(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\Lists");
    QWidget form;
    QAbstractItemView* view = kind.make(&form, 3);
    QHeaderView* header = qt::columnHeader(view);
    for (int c = 0; c < 3; ++c) header->resizeSection(c, 50 + 10 * c);
    form.show();
    qndQuendelSettings s;
    ObjectPtr a = adapt(view);
    ASSERT_TRUE(s.SaveListViewColumns2(a, u"Files", app()));
    for (int c = 1; c <= 4; ++c) {
      bool ok = false;
      LONG twips = stored(c, &ok);
      EXPECT_EQ(ok, c <= 3) << c;
      if (c <= 3) {
        EXPECT_EQ(twips, (50 + 10 * (c - 1)) * 15) << c;
      }
    }
    // A fourth column later; the second loses its value.
    kind.setColumns(view, 4);
    for (int c = 0; c < 4; ++c) header->resizeSection(c, 33);
    ASSERT_TRUE(reg_.DeleteValue(kRootCurrentUser, u"Software\\Kestrane\\Quendel\\Lists\\Version 1.0\\Files",
                                 u"Column 2 Width"));
    ASSERT_TRUE(s.LoadListViewColumns2(a, u"Files", app()));
    EXPECT_EQ(header->sectionSize(0), 50);
    EXPECT_EQ(header->sectionSize(1), 33);  // nothing stored: kept
    EXPECT_EQ(header->sectionSize(2), 70);
    EXPECT_EQ(header->sectionSize(3), 33);  // added later: left alone
  }
}

TEST_F(QtListView, AGoneViewRaises364) {
  QWidget form;
  auto* tree = new QTreeWidget(&form);
  ObjectPtr headers = adapt(tree)->get(u"ColumnHeaders").toObject();
  delete tree;
  EXPECT_EQ(quendel::testing::errorOf([&] { headers->get(u"Count"); }), 364);
}

}  // namespace
}  // namespace quendel::toolvane
