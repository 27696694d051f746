// Test helpers for the windows of the UI part: a private X server for the whole test
// program, a client application object, and drivers that act on a box once it shows.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QString>
#include <functional>
#include <vector>

namespace quendel::toolvane::uitest {

// The test program's own QApplication, as a Qt client of the library would have it.
QApplication& clientApplication();

// Calls driver with the visible top-level dialog named objectName as soon as it shows
// (polled from the event loop the box runs).
void whenShown(const char* objectName, const std::function<void(QDialog*)>& driver);

// Keeps the captions a button shows, in order, until its dialog goes.
class CaptionRecorder {
 public:
  void watch(QPushButton* button);
  const std::vector<QString>& captions() const { return captions_; }

 private:
  std::vector<QString> captions_;
};

// A key pressed on the box as a user would: on its focused button, or on the box.
void pressKey(QDialog* dialog, Qt::Key key);

QPushButton* button(QDialog* dialog, int index);
// The visible buttons of a box, left to right.
std::vector<QPushButton*> visibleButtons(QDialog* dialog);

}  // namespace quendel::toolvane::uitest
