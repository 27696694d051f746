#include "demo_form.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "automation/activation.h"
#include "automation/app_object.h"
#include "automation/collection.h"
#include "toolvane/qt/control_array.h"
#include "toolvane/qt/widget_adapter.h"

using namespace quendel::automation;
namespace qt = quendel::toolvane::qt;

namespace {

String text(const char16_t* s) { return String(s); }

// The layout, in pixels.
constexpr int kFormWidth = 420, kFormHeight = 450;
constexpr int kMargin = 10;
constexpr int kGroupWidth = 190, kGroupHeight = 110;  // the option group and each page
constexpr int kGroupTitleHeight = 25, kOptionPitch = 25, kOptionHeight = 22;
constexpr int kRightColumn = 210;
constexpr int kTextHeight = 26, kLabelHeight = 24;
constexpr int kPagesTop = 130, kPageRowTop = 250, kBottomRowTop = 290;
constexpr int kSmallButtonWidth = 80, kButtonWidth = 120, kButtonHeight = 28;
constexpr int kListTop = 330, kListHeight = 110;

// Where the settings live: HKCU\Software\<title>\<version>\...
constexpr char16_t kAppTitle[] = u"Quendel Qt client";
constexpr LONG kAppMajor = 1;
constexpr char16_t kPlacementKey[] = u"";  // empty: the form's Name
constexpr char16_t kPlacementValue[] = u"Placement";
constexpr char16_t kColumnsKey[] = u"Files";
constexpr char16_t kFontKey[] = u"Form Font";

}  // namespace

DemoForm::DemoForm() {
  setObjectName(QStringLiteral("frmDemo"));
  setWindowTitle(QStringLiteral("Toolvane Qt client"));
  resize(kFormWidth, kFormHeight);
  buildSizeGroup();
  buildSerialBox();
  buildPages();
  buildButtons();
  buildFileList();
  attachLibrary();
}

// An option group: three option buttons that the library sees as one control array.
void DemoForm::buildSizeGroup() {
  auto* fraSize = new QGroupBox(QStringLiteral("Size"), this);
  fraSize->setGeometry(kMargin, kMargin, kGroupWidth, kGroupHeight);
  const char* captions[] = {"Small", "Medium", "Large"};
  for (int i = 0; i < static_cast<int>(optSize_.size()); ++i) {
    optSize_[i] = new QRadioButton(QString::fromUtf8(captions[i]), fraSize);
    optSize_[i]->setObjectName(QStringLiteral("optSize%1").arg(i));
    optSize_[i]->setGeometry(kMargin, kGroupTitleHeight + kOptionPitch * i, kGroupWidth - 2 * kMargin, kOptionHeight);
  }
  sizeGroup_ = qt::ControlArray::create({{0, optSize_[0]}, {1, optSize_[1]}, {2, optSize_[2]}});
}

// A locked text box: selectable and copyable, and Shift+Insert cannot paste into it.
void DemoForm::buildSerialBox() {
  txtSerial_ = new QLineEdit(QStringLiteral("QV-0305-0301"), this);
  txtSerial_->setObjectName(QStringLiteral("txtSerial"));
  txtSerial_->setGeometry(kRightColumn, 2 * kMargin, kFormWidth - kRightColumn - kMargin, kTextHeight);
}

// Three frames on top of each other, shown one at a time.
void DemoForm::buildPages() {
  const char* pages[] = {"General settings", "Paths and files", "About this example"};
  for (int i = 0; i < static_cast<int>(fraTab_.size()); ++i) {
    fraTab_[i] = new QFrame(this);
    fraTab_[i]->setObjectName(QStringLiteral("fraTab%1").arg(i));
    fraTab_[i]->setFrameShape(QFrame::StyledPanel);
    fraTab_[i]->setGeometry(kMargin, kPagesTop, kFormWidth - 2 * kMargin, kGroupHeight);
    auto* label = new QLabel(QString::fromUtf8(pages[i]), fraTab_[i]);
    label->setGeometry(kMargin, kMargin, kFormWidth - 4 * kMargin, kLabelHeight);
  }
}

