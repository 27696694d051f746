// frmList: the window of qndSimpleListDialog (qnd_simple_list_dialog.h has the rules). Qt
// code of the library's UI part (libtoolvane0305ui.so).
//
//   ListForm form(request);   // filled, sized and centred, not yet visible
//   form.exec();              // modal, without an owner; Esc or Enter closes it
//
// Design: a sizable tool window, client area 6735 x 4050 twips, font Tahoma 9 pt; the
// list lstList at 60, 60, 6375 x 1620, the label lblTag at 60, 2700, 5895 x 900 (twips),
// then laid out at once by the resize rule of layoutListDialog (list_dialog_request.h):
// 60-twip margins, the label keeps its height under the list, the window never lower than
// 2 x label height + frame + 120. Clicking an item shows its text after the first tab in
// lblTag. The window sees keys before its controls: Esc (27) and Enter (13) close it
// wherever the focus is. Names for finding it from outside: "frmList", "lstList", "lblTag".
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>

#include "toolvane/controls/list_dialog_request.h"

namespace quendel::toolvane::ui {

class ListForm : public QDialog {
 public:
  explicit ListForm(const ListDialogRequest& request);

  QListWidget* lstList() const { return list_; }
  QLabel* lblTag() const { return tag_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void relayout();
  void itemClicked(QListWidgetItem* item);

  QListWidget* list_;
  QLabel* tag_;
  double tagHeightTwips_ = kListDialogTagHeight;
  bool relayingOut_ = false;
};

// Shows one list dialog from start to end.
void runListDialog(const ListDialogRequest& request);

}  // namespace quendel::toolvane::ui
