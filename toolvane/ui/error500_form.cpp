#include "toolvane/ui/error500_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

#include "platform/user/user.h"
#include "toolvane/ui/application.h"

namespace quendel::toolvane::ui {

namespace {

// The count-down ticks once a second.
constexpr int kCountdownStepMs = 1000;
// The text is measured within the screen less this many pixels across and down.
constexpr int kScreenMarginX = 300;
constexpr int kScreenMarginY = 200;

QString qs(const BStr& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

QStyle::StandardPixmap iconOf(LONG style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONHAND: return QStyle::SP_MessageBoxCritical;
    case MB_ICONQUESTION: return QStyle::SP_MessageBoxQuestion;
    case MB_ICONEXCLAMATION: return QStyle::SP_MessageBoxWarning;
    default: return QStyle::SP_MessageBoxInformation;
  }
}

bool hasIcon(LONG style) {
  UINT icon = style & MB_ICONMASK;
  return icon == MB_ICONHAND || icon == MB_ICONQUESTION || icon == MB_ICONEXCLAMATION || icon == MB_ICONASTERISK;
}

QRect pixels(const TwipsRect& r) {
  return QRect(twipsToPixelsX(r.left), twipsToPixelsY(r.top), twipsToPixelsX(r.width), twipsToPixelsY(r.height));
}

}  // namespace

Error500Form::Error500Form(const TimedBoxRequest& request) : QDialog(nullptr), countdown_(request.timeoutValue) {
  // 1. A fixed dialog without minimize and maximize boxes or a title-bar icon.
  setObjectName(QStringLiteral("frmError500"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(QIcon());
  setAttribute(Qt::WA_DeleteOnClose, false);
  setModal(true);
  for (int i = 0; i < 3; ++i) {
    buttons_[i] = new QPushButton(this);
    buttons_[i]->setObjectName(QStringLiteral("cmdButton%1").arg(i));
    buttons_[i]->setAutoDefault(false);
    connect(buttons_[i], &QPushButton::clicked, this, [this, i] { press(i); });
  }
  tmrTimeout_ = new QTimer(this);
  tmrTimeout_->setObjectName(QStringLiteral("tmrTimeout"));
  tmrTimeout_->setInterval(kCountdownStepMs);
  connect(tmrTimeout_, &QTimer::timeout, this, &Error500Form::countdownStep);

  // 2. The desktop's message font for measuring and drawing.
  setFont(QApplication::font("QMessageBox"));

  // 3. Measure the text within the screen less 300 by 200 pixels; a taller text is cut.
  QSize screen = screenSizePx();
  text_ = std::make_unique<TextBlock>(qs(request.text), font());
  QSize measured = text_->measure(screen.width() - kScreenMarginX);
  int maxHeight = screen.height() - kScreenMarginY;
  if (measured.height() > maxHeight) measured.setHeight(maxHeight);

  // 4. Caption, resolved by the module.
  setWindowTitle(qs(request.caption));

  // 5. Buttons, default and cancel.
  const Error500ButtonSet& set = error500ButtonSet(request.style);
  for (int i = 0; i < 3; ++i) {
    QString caption = qs(set.stringIds[i] && i < set.count ? loadUser32String(set.stringIds[i], set.fallbacks[i])
                                                           : BStr(set.fallbacks[i]));
    buttons_[i]->setText(caption);
  }
  timeoutButtonIndex_ = request.defaultIndex >= 0 ? request.defaultIndex : 0;
  timeoutButtonCaption_ = buttons_[timeoutButtonIndex_]->text();
  if (request.defaultIndex >= 0) {
    // Enter presses the focused button, so focus and default move together.
    for (auto* b : buttons_) b->setAutoDefault(true);
    buttons_[request.defaultIndex]->setDefault(true);
    buttons_[request.defaultIndex]->setFocus(Qt::OtherFocusReason);
  }
  cancelIndex_ = request.cancelIndex;

  // 6. Icon and sound.
  bool icon = hasIcon(request.style);
  if (icon) {
    int size = twipsToPixelsX(error500design::kIconSize);
    icon_ = style()->standardIcon(iconOf(request.style), nullptr, this).pixmap(QSize(size, size));
    (void)MessageBeep(static_cast<UINT>(request.style) & MB_ICONMASK);  // a box without its bell is still shown
  } else {
    (void)MessageBeep(MB_SIMPLE_BEEP);
  }

  // 7. Layout.
  layout_ = layoutError500({measured.width(), measured.height(), twipsPerPixelX(), twipsPerPixelY(), icon, set.count});
  for (int i = 0; i < 3; ++i) {
    buttons_[i]->setGeometry(pixels(layout_.buttons[i]));
    buttons_[i]->setVisible(layout_.visible[i]);
  }
  setFixedSize(twipsToPixelsX(layout_.clientWidth), twipsToPixelsY(layout_.clientHeight));
  centreOnScreen(*this);

  // 9. The count-down shows the full count before the box appears.
  countdownStep();
  tmrTimeout_->start();
}

void Error500Form::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  if (!icon_.isNull()) painter.drawPixmap(QPoint(layout_.iconLeftPx, layout_.iconTopPx), icon_);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  text_->draw(painter, QRect(QPoint(layout_.textLeftPx, layout_.textTopPx),
                             QPoint(layout_.textRightPx - 1, layout_.textBottomPx - 1)));
}

void Error500Form::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (cancelIndex_ >= 0) press(cancelIndex_);
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void Error500Form::closeEvent(QCloseEvent* event) {
  // Closed by the close box: RC keeps its value, 0 unless a button set it.
  tmrTimeout_->stop();
  event->accept();
  done(0);
}

void Error500Form::press(int index) {
  rc_ = index;
  tmrTimeout_->stop();
  done(0);
}

void Error500Form::countdownStep() {
  switch (countdown_.step()) {
    case Error500Countdown::Action::Close: press(timeoutButtonIndex_); return;
    case Error500Countdown::Action::ShowLastCount: tmrTimeout_->setInterval(250); [[fallthrough]];
    case Error500Countdown::Action::ShowCount:
      buttons_[timeoutButtonIndex_]->setText(timeoutButtonCaption_ +
                                             QStringLiteral(" (%1)").arg(countdown_.remaining()));
      return;
  }
}

LONG runTimedMessageBox(const TimedBoxRequest& request) {
  application();
  Error500Form form(request);
  form.exec();
  return buttonIndexToResult(request.style, form.RC());
}

}  // namespace quendel::toolvane::ui
