// frmAbout: building the window and its pages, InitTabs and the page switching.
#include "toolvane/ui/about_form.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <cstdio>

#include "support/quendelsupport.h"
#include "toolvane/about/about_box.h"
#include "toolvane/about/process_times.h"
#include "toolvane/controls/qnd_tab_control.h"
#include "toolvane/controls/text_box_insert_hook.h"
#include "toolvane/frame/client_objects.h"
#include "toolvane/qt/widget_adapter.h"
#include "toolvane/ui/application.h"
#include "toolvane/ui/picture_image.h"

namespace quendel::toolvane::ui {

namespace {

QString q(const String& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }
String s(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// Geometry in twips, so that it grows with the screen's DPI.
constexpr double kIconAreaWidth = 900;  // the left area: the 32-pixel icon and its margins
constexpr double kIconMargin = 210;
constexpr double kPageMinWidth = 5400, kPageMinHeight = 2700;
constexpr double kModulesMinWidth = 7200;
constexpr int kDesignPictureMargin = 8;                           // pixels around the resource picture
constexpr int kClientPictureRight = 5, kClientPictureBottom = 3;  // pixels, for a client's picture
constexpr double kTitlePoints = 16;
constexpr int kMainRows = 5;  // title, version, author, e-mail, dedication

const char* const kPageNames[kAboutPageCount] = {"Main tab",           "Description", "Modules list",
                                                 "Process Times Info", "System Info", "Update check"};

QLabel* label(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setTextFormat(Qt::PlainText);
  return l;
}

QString indexed(const char* name, int i) { return QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i); }

QLabel* arrayLabel(QWidget* parent, const char* name, int i, const QString& text) {
  QLabel* l = label(parent, name, text);
  l->setObjectName(indexed(name, i));
  return l;
}

// Two columns of labels: captions at the left, values at the right, row by row.
void twoColumns(QGridLayout* grid, int firstRow, const std::vector<std::pair<QLabel*, QLabel*>>& rows) {
  int row = firstRow;
  for (const auto& [caption, value] : rows) {
    grid->addWidget(caption, row, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(value, row, 1, Qt::AlignLeft | Qt::AlignTop);
    ++row;
  }
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(row, 1);
}

void keepPlaceWhenHidden(QWidget* w) {
  QSizePolicy p = w->sizePolicy();
  p.setRetainSizeWhenHidden(true);
  w->setSizePolicy(p);
}

}  // namespace

AboutForm::AboutForm() : QDialog(nullptr) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About MyApp"));
  mercury_ = resourceCursor("MERCURY_CURSOR");

  shpIconBack_ = new QFrame(this);
  shpIconBack_->setObjectName(QStringLiteral("shpIconBack"));
  shpIconBack_->setFixedWidth(twipsToPixelsX(kIconAreaWidth));
  shpIconBack_->setAutoFillBackground(true);
  shpIconBack_->setBackgroundRole(QPalette::Mid);
  imgIcon_ = new IconControlWidget(shpIconBack_);
  imgIcon_->setObjectName(QStringLiteral("imgIcon"));
  imgIcon_->setFixedSize(32, 32);
  imgIcon_->control()->setBackColor(static_cast<LONG>(0x80000010u));  // the shape's colour (button shadow)
  auto* iconColumn = new QVBoxLayout(shpIconBack_);
  int m = twipsToPixelsX(kIconMargin);
  iconColumn->setContentsMargins(m, m, m, m);
  iconColumn->addWidget(imgIcon_, 0, Qt::AlignHCenter | Qt::AlignTop);
  iconColumn->addStretch(1);

