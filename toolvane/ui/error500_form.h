// frmError500: the window of the timed message box (toolvane/errors/error500.h has the
// rules). Qt code of the UI part.
//
//   Error500Form form(request);     // laid out, not yet visible, count-down shown
//   form.exec();                    // modal; returns when a button or the count-down ends it
//   LONG result = buttonIndexToResult(request.style, form.RC());
//
// Names for finding it from outside (tests, accessibility): the dialog is "frmError500",
// its buttons "cmdButton0" to "cmdButton2", the timer "tmrTimeout".
// Keys: Enter presses the focused button (the default one at first); Esc presses the cancel
// button and does nothing when there is none; the close box ends the box with RC 0.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <memory>

#include "toolvane/errors/error500.h"
#include "toolvane/ui/text_block.h"
#include "toolvane/ui_api/ui_api.h"

namespace quendel::toolvane::ui {

class Error500Form : public QDialog {
 public:
  explicit Error500Form(const TimedBoxRequest& request);

  int RC() const { return rc_; }
  LONG TimeoutValue() const { return countdown_.timeoutValue(); }
  int TimeoutButtonIndex() const { return timeoutButtonIndex_; }
  const QString& TimeoutButtonCaption() const { return timeoutButtonCaption_; }
  QPushButton* cmdButton(int index) const { return buttons_[index]; }
  const Error500Layout& layout() const { return layout_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void countdownStep();
  void press(int index);

  Error500Countdown countdown_;
  std::array<QPushButton*, 3> buttons_{};
  QTimer* tmrTimeout_ = nullptr;
  int rc_ = 0;
  int timeoutButtonIndex_ = 0;
  int cancelIndex_ = -1;
  QString timeoutButtonCaption_;
  Error500Layout layout_;
  std::unique_ptr<TextBlock> text_;
  QPixmap icon_;
};

// Runs one box from start to end and returns its message-box result.
LONG runTimedMessageBox(const TimedBoxRequest& request);

}  // namespace quendel::toolvane::ui
