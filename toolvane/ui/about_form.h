// frmAbout: the window of the About box (toolvane/about/about_box.h has the entry). Qt
// code of the library's UI part (libtoolvane0305ui.so).
//
//   AboutForm form;                  // loaded: built, insert hook on txtDescription
//   form.lblTitle()->setText(...);   // filled by runAboutBox, errors ignored step by step
//   form.InitTabs();                 // pages filled, page set built; raises their errors
//   form.exec();                     // modal, centred on its screen when it shows
//
// Layout: the icon imgIcon on its background shape at the left, the page stack at the
// right (one page visible, the frames fraTab(0) to fraTab(5) in one place), a separator and
// the buttons "&System Info..." and "Ok" below. Pages are grid layouts, so no text is
// clipped at any DPI; the main page's picture imgNoemi sits at its bottom right.
//
// Pages are switched by a qndTabControl (TC) over the frames' adapters: Page Up/Down
// without Shift, Ctrl or Alt, and a click or double-click on the icon (next page). The
// window sees keys before the focused control. Escape closes it through asUnloadForm.
// TC_TabShown puts the focus on txtDescription, lstModules, cmdUpdateCheck (while it is
// visible) or cmdOK. Ctrl+C copies a plain-text report (aboutReportText) to the clipboard
// and shows "Copied" for a moment in the button row.
//
// Links (lblEMail(1), the update page's site link) are underlined and show the library's
// MERCURY_CURSOR; a click opens them with the desktop's opener. A double-click on a module
// line opens the file's properties in the file manager (fileProperties.h). Dropping the
// icon (dragged with the right button) on lblTitle, imgNoemi, cmdSysInfo or cmdOK runs the
// four hidden reactions, each announced on the debugger output.
//
// Widgets are named as the controls are ("lblTitle", control arrays "lblEMail(1)"), so
// tests and automation find them.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <memory>

#include "toolvane/about/about_pages.h"
#include "toolvane/about/update_check.h"
#include "toolvane/ui/icon_control_widget.h"
#include "toolvane/ui_api/ui_api.h"

class QFrame;
class QGridLayout;
class QHBoxLayout;

namespace quendel::toolvane {
class qndTabControl;
class CTextBoxInsertHook;
}  // namespace quendel::toolvane

namespace quendel::toolvane::ui {

class AboutForm : public QDialog {
 public:
  AboutForm();
  ~AboutForm() override;

  // Fills the module, system and process-times pages, prepares the update page and builds
  // the page set; the main page is shown first.
  void InitTabs();

  // The window's icons from the picture (Nothing: none).
  void setFormIcon(const ObjectPtr& picture);
  ObjectPtr formIcon() const { return formIcon_; }

  void setAppVersion(LONG major, LONG minor, LONG revision);
  LONG AppMajor() const { return appMajor_; }
  LONG AppMinor() const { return appMinor_; }
  LONG AppRevision() const { return appRevision_; }

  // Fills the main page, as RealShowAboutBox does.
  void setEMail(const BStr& address);                     // empty: both e-mail labels hidden, the dedication moves up
  void setPicture(const ObjectPtr& picture, bool given);  // given false: the resource picture
  void setIcon(const ObjectPtr& picture);

  // The controls.
  IconControlWidget* imgIcon() const { return imgIcon_; }
  QLabel* lblTitle() const { return lblTitle_; }
  QLabel* lblVersion(int i) const { return lblVersion_.at(i); }
  QLabel* lblAuthor(int i) const { return lblAuthor_.at(i); }
  QLabel* lblEMail(int i) const { return lblEMail_.at(i); }
  QLabel* lblDevote() const { return lblDevote_; }
  QLabel* imgNoemi() const { return imgNoemi_; }
  QPlainTextEdit* txtDescription() const { return txtDescription_; }
  QListWidget* lstModules() const { return lstModules_; }
  QFrame* fraTab(int i) const { return fraTab_.at(i); }
  QPushButton* cmdOK() const { return cmdOK_; }
  QPushButton* cmdSysInfo() const { return cmdSysInfo_; }
  QPushButton* cmdUpdateCheck() const { return cmdUpdateCheck_; }
  QLabel* lblUpdateInfo() const { return lblUpdateInfo_; }
  QLabel* lblUpdateURL() const { return lblUpdateURL_; }
  const std::shared_ptr<qndTabControl>& TC() const { return tc_; }
  // The page indices (0 to 5) of the page set, in order.
  const std::vector<int>& keptPages() const { return kept_; }

  // The hidden reactions, by the control the icon was dropped on.
  void iconDroppedOn(QWidget* target);
  // Opens the properties of the selected module line; nothing without a selection.
  void showModuleProperties();
  // The update page's button: the check, with the window repainting meanwhile.
  void runUpdateCheck();
  // The report that Ctrl+C copies.
  String report() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMainPage(QFrame* page);
  void buildDescriptionPage(QFrame* page);
  void buildModulesPage(QFrame* page);
  void buildProcessTimesPage(QFrame* page);
  void buildSystemInfoPage(QFrame* page);
  void buildUpdatePage(QFrame* page);
  void placePicture();
  void wireEvents();
  void startIconDrag();
  void tabShown();
  bool handleKey(QKeyEvent* key);
  void showUpdateState();
  void makeLink(QLabel* label);
  void copyReport();
  void unload();

  std::array<QFrame*, kAboutPageCount> fraTab_{};
  IconControlWidget* imgIcon_ = nullptr;
  QFrame* shpIconBack_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  std::array<QLabel*, 2> lblVersion_{}, lblAuthor_{}, lblEMail_{};
  QLabel* lblDevote_ = nullptr;
  QLabel* imgNoemi_ = nullptr;
  QGridLayout* mainGrid_ = nullptr;
  QHBoxLayout* pictureRow_ = nullptr;
  QPlainTextEdit* txtDescription_ = nullptr;
  QListWidget* lstModules_ = nullptr;
  std::array<QLabel*, 10> lblProcessTimes_{};
  std::array<QLabel*, 7> lblSystemInfo_{};
  QPushButton* cmdUpdateCheck_ = nullptr;
  QLabel* lblUpdateInfo_ = nullptr;
  QLabel* lblUpdateURL_ = nullptr;
  QLabel* lblUpdateResult_ = nullptr;
  std::array<QLabel*, 4> lblUpdateVersion_{};
  QPushButton* cmdOK_ = nullptr;
  QPushButton* cmdSysInfo_ = nullptr;
  QLabel* lblCopied_ = nullptr;
  QTimer copiedHint_;  // hides lblCopied_ again
  // Calls for the next turn of the event loop, on timers of the window's own: the drop's
  // reaction once the drag has ended, FormIcon once the window is mapped.
  QTimer afterDrop_, afterShow_;
  QPointer<QWidget> droppedOn_;

  std::shared_ptr<qndTabControl> tc_;
  std::shared_ptr<CTextBoxInsertHook> insertHook_;
  std::shared_ptr<ModuleList> modulesInfo_;
  UpdateCheck update_;
  bool updateRunning_ = false;
  bool closing_ = false;
  ObjectPtr formIcon_;
  QCursor mercury_;
  QImage noemi1_;
  bool blackout_ = false;  // the first hidden reaction: the picture on black
  bool processTimesFilled_ = false;
  std::vector<int> kept_;
  LONG appMajor_ = 0, appMinor_ = 0, appRevision_ = 0;
};

// Shows one About box from start to end (RealShowAboutBox's steps on the window).
void runAboutBox(const AboutBoxRequest& request);

}  // namespace quendel::toolvane::ui
