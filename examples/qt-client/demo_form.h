// The example's form: what a Qt client of the library builds for itself.
//
//   DemoForm form;            // widgets made, library objects created and attached
//   form.show();
//
// The option group fraSize holds optSize(0..2); txtSerial is a locked text box guarded by
// qndMain.AddTextBoxInsertHook; fraTab(0..2) are three stacked frames turned into pages by
// qndTabControl (cmdPrev, cmdNext); cmdList shows qndSimpleListDialog; cmdChild shows a
// child form with qndMain.ShowModalForm; cmdAbout shows the library's About box with the
// form's own icons and the program's application object (qndMain.ShowAboutBox). lvwFiles
// is a list view with three columns. The form keeps its placement, the list's column
// widths and its font in the settings store:
//
//   form.restoreSettings();   // after show(): what was saved on the last exit
//   form.saveSettings();      // before the program ends
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QWidget>
#include <array>

#include "automation/object.h"

class DemoForm : public QWidget {
 public:
  DemoForm();
  ~DemoForm() override;

  // The library objects the form works with (created by ProgID).
  const quendel::automation::ObjectPtr& qndMain() const { return main_; }
  const quendel::automation::ObjectPtr& tabs() const { return tabs_; }
  const quendel::automation::ObjectPtr& sizeGroup() const { return sizeGroup_; }

  QLineEdit* txtSerial() const { return txtSerial_; }
  QLabel* lblPage() const { return lblPage_; }
  std::array<QRadioButton*, 3> optSize() const { return optSize_; }
  std::array<QFrame*, 3> fraTab() const { return fraTab_; }

  QTreeWidget* lvwFiles() const { return lvwFiles_; }

  void showList();
  void showChild();
  void showAbout();

  // What the settings store gave back or took (each false when it had nothing or failed).
  struct Remembered {
    bool placement = false, columns = false, font = false;
  };
  Remembered restoreSettings();
  Remembered saveSettings();

 private:
  // The construction steps, in order.
  void buildSizeGroup();
  void buildSerialBox();
  void buildPages();
  void buildButtons();
  void buildFileList();
  void attachLibrary();

  quendel::automation::ObjectPtr main_;
  quendel::automation::ObjectPtr tabs_;
  quendel::automation::ObjectPtr sizeGroup_;
  quendel::automation::ObjectPtr settings_;
  quendel::automation::ObjectPtr app_;
  std::array<QRadioButton*, 3> optSize_{};
  std::array<QFrame*, 3> fraTab_{};
  QLineEdit* txtSerial_ = nullptr;
  QLabel* lblPage_ = nullptr;
  QPushButton* cmdPrev_ = nullptr;
  QPushButton* cmdNext_ = nullptr;
  QPushButton* cmdList_ = nullptr;
  QPushButton* cmdChild_ = nullptr;
  QPushButton* cmdAbout_ = nullptr;
  QTreeWidget* lvwFiles_ = nullptr;
};