void DemoForm::buildButtons() {
  cmdPrev_ = new QPushButton(QStringLiteral("< Prev"), this);
  cmdPrev_->setGeometry(kMargin, kPageRowTop, kSmallButtonWidth, kButtonHeight);
  cmdNext_ = new QPushButton(QStringLiteral("Next >"), this);
  cmdNext_->setGeometry(2 * kMargin + kSmallButtonWidth, kPageRowTop, kSmallButtonWidth, kButtonHeight);
  lblPage_ = new QLabel(this);
  const int pageLabelLeft = 3 * kMargin + 2 * kSmallButtonWidth;
  lblPage_->setGeometry(pageLabelLeft, kPageRowTop, kFormWidth - pageLabelLeft - kMargin, kButtonHeight);
  cmdList_ = new QPushButton(QStringLiteral("List..."), this);
  cmdList_->setGeometry(kMargin, kBottomRowTop, kButtonWidth, kButtonHeight);
  cmdChild_ = new QPushButton(QStringLiteral("Child form..."), this);
  cmdChild_->setGeometry(2 * kMargin + kButtonWidth, kBottomRowTop, kButtonWidth, kButtonHeight);
  cmdAbout_ = new QPushButton(QStringLiteral("About..."), this);
  cmdAbout_->setGeometry(3 * kMargin + 2 * kButtonWidth, kBottomRowTop, kButtonWidth, kButtonHeight);
}

// A list view of three columns, whose widths the library keeps.
void DemoForm::buildFileList() {
  lvwFiles_ = new QTreeWidget(this);
  lvwFiles_->setObjectName(QStringLiteral("lvwFiles"));
  lvwFiles_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Modified")});
  lvwFiles_->setRootIsDecorated(false);
  lvwFiles_->setGeometry(kMargin, kListTop, kFormWidth - 2 * kMargin, kListHeight);
  const char* rows[][3] = {{"sample.png", "12 KB", "01.03.2026"}, {"notes.txt", "532 bytes", "02.03.2026"}};
  for (const auto& row : rows)
    new QTreeWidgetItem(lvwFiles_, {QString::fromUtf8(row[0]), QString::fromUtf8(row[1]), QString::fromUtf8(row[2])});
}

// The library, created by ProgID as any client creates it, attached to the widgets.
void DemoForm::attachLibrary() {
  main_ = createObject(u"TvFuncs0305.qndMain");
  main_->call(u"SetSelectedOptionButtonIndex", {Variant(sizeGroup_), Variant(LONG{1})});
  qt::adapt(txtSerial_)->let(u"Locked", Variant(true));
  main_->call(u"AddTextBoxInsertHook", {Variant(ObjectPtr(qt::adapt(txtSerial_)))});

  settings_ = createObject(u"TvFuncs0305.qndQuendelSettings");
  AppInfo info;
  info.title = kAppTitle;
  info.major = kAppMajor;
  app_ = AppObject::create(std::move(info));

  tabs_ = createObject(u"TvFuncs0305.qndTabControl");
  tabs_->advise(std::make_shared<FunctionSink>([this](Object&, std::u16string_view name, std::vector<Variant>& args) {
    if (equalsText(name, u"TabShown")) lblPage_->setText(QStringLiteral("Page %1 of 3").arg(args.at(0).toLong()));
  }));
  auto frames = qt::ControlArray::create({{0, fraTab_[0]}, {1, fraTab_[1]}, {2, fraTab_[2]}});
  tabs_->call(u"FillTabs", {Variant(ObjectPtr(frames)), Variant(true)});
  tabs_->call(u"PopTab", {Variant(LONG{1}), Variant(false), Variant(true)});

  connect(cmdPrev_, &QPushButton::clicked, this, [this] {
    tabs_->call(u"PopPrevTab", {Variant(false), Variant(true)});
  });
  connect(cmdNext_, &QPushButton::clicked, this, [this] {
    tabs_->call(u"PopNextTab", {Variant(false), Variant(true)});
  });
  connect(cmdList_, &QPushButton::clicked, this, [this] { showList(); });
  connect(cmdChild_, &QPushButton::clicked, this, [this] { showChild(); });
  connect(cmdAbout_, &QPushButton::clicked, this, [this] { showAbout(); });
}

