#include "toolvane/ui/message_box.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <vector>

#include "platform/user/user.h"
#include "toolvane/errors/error500.h"
#include "toolvane/errors/standard_box.h"
#include "toolvane/ui/application.h"

namespace quendel::toolvane::ui {

namespace {

// The User32 text of the Help button.
constexpr UINT kHelpStringId = 808;

QString qs(const BStr& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

QMessageBox::Icon iconOf(LONG style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

LONG runMessageBox(const MessageBoxRequest& request) {
  application();
  const StandardBoxButtons set = standardBoxButtons(request.style);
  QMessageBox box(iconOf(request.style), qs(request.caption), qs(request.text));
  box.setObjectName(QStringLiteral("qndMessageBox"));
  box.setTextFormat(Qt::PlainText);
  std::vector<QPushButton*> buttons;
  for (const auto& b : set.buttons) {
    QPushButton* button = box.addButton(qs(loadUser32String(b.stringId, b.fallback)),
                                        b.result == IDCANCEL ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    buttons.push_back(button);
  }
  QPushButton* help = nullptr;
  if (request.style & MB_HELP)
    help = box.addButton(qs(loadUser32String(kHelpStringId, u"Help")), QMessageBox::HelpRole);
  box.setDefaultButton(buttons[static_cast<size_t>(set.defaultIndex)]);
  if (set.escapeIndex >= 0) box.setEscapeButton(buttons[static_cast<size_t>(set.escapeIndex)]);
  for (;;) {
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (help && clicked == help) {
      // The box closes on every button; it opens again, as Help must not end it.
      if (!request.helpFile.empty()) QDesktopServices::openUrl(QUrl::fromLocalFile(qs(request.helpFile)));
      continue;
    }
    for (size_t i = 0; i < buttons.size(); ++i)
      if (clicked == buttons[i]) return set.buttons[i].result;
    // Closed without a button (a set without Esc): as Windows, the box stays.
    if (set.escapeIndex < 0) continue;
    return set.buttons[static_cast<size_t>(set.escapeIndex)].result;
  }
}

}  // namespace quendel::toolvane::ui