  auto* pages = new QWidget(this);
  pages->setObjectName(QStringLiteral("pages"));
  auto* stack = new QStackedLayout(pages);
  stack->setStackingMode(QStackedLayout::StackAll);
  for (int i = 0; i < kAboutPageCount; ++i) {
    fraTab_[i] = new QFrame(pages);
    fraTab_[i]->setObjectName(indexed("fraTab", i));
    fraTab_[i]->setAccessibleName(QString::fromLatin1(kPageNames[i]));
    fraTab_[i]->setMinimumSize(twipsToPixelsX(kPageMinWidth), twipsToPixelsY(kPageMinHeight));
    stack->addWidget(fraTab_[i]);
  }
  buildMainPage(fraTab_[kMainPage]);
  buildDescriptionPage(fraTab_[kDescriptionPage]);
  buildModulesPage(fraTab_[kModulesPage]);
  buildProcessTimesPage(fraTab_[kProcessTimesPage]);
  buildSystemInfoPage(fraTab_[kSystemInfoPage]);
  buildUpdatePage(fraTab_[kUpdatePage]);

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  cmdOK_ = new QPushButton(QStringLiteral("Ok"), this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_->setDefault(true);
  cmdSysInfo_ = new QPushButton(QStringLiteral("&System Info..."), this);
  cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
  lblCopied_ = label(this, "lblCopied", QStringLiteral("Copied to the clipboard"));
  keepPlaceWhenHidden(lblCopied_);
  lblCopied_->hide();
  copiedHint_.setSingleShot(true);
  connect(&copiedHint_, &QTimer::timeout, lblCopied_, &QLabel::hide);
  afterDrop_.setSingleShot(true);
  connect(&afterDrop_, &QTimer::timeout, this, [this] {
    if (droppedOn_) iconDroppedOn(droppedOn_);
  });
  afterShow_.setSingleShot(true);
  connect(&afterShow_, &QTimer::timeout, this, [this] { ignoringErrors([this] { setFormIcon(formIcon_); }); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblCopied_);
  buttons->addStretch(1);
  buttons->addWidget(cmdSysInfo_);
  buttons->addWidget(cmdOK_);

  auto* right = new QVBoxLayout;
  right->addWidget(pages, 1);
  right->addWidget(line);
  right->addLayout(buttons);
  auto* whole = new QHBoxLayout(this);
  whole->setContentsMargins(0, 0, 0, 0);
  whole->setSpacing(0);
  whole->addWidget(shpIconBack_);
  auto* rightBox = new QWidget(this);
  rightBox->setLayout(right);
  whole->addWidget(rightBox, 1);
  // The window fits its contents: it is as large as its largest page needs.
  whole->setSizeConstraint(QLayout::SetFixedSize);

  connect(cmdOK_, &QPushButton::clicked, this, [this] { unload(); });
  wireEvents();

  // The load handler: the insert hook on the description, the window centred when shown.
  insertHook_ = std::make_shared<CTextBoxInsertHook>();
  insertHook_->setCurrentHook(qt::adapt(txtDescription_));
  // The window sees every key before its controls.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  fraTab_[kMainPage]->installEventFilter(this);
}

AboutForm::~AboutForm() {
  // Unloading: TC, the insert hook and the window icon go.
  tc_.reset();
  insertHook_.reset();
  formIcon_.reset();
}

void AboutForm::buildMainPage(QFrame* page) {
  lblTitle_ = label(page, "lblTitle", QStringLiteral("Application Title"));
  QFont titleFont(QStringLiteral("Times New Roman"));
  titleFont.setStyleHint(QFont::Serif);
  titleFont.setPointSizeF(kTitlePoints);
  titleFont.setBold(true);
  lblTitle_->setFont(titleFont);
  lblVersion_ = {arrayLabel(page, "lblVersion", 0, QStringLiteral("Версия:")),
                 arrayLabel(page, "lblVersion", 1, QStringLiteral("%VERSION%"))};
  lblAuthor_ = {arrayLabel(page, "lblAuthor", 0, QStringLiteral("Автор:")),
                arrayLabel(page, "lblAuthor", 1, QStringLiteral("%AUTHOR%"))};
  lblEMail_ = {arrayLabel(page, "lblEMail", 0, QStringLiteral("E-Mail:")),
               arrayLabel(page, "lblEMail", 1, QStringLiteral("%EMAIL%"))};
  lblDevote_ = label(page, "lblDevote", QStringLiteral("Devote"));
  imgNoemi_ = label(page, "imgNoemi", QString());
  imgNoemi_->setToolTip(QStringLiteral("Ноэми"));

  mainGrid_ = new QGridLayout(page);
  mainGrid_->addWidget(lblTitle_, 0, 0, 1, 2);
  mainGrid_->setRowMinimumHeight(0, lblTitle_->sizeHint().height());
  twoColumns(mainGrid_, 1,
             {{lblVersion_[0], lblVersion_[1]}, {lblAuthor_[0], lblAuthor_[1]}, {lblEMail_[0], lblEMail_[1]}});
  mainGrid_->addWidget(lblDevote_, 4, 0, 1, 2, Qt::AlignLeft | Qt::AlignTop);
  mainGrid_->setRowStretch(kMainRows - 1, 0);
  mainGrid_->setRowStretch(kMainRows, 1);
}

void AboutForm::buildDescriptionPage(QFrame* page) {
  txtDescription_ = new QPlainTextEdit(page);
  txtDescription_->setObjectName(QStringLiteral("txtDescription"));
  txtDescription_->setReadOnly(true);
  txtDescription_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  auto* l = new QVBoxLayout(page);
  l->addWidget(txtDescription_);
}

void AboutForm::buildModulesPage(QFrame* page) {
  lstModules_ = new QListWidget(page);
  lstModules_->setObjectName(QStringLiteral("lstModules"));
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  lstModules_->setFont(fixed);
  lstModules_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  lstModules_->setTextElideMode(Qt::ElideNone);
  lstModules_->setMinimumWidth(twipsToPixelsX(kModulesMinWidth));
  auto* l = new QVBoxLayout(page);
  l->addWidget(lstModules_);
}

void AboutForm::buildProcessTimesPage(QFrame* page) {
  const char* captions[] = {"Creation time:", "Total time:", "Kernel time:", "User time:", "Total time:"};
  std::vector<std::pair<QLabel*, QLabel*>> rows;
  for (int k = 0; k < 5; ++k) {
    lblProcessTimes_[k] = arrayLabel(page, "lblProcessTimes", k, QString::fromLatin1(captions[k]));
    lblProcessTimes_[k + 5] = arrayLabel(page, "lblProcessTimes", k + 5, QStringLiteral("%TIME_%1%").arg(k + 1));
    rows.emplace_back(lblProcessTimes_[k], lblProcessTimes_[k + 5]);
  }
  auto* grid = new QGridLayout(page);
  twoColumns(grid, 0, rows);
  QLabel* info = label(page, "lblProcessTimesInfo", QString());
  info->hide();
}

void AboutForm::buildSystemInfoPage(QFrame* page) {
  lblSystemInfo_[0] = arrayLabel(page, "lblSystemInfo", 0, QStringLiteral("%WINDOWS_VERSION%\n%SERVICE_PACK%"));
  const char* captions[] = {"Free Physical Mem:", "Page File Usage:", "Reserved Virtual:"};
  std::vector<std::pair<QLabel*, QLabel*>> rows;
  for (int k = 1; k <= 3; ++k) {
    lblSystemInfo_[k] = arrayLabel(page, "lblSystemInfo", k, QString::fromLatin1(captions[k - 1]));
    lblSystemInfo_[k + 3] = arrayLabel(page, "lblSystemInfo", k + 3, QStringLiteral("%MEM_%1%").arg(k));
    rows.emplace_back(lblSystemInfo_[k], lblSystemInfo_[k + 3]);
  }
  auto* grid = new QGridLayout(page);
  grid->addWidget(lblSystemInfo_[0], 0, 0, 1, 2);
  grid->setRowMinimumHeight(1, grid->spacing());
  twoColumns(grid, 2, rows);
}

void AboutForm::buildUpdatePage(QFrame* page) {
  const UpdatePageState& st = update_.state();
  cmdUpdateCheck_ = new QPushButton(q(st.checkButtonText), page);
  cmdUpdateCheck_->setObjectName(QStringLiteral("cmdUpdateCheck"));
  lblUpdateInfo_ = label(page, "lblUpdateInfo", q(st.infoText));
  lblUpdateInfo_->setWordWrap(true);
  lblUpdateInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblUpdateURL_ = label(page, "lblUpdateURL", q(st.siteURL));
  lblUpdateResult_ = label(page, "lblUpdateResult", q(st.resultText));
  lblUpdateResult_->setWordWrap(true);
  for (int i = 0; i < 4; ++i) lblUpdateVersion_[i] = arrayLabel(page, "lblUpdateVersion", i, q(st.versionTexts[i]));
  auto* grid = new QGridLayout(page);
  grid->addWidget(lblUpdateInfo_, 0, 0, 1, 2);
  grid->addWidget(cmdUpdateCheck_, 1, 0, 1, 2, Qt::AlignLeft);
  grid->addWidget(lblUpdateVersion_[0], 2, 0);
  grid->addWidget(lblUpdateVersion_[2], 2, 1);
  grid->addWidget(lblUpdateVersion_[1], 3, 0);
  grid->addWidget(lblUpdateVersion_[3], 3, 1);
  grid->addWidget(lblUpdateResult_, 4, 0, 1, 2);
  grid->addWidget(lblUpdateURL_, 5, 0, 1, 2, Qt::AlignLeft);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(6, 1);
  for (QWidget* w : std::initializer_list<QWidget*>{lblUpdateURL_, lblUpdateResult_, lblUpdateVersion_[0],
                                                    lblUpdateVersion_[1], lblUpdateVersion_[2], lblUpdateVersion_[3]})
    keepPlaceWhenHidden(w);
  showUpdateState();
}

void AboutForm::showUpdateState() {
  const UpdatePageState& st = update_.state();
  cmdUpdateCheck_->setVisible(st.checkButtonVisible);
  cmdUpdateCheck_->setText(q(st.checkButtonText));
  cmdUpdateCheck_->setToolTip(q(st.checkButtonToolTip));
  lblUpdateInfo_->setVisible(st.infoVisible);
  lblUpdateInfo_->setText(q(st.infoText));
  lblUpdateResult_->setText(q(st.resultText));
  lblUpdateURL_->setText(q(st.siteURL));
  for (int i = 0; i < 4; ++i) lblUpdateVersion_[i]->setText(q(st.versionTexts[i]));
  for (QWidget* w : std::initializer_list<QWidget*>{lblUpdateURL_, lblUpdateResult_, lblUpdateVersion_[0],
                                                    lblUpdateVersion_[1], lblUpdateVersion_[2], lblUpdateVersion_[3]})
    w->setVisible(st.resultVisible);
  if (st.siteURLIsLink) makeLink(lblUpdateURL_);
}

void AboutForm::makeLink(QLabel* l) {
  QFont f = l->font();
  f.setUnderline(true);
  l->setFont(f);
  l->setCursor(mercury_);
  l->setForegroundRole(QPalette::Link);
}

void AboutForm::setEMail(const BStr& address) {
  if (address.empty()) {
    lblEMail_[0]->hide();
    lblEMail_[1]->hide();
    // The dedication moves up into the e-mail row.
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    mainGrid_->getItemPosition(mainGrid_->indexOf(lblEMail_[0]), &row, &column, &rowSpan, &columnSpan);
    mainGrid_->removeWidget(lblDevote_);
    mainGrid_->removeWidget(lblEMail_[0]);
    mainGrid_->removeWidget(lblEMail_[1]);
    mainGrid_->addWidget(lblDevote_, row, 0, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    mainGrid_->addWidget(lblEMail_[0], row + 1, 0);
    mainGrid_->addWidget(lblEMail_[1], row + 1, 1);
    return;
  }
  lblEMail_[1]->setText(q(address));
  makeLink(lblEMail_[1]);
}

void AboutForm::setIcon(const ObjectPtr& picture) { imgIcon_->control()->setPicture(picture); }

void AboutForm::setPicture(const ObjectPtr& picture, bool given) {
  QImage image;
  if (!given) {
    image = resourceBitmap("NOEMI_0000");
  } else {
    LONG type = picture->get(u"Type").toLong();
    if (picture->get(u"Handle").toDouble() == 0 || type < 1) {
      imgNoemi_->hide();
      imgNoemi_->setProperty("clientPicture", false);
      return;
    }
    image = pictureImage(*picture);
  }
  imgNoemi_->setPixmap(QPixmap::fromImage(image));
  imgNoemi_->resize(image.size());
  imgNoemi_->setProperty("clientPicture", given);
  // The rows below the text keep room for the picture, so that it never covers a line.
  mainGrid_->setRowMinimumHeight(kMainRows, image.height() + kDesignPictureMargin);
  imgNoemi_->show();
  if (given) imgNoemi_->raise();
  placePicture();
}

void AboutForm::placePicture() {
  QFrame* page = fraTab_[kMainPage];
  bool client = imgNoemi_->property("clientPicture").toBool();
  int right = client ? kClientPictureRight : kDesignPictureMargin;
  int bottom = client ? kClientPictureBottom : kDesignPictureMargin;
  imgNoemi_->move(page->width() - right - imgNoemi_->width(), page->height() - bottom - imgNoemi_->height());
}

void AboutForm::setFormIcon(const ObjectPtr& picture) {
  HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(winId()));
  if (!picture) {
    (void)asSetWindowIconAll(window, nullptr, nullptr);
  } else {
    auto icon = reinterpret_cast<HICON>(static_cast<std::uintptr_t>(picture->get(u"Handle").toDouble()));
    raiseOnFailure(asSetWindowIconAll(window, icon, icon));
  }
  formIcon_ = picture;
}

void AboutForm::setAppVersion(LONG major, LONG minor, LONG revision) {
  appMajor_ = major;
  appMinor_ = minor;
  appRevision_ = revision;
}

void AboutForm::InitTabs() {
  // FillModulesList.
  ModulesListing modules = FillModulesList();
  modulesInfo_ = modules.modules;
  for (const String& line : modules.lines) lstModules_->addItem(q(line));
  if (lstModules_->count() > 0) lstModules_->setCurrentRow(0);
  // FillSystemInfo: its errors reach the caller.
  SystemInfoTexts system = FillSystemInfo();
  String os = system.osName;
  lblSystemInfo_[0]->setText(q(os).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  lblSystemInfo_[4]->setText(q(system.freePhysical));
  lblSystemInfo_[5]->setText(q(system.pageFileUsage));
  lblSystemInfo_[6]->setText(q(system.reservedVirtual));
  // FillProcessTimes: the page stays only when it was filled.
  std::array<String, 5> times;
  if (FillProcessTimes(&times)) {
    for (int k = 0; k < 5; ++k) lblProcessTimes_[k + 5]->setText(q(times[k]));
    processTimesFilled_ = true;
  }
  update_.SetAppVersion(appMajor_, appMinor_, appRevision_);
  bool updateKept = update_.Prepare(GetHostInternalName());
  showUpdateState();

  tc_ = std::make_shared<qndTabControl>();
  tc_->advise(std::make_shared<automation::FunctionSink>(
      [this](automation::Object&, std::u16string_view name, std::vector<Variant>&) {
        if (equalsText(name, u"TabShown")) tabShown();
      }));
  kept_ = keptAboutPages({.description = !txtDescription_->toPlainText().isEmpty(),
                          .modules = lstModules_->count() > 0,
                          .processTimes = processTimesFilled_,
                          .updateCheck = updateKept});
  for (int page = 0; page < kAboutPageCount; ++page) {
    if (std::find(kept_.begin(), kept_.end(), page) != kept_.end()) {
      // The frames share one place in the page stack: fraTab(0)'s.
      tc_->AddTab(qt::adapt(fraTab_[page]), true);
    } else {
      fraTab_[page]->hide();
    }
  }
  tc_->PopTab(1, false, true);
}

void AboutForm::tabShown() {
  for (int page = 0; page < kAboutPageCount; ++page) {
    if (!fraTab_[page]->isVisibleTo(this)) continue;
    switch (page) {
      case kDescriptionPage:
        txtDescription_->setFocus();
        // Inner margins of 2 pixels at the left and the right.
        txtDescription_->document()->setDocumentMargin(2);
        break;
      case kModulesPage: lstModules_->setFocus(); break;
      case kUpdatePage:
        (cmdUpdateCheck_->isVisibleTo(this) ? static_cast<QWidget*>(cmdUpdateCheck_) : cmdOK_)->setFocus();
        break;
      default: cmdOK_->setFocus(); break;
    }
  }
}

String AboutForm::report() const {
  AboutReport r;
  r.title = s(lblTitle_->text());
  r.version = s(lblVersion_[0]->text() + QLatin1Char(' ') + lblVersion_[1]->text());
  r.system.osName = s(lblSystemInfo_[0]->text());
  r.system.freePhysical = s(lblSystemInfo_[4]->text());
  r.system.pageFileUsage = s(lblSystemInfo_[5]->text());
  r.system.reservedVirtual = s(lblSystemInfo_[6]->text());
  if (processTimesFilled_)
    for (int k = 0; k < 5; ++k)
      r.processTimes.emplace_back(s(lblProcessTimes_[k]->text()), s(lblProcessTimes_[k + 5]->text()));
  for (int i = 0; i < lstModules_->count(); ++i) r.modules.push_back(s(lstModules_->item(i)->text()));
  return aboutReportText(r);
}

}  // namespace quendel::toolvane::ui