// The About box with this window's icons, the program's title and version, and a few
// words of description.
void DemoForm::showAbout() {
  AppInfo info;
  info.title = u"Qt client example";
  info.major = 1;
  info.minor = 2;
  info.revision = 3;
  auto app = AppObject::create(info);
  main_->call(u"ShowAboutBox", {Variant(ObjectPtr(qt::adapt(this))), Variant(ObjectPtr(app)),
                                Variant(u"An example client of the library, made with Qt.")});
}

DemoForm::~DemoForm() {
  if (main_) main_->call(u"ClearTextBoxInsertHooks");
}

void DemoForm::showList() {
  ObjectPtr list = createObject(u"TvFuncs0305.qndSimpleListDialog");
  ObjectPtr elements = list->get(u"Elements").toObject();
  for (auto* option : optSize_) {
    QString line = option->objectName() + QLatin1Char('\t') + option->text() +
                   (option->isChecked() ? QStringLiteral(" (selected)") : QString());
    elements->call(
        u"Add",
        {Variant(String(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<std::size_t>(line.size())))});
  }
  list->let(u"Caption", Variant(text(u"Option buttons")));
  list->call(u"Show");
}

void DemoForm::showChild() {
  QDialog child;
  child.setObjectName(QStringLiteral("frmChild"));
  child.setWindowTitle(QStringLiteral("Child form"));
  auto* layout = new QVBoxLayout(&child);
  auto* close = new QPushButton(QStringLiteral("Close"), &child);
  layout->addWidget(new QLabel(QStringLiteral("The main form is out of sight until this one closes."), &child));
  layout->addWidget(close);
  connect(close, &QPushButton::clicked, &child, &QDialog::accept);
  main_->call(u"ShowModalForm", {Variant(ObjectPtr(qt::adapt(this))), Variant(ObjectPtr(qt::adapt(&child)))});
}

// The library reads the form's hWnd and Name, the list's hWnd and ColumnHeaders and the
// font's members by name, as it does for any client.
DemoForm::Remembered DemoForm::restoreSettings() {
  Remembered r;
  ObjectPtr form = qt::adapt(this);
  r.placement = settings_
                    ->call(u"LoadFormPlacement2", {Variant(form), Variant(String(kPlacementKey)),
                                                   Variant(String(kPlacementValue)), Variant(app_)})
                    .toBool();
  r.columns = settings_
                  ->call(u"LoadListViewColumns2",
                         {Variant(ObjectPtr(qt::adapt(lvwFiles_))), Variant(String(kColumnsKey)), Variant(app_)})
                  .toBool();
  Variant font = settings_->call(u"LoadFont2", {Variant(String(kFontKey)), Variant(app_)});
  if (ObjectPtr saved = font.toObject()) {
    form->set(u"Font", saved);
    r.font = true;
  }
  return r;
}

DemoForm::Remembered DemoForm::saveSettings() {
  Remembered r;
  ObjectPtr form = qt::adapt(this);
  r.placement = settings_
                    ->call(u"SaveFormPlacement2", {Variant(form), Variant(String(kPlacementKey)),
                                                   Variant(String(kPlacementValue)), Variant(app_)})
                    .toBool();
  r.columns = settings_
                  ->call(u"SaveListViewColumns2",
                         {Variant(ObjectPtr(qt::adapt(lvwFiles_))), Variant(String(kColumnsKey)), Variant(app_)})
                  .toBool();
  r.font = settings_->call(u"SaveFont2", {Variant(String(kFontKey)), form->get(u"Font"), Variant(app_)}).toBool();
  return r;
}
