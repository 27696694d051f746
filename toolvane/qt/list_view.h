// The list views of a Qt client: QTreeView, QTreeWidget, QTableView and QTableWidget as
// the library's list-view controls.
//
//   ObjectPtr view = qt::adapt(ui->treeFiles);                 // "ListView"
//   settings->call(u"SaveListViewColumns2", {Variant(view), Variant(u"Files"), Variant(app)});
//
// - hWnd: the view's own native window, made on first use; from then on the window
//   answers LVM_GETCOLUMNWIDTH (0x101D: wParam the column from 0, the answer its width)
//   and LVM_SETCOLUMNWIDTH (0x101E: the width in the low word of lParam, LVSCW_AUTOSIZE
//   (-1) and LVSCW_AUTOSIZE_USEHEADER (-2) fit the column to its contents; the answer
//   TRUE, or FALSE for a column the view lacks). Widths are pixels of the view's screen
//   (the toolkit's sizes times its device pixel ratio). SendMessageA from this process
//   runs the answer at once; other processes' messages are answered from the client's
//   event loop.
// - ColumnHeaders: an object whose Count is the number of columns (the header's sections).
#pragma once

#include <QAbstractItemView>
#include <QHeaderView>

#include "automation/dispatch.h"
#include "platform/window/window.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

constexpr UINT LVM_GETCOLUMNWIDTH = 0x101D;
constexpr UINT LVM_SETCOLUMNWIDTH = 0x101E;

// Whether a widget is one of the views shown as a list view.
bool isListView(const QWidget* widget);
// The header whose sections are the view's columns; null for another widget.
QHeaderView* columnHeader(const QWidget* view);
// The view's native window with the column messages answered; made on first call.
HWND listViewWindow(QAbstractItemView& view);
// What the view's window answers to a message.
LRESULT answerListViewMessage(QAbstractItemView& view, UINT message, WPARAM wParam, LPARAM lParam);
// The ColumnHeaders object of a view.
automation::ObjectPtr columnHeadersOf(QAbstractItemView& view);

// Makes the client's event loop answer the window messages other processes send to this
// process's windows (once per process; needs a QCoreApplication).
void answerWindowMessagesFromEventLoop();

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
