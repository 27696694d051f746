#include "demo_form.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "automation/activation.h"
#include "automation/collection.h"
#include "toolvane/qt/control_array.h"
#include "toolvane/qt/widget_adapter.h"

using namespace quendel::automation;
namespace qt = quendel::toolvane::qt;

namespace {

String text(const char16_t* s) { return String(s); }

}  // namespace

DemoForm::DemoForm() {
  setObjectName(QStringLiteral("frmDemo"));
  setWindowTitle(QStringLiteral("Toolvane Qt client"));
  resize(420, 330);

  // An option group: three option buttons that the library sees as one control array.
  auto* fraSize = new QGroupBox(QStringLiteral("Size"), this);
  fraSize->setGeometry(10, 10, 190, 110);
  const char* captions[] = {"Small", "Medium", "Large"};
  for (int i = 0; i < 3; ++i) {
    optSize_[i] = new QRadioButton(QString::fromUtf8(captions[i]), fraSize);
    optSize_[i]->setObjectName(QStringLiteral("optSize%1").arg(i));
    optSize_[i]->setGeometry(10, 25 + 25 * i, 170, 22);
  }
  sizeGroup_ = qt::ControlArray::create({{0, optSize_[0]}, {1, optSize_[1]}, {2, optSize_[2]}});

  // A locked text box: selectable and copyable, and Shift+Insert cannot paste into it.
  txtSerial_ = new QLineEdit(QStringLiteral("QV-0305-0301"), this);
  txtSerial_->setObjectName(QStringLiteral("txtSerial"));
  txtSerial_->setGeometry(210, 20, 200, 26);

  // Three frames on top of each other, shown one at a time.
  const char* pages[] = {"General settings", "Paths and files", "About this example"};
  for (int i = 0; i < 3; ++i) {
    fraTab_[i] = new QFrame(this);
    fraTab_[i]->setObjectName(QStringLiteral("fraTab%1").arg(i));
    fraTab_[i]->setFrameShape(QFrame::StyledPanel);
    fraTab_[i]->setGeometry(10, 130, 400, 110);
    auto* label = new QLabel(QString::fromUtf8(pages[i]), fraTab_[i]);
    label->setGeometry(10, 10, 380, 24);
  }
  auto* cmdPrev = new QPushButton(QStringLiteral("< Prev"), this);
  cmdPrev->setGeometry(10, 250, 80, 28);
  auto* cmdNext = new QPushButton(QStringLiteral("Next >"), this);
  cmdNext->setGeometry(100, 250, 80, 28);
  lblPage_ = new QLabel(this);
  lblPage_->setGeometry(190, 250, 220, 28);
  auto* cmdList = new QPushButton(QStringLiteral("List..."), this);
  cmdList->setGeometry(10, 290, 120, 28);
  auto* cmdChild = new QPushButton(QStringLiteral("Child form..."), this);
  cmdChild->setGeometry(140, 290, 120, 28);

  // The library, created by ProgID as any client creates it.
  main_ = createObject(u"TvFuncs0305.qndMain");
  main_->call(u"SetSelectedOptionButtonIndex", {Variant(sizeGroup_), Variant(LONG{1})});
  qt::adapt(txtSerial_)->let(u"Locked", Variant(true));
  main_->call(u"AddTextBoxInsertHook", {Variant(ObjectPtr(qt::adapt(txtSerial_)))});

  tabs_ = createObject(u"TvFuncs0305.qndTabControl");
  tabs_->advise(std::make_shared<FunctionSink>([this](Object&, std::u16string_view name, std::vector<Variant>& args) {
    if (equalsText(name, u"TabShown")) lblPage_->setText(QStringLiteral("Page %1 of 3").arg(args.at(0).toLong()));
  }));
  auto frames = qt::ControlArray::create({{0, fraTab_[0]}, {1, fraTab_[1]}, {2, fraTab_[2]}});
  tabs_->call(u"FillTabs", {Variant(ObjectPtr(frames)), Variant(true)});
  tabs_->call(u"PopTab", {Variant(LONG{1}), Variant(false), Variant(true)});

  connect(cmdPrev, &QPushButton::clicked, this, [this] {
    tabs_->call(u"PopPrevTab", {Variant(false), Variant(true)});
  });
  connect(cmdNext, &QPushButton::clicked, this, [this] {
    tabs_->call(u"PopNextTab", {Variant(false), Variant(true)});
  });
  connect(cmdList, &QPushButton::clicked, this, [this] { showList(); });
  connect(cmdChild, &QPushButton::clicked, this, [this] { showChild(); });
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
