#include "toolvane/ui/message_box.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <vector>

#include "toolvane/errors/error500.h"
#include "toolvane/errors/standard_box.h"
#include "toolvane/ui/application.h"

namespace quendel::toolvane::ui {

namespace {

QString qs(const BStr& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

QMessageBox::Icon iconOf(LONG style) {
  switch (style & 0xF0) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
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
                                        b.result == 2 ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    buttons.push_back(button);
  }
  QPushButton* help = nullptr;
  if (request.style & 0x4000) help = box.addButton(qs(loadUser32String(808, u"Help")), QMessageBox::HelpRole);
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
