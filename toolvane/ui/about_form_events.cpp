// frmAbout: keys, mouse, the links, the hidden drag-and-drop reactions, the update check's
// run and the copied report.
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "automation/activation.h"
#include "platform/shell/shell_execute.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "toolvane/about/system_information.h"
#include "toolvane/clipboard/qnd_clipboard.h"
#include "toolvane/controls/qnd_tab_control.h"
#include "toolvane/frame/client_objects.h"
#include "toolvane/frame/global_instance.h"
#include "toolvane/qt/icon_cursor.h"
#include "toolvane/qt/key_codes_qt.h"
#include "toolvane/ui/about_form.h"
#include "toolvane/ui/file_properties.h"
#include "toolvane/ui/picture_image.h"

namespace quendel::toolvane::ui {

namespace {

// The drag of the icon between its press and the drop, within this window only.
constexpr char kIconDragFormat[] = "application/x-quendel-about-icon";
constexpr LONG kRightButton = 2;
constexpr int kCopiedHintMs = 2000;
constexpr int kPumpMs = 50;

HWND hwndOf(QWidget* w) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(w->winId())); }

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride: return true;
    default: return false;
  }
}

void createAndShow(std::u16string_view progId) {
  ignoringErrors([&] {
    ObjectPtr other = automation::createObject(progId);
    if (other) other->call(u"Show", {Variant(String()), Variant(LONG{0})});
  });
}

}  // namespace

void AboutForm::wireEvents() {
  connect(cmdSysInfo_, &QPushButton::clicked, this, [] { ShowSystemInformation(); });
  connect(cmdUpdateCheck_, &QPushButton::clicked, this, [this] { runUpdateCheck(); });
  connect(lstModules_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { showModuleProperties(); });
  for (QWidget* target : std::initializer_list<QWidget*>{lblTitle_, imgNoemi_, cmdSysInfo_, cmdOK_})
    target->setAcceptDrops(true);
  imgIcon_->control()->advise(std::make_shared<automation::FunctionSink>(
      [this](automation::Object&, std::u16string_view name, std::vector<Variant>& a) {
        if (equalsText(name, u"Click") || equalsText(name, u"DblClick")) {
          if (tc_) tc_->PopNextTab(false, true);
        } else if (equalsText(name, u"MouseMove") && a.size() >= 2) {
          // The right button alone, no Shift, Ctrl or Alt: the icon is dragged.
          if (a[0].toLong() == kRightButton && a[1].toLong() == 0) startIconDrag();
        }
      }));
}

void AboutForm::startIconDrag() {
  auto* drag = new QDrag(this);
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kIconDragFormat), QByteArray("imgIcon"));
  drag->setMimeData(data);
  // The drag image is the icon itself.
  ignoringErrors([&] {
    if (ObjectPtr picture = imgIcon_->control()->Picture())
      drag->setPixmap(QPixmap::fromImage(qt::imageFromPicture(*picture)));
  });
  drag->exec(Qt::MoveAction);
}

void AboutForm::iconDroppedOn(QWidget* target) {
  if (target == lblTitle_) {
    (void)asDebugPrint(u"Easter egg 1/4 detected!");
    // The window keeps its size while everything on it goes.
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
    setFixedSize(size());
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) w->hide();
    noemi1_ = resourceBitmap("NOEMI_0001");
    blackout_ = true;
    update();
  } else if (target == imgNoemi_) {
    (void)asDebugPrint(u"Easter egg 2/4 detected!");
    createAndShow(u"KRV7N.qndKRV7N");
  } else if (target == cmdSysInfo_) {
    (void)asDebugPrint(u"Easter egg 3/4 detected!");
    createAndShow(u"PLT3W.qndPLT3W");
  } else if (target == cmdOK_) {
    (void)asDebugPrint(u"Easter egg 4/4 detected!");
    unload();
  }
}

