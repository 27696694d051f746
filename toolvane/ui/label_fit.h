// Whether a label shows its whole text: for the test of the About box's layout and the
// screenshot tool, which both look at every visible label of a window.
//
//   for (QLabel* l : window->findChildren<QLabel*>()) if (!labelFits(*l)) ...
//
// A label that wraps at words fits when every word fits its width and its wrapped text
// its height (heightForWidth); any other fits when each line's advance fits its inner
// width and the lines' heights its inner height. Hidden and empty labels fit.
#pragma once

#include <QLabel>
#include <QRegularExpression>

namespace quendel::toolvane::ui {

inline bool labelFits(const QLabel& l) {
  if (!l.isVisible() || l.text().isEmpty()) return true;
  const QRect room = l.contentsRect();
  const QFontMetrics& fm = l.fontMetrics();
  if (l.wordWrap()) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& word : l.text().split(blanks, Qt::SkipEmptyParts))
      if (fm.horizontalAdvance(word) > room.width()) return false;
    return l.heightForWidth(l.width()) <= l.height();
  }
  const QStringList lines = l.text().split(QLatin1Char('\n'));
  for (const QString& line : lines)
    if (fm.horizontalAdvance(line) > room.width()) return false;
  return fm.height() * lines.size() <= room.height();
}

}  // namespace quendel::toolvane::ui
