#include "toolvane/ui/list_form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "toolvane/ui/application.h"

namespace quendel::toolvane::ui {

namespace {

QString toQString(const BStr& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

// The smallest size and weight given to the toolkit.
constexpr double kMinFontPoints = 1;
constexpr int kMinQtWeight = 1;

// frmList's design geometry, in twips (the margins are kListDialogMargin).
constexpr double kDesignListWidth = 6375, kDesignListHeight = 1620;
constexpr double kDesignTagTop = 2700, kDesignTagWidth = 5895;
constexpr double kDesignWidth = 6735, kDesignHeight = 4050;
constexpr double kDesignFontPoints = 9;

QFont fontFrom(const automation::FontDesc& d) {
  QFont f(toQString(d.name));
  double size = d.size.toDouble();
  if (size >= kMinFontPoints && size <= automation::kMaxFontPoints) f.setPointSizeF(size);
  f.setWeight(static_cast<QFont::Weight>(std::clamp<int>(d.weight.value, kMinQtWeight, automation::kMaxFontWeight)));
  f.setItalic(d.italic);
  f.setUnderline(d.underline);
  f.setStrikeOut(d.strikethrough);
  return f;
}

QFont designFont() {
  QFont f(QStringLiteral("Tahoma"));
  f.setPointSizeF(kDesignFontPoints);
  return f;
}

}  // namespace

ListForm::ListForm(const ListDialogRequest& request) : QDialog(nullptr, Qt::Tool) {
  setObjectName(QStringLiteral("frmList"));
  setSizeGripEnabled(false);
  setFont(designFont());
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("lstList"));
  tag_ = new QLabel(this);
  tag_->setObjectName(QStringLiteral("lblTag"));
  tag_->setWordWrap(true);
  tag_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  tag_->setTextFormat(Qt::PlainText);

  list_->setGeometry(twipsToPixelsX(kListDialogMargin), twipsToPixelsY(kListDialogMargin),
                     twipsToPixelsX(kDesignListWidth), twipsToPixelsY(kDesignListHeight));
  tag_->setGeometry(twipsToPixelsX(kListDialogMargin), twipsToPixelsY(kDesignTagTop), twipsToPixelsX(kDesignTagWidth),
                    twipsToPixelsY(kListDialogTagHeight));
  resize(twipsToPixelsX(kDesignWidth), twipsToPixelsY(kDesignHeight));

  for (const BStr& item : request.items) list_->addItem(toQString(item));
  setWindowTitle(toQString(request.caption));
  if (request.font) {
    QFont f = fontFrom(*request.font);
    list_->setFont(f);
    tag_->setFont(f);
  }
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { itemClicked(item); });

  // The form sees every key first, wherever the focus is.
  list_->installEventFilter(this);
  tag_->installEventFilter(this);
  relayout();
  centreOnScreen(*this);
}

void ListForm::itemClicked(QListWidgetItem* item) {
  if (!item) return;
  const QString text = item->text();
  BStr whole(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
  tag_->setText(toQString(listItemTag(whole)));
}

namespace {

bool closesTheForm(const QKeyEvent* key) {
  return key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

bool ListForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && closesTheForm(static_cast<QKeyEvent*>(event))) {
    accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void ListForm::keyPressEvent(QKeyEvent* event) {
  if (closesTheForm(event)) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ListForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!isMinimized()) relayout();
}

void ListForm::relayout() {
  if (relayingOut_) return;
  relayingOut_ = true;
  double tppX = twipsPerPixelX(), tppY = twipsPerPixelY();
  // The frame is the window's height less its inner height; before the window is shown
  // the toolkit knows no frame yet, and the design's inner height stands for both.
  double windowHeight = (isVisible() ? frameGeometry().height() : height()) * tppY;
  double innerHeight = height() * tppY;
  ListDialogLayout l = layoutListDialog(windowHeight, width() * tppX, innerHeight, tagHeightTwips_);
  if (l.snapped) {
    int frame = (isVisible() ? frameGeometry().height() : height()) - height();
    resize(width(), std::max(0, twipsToPixelsY(l.windowHeight) - frame));
  }
  list_->setGeometry(twipsToPixelsX(l.listLeft), twipsToPixelsY(l.listTop), twipsToPixelsX(l.listWidth),
                     twipsToPixelsY(l.listHeight));
  // The label goes directly under the list as the list now is.
  tag_->setGeometry(twipsToPixelsX(l.tagLeft), list_->height() + twipsToPixelsY(kListDialogMargin),
                    twipsToPixelsX(l.tagWidth), twipsToPixelsY(l.tagHeight));
  relayingOut_ = false;
}

void runListDialog(const ListDialogRequest& request) {
  application();
  ListForm form(request);
  // The toolkit's own minimum keeps the window manager from going below the height the
  // resize rule would snap back to.
  form.setMinimumHeight(twipsToPixelsY(listDialogMinimumInnerHeight(kListDialogTagHeight)));
  form.exec();
}

}  // namespace quendel::toolvane::ui