void AboutForm::paintEvent(QPaintEvent* event) {
  if (!blackout_) {
    QDialog::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  // At its natural size, at the top, centred.
  painter.drawImage((width() - noemi1_.width()) / 2, 0, noemi1_);
}

void AboutForm::showModuleProperties() {
  int index = lstModules_->currentRow();
  if (index < 0 || !lstModules_->currentItem() || !lstModules_->currentItem()->isSelected() || !modulesInfo_) return;
  BStr file;
  if (!ignoringErrors([&] { file = modulesInfo_->ModuleItem(index)->FileName(); })) return;
  (void)showFileProperties(file);
}

void AboutForm::runUpdateCheck() {
  if (updateRunning_) return;
  updateRunning_ = true;
  cmdUpdateCheck_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  update_.SetAppVersion(appMajor_, appMinor_, appRevision_);
  // The window repaints meanwhile; what the user does waits until the check is over, and
  // closing the window cancels it.
  update_.Check([this] {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, kPumpMs);
    return !closing_;
  });
  QApplication::restoreOverrideCursor();
  cmdUpdateCheck_->setEnabled(true);
  updateRunning_ = false;
  showUpdateState();
  if (closing_) {
    unload();
    return;
  }
  tabShown();
}

void AboutForm::copyReport() {
  auto clipboard = globalInstance<qndClipboard>();
  bool copied = false;
  ignoringErrors([&] {
    clipboard->Clear();
    copied = clipboard->SetText(report());
  });
  lblCopied_->setText(copied ? QStringLiteral("Copied to the clipboard") : QStringLiteral("The clipboard is busy"));
  lblCopied_->show();
  copiedHint_.start(kCopiedHintMs);  // a second copy keeps the hint up for the full time
}

bool AboutForm::handleKey(QKeyEvent* key) {
  // Ctrl+C copies the report, unless it copies a selection of the description.
  if (key->matches(QKeySequence::Copy) &&
      !(txtDescription_->hasFocus() && txtDescription_->textCursor().hasSelection())) {
    copyReport();
    return true;
  }
  switch (aboutKeyAction(qt::keyCodeFromQt(key->key()), qt::shiftStateFromQt(key->modifiers()))) {
    case AboutKey::PrevPage:
      if (tc_) tc_->PopPrevTab(false, true);
      return true;
    case AboutKey::NextPage:
      if (tc_) tc_->PopNextTab(false, true);
      return true;
    case AboutKey::Close:
      if (FAILED(asUnloadForm(hwndOf(this)))) unload();
      return true;
    case AboutKey::None: return false;
  }
  return false;
}

bool AboutForm::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (updateRunning_ && isUserInput(event->type())) return true;
  switch (event->type()) {
    case QEvent::KeyPress:
      if (handleKey(static_cast<QKeyEvent*>(event))) return true;
      break;
    case QEvent::Resize:
      if (watched == fraTab_[kMainPage]) placePicture();
      break;
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && widget &&
          widget->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        if (watched == lblEMail_[1] && !lblEMail_[1]->text().isEmpty()) {
          std::string address =
              cp::unicodeToAnsi(u"mailto:" + String(reinterpret_cast<const char16_t*>(lblEMail_[1]->text().utf16())));
          (void)ShellExecuteA(hwndOf(this), "open", address.c_str(), "", "", SW_SHOWNORMAL);
        } else if (watched == lblUpdateURL_ && update_.state().siteURLIsLink) {
          update_.OpenSite(hwndOf(this));
        }
      }
      break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (drag->mimeData()->hasFormat(QString::fromLatin1(kIconDragFormat)) && widget && widget->acceptDrops()) {
        drag->acceptProposedAction();
        return true;
      }
      break;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (drop->mimeData()->hasFormat(QString::fromLatin1(kIconDragFormat)) && widget && widget->acceptDrops()) {
        drop->acceptProposedAction();
        // After the drag has ended: a reaction may close the window.
        droppedOn_ = widget;
        afterDrop_.start();
        return true;
      }
      break;
    }
    default: break;
  }
  return QDialog::eventFilter(watched, event);
}

void AboutForm::keyPressEvent(QKeyEvent* event) {
  if (updateRunning_ || handleKey(event)) return;
  QDialog::keyPressEvent(event);
}

void AboutForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Centred when it loads: its outer frame in the middle of its monitor's work area.
  (void)asCenterFormEx(hwndOf(this));
  // The toolkit writes the window's icons of its own when it maps the window: FormIcon's
  // go on again once it has.
  afterShow_.start();
}

void AboutForm::closeEvent(QCloseEvent* event) {
  if (updateRunning_) {
    // The check ends first; the window closes when it has.
    closing_ = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void AboutForm::unload() {
  if (updateRunning_) {
    closing_ = true;
    return;
  }
  done(QDialog::Accepted);
}

}  // namespace quendel::toolvane::ui
