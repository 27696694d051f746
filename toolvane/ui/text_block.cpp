#include "toolvane/ui/text_block.h"

#include <QFontMetrics>
#include <QTextOption>

#include <cmath>

namespace quendel::toolvane::ui {

namespace {

QString normaliseLineBreaks(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += QChar::LineSeparator;
    } else if (c == u'\n') {
      out += QChar::LineSeparator;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

TextBlock::TextBlock(const QString& text, const QFont& font) : layout_(normaliseLineBreaks(text), font) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  option.setTabStopDistance(8.0 * QFontMetrics(font).averageCharWidth());
  layout_.setTextOption(option);
  layout_.setCacheEnabled(true);
}

void TextBlock::layOut(int widthPx) {
  if (widthPx == laidOutWidth_) return;
  laidOutWidth_ = widthPx;
  QFontMetricsF metrics(layout_.font());
  double y = 0, widest = 0;
  layout_.beginLayout();
  for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
    line.setLineWidth(widthPx);
    line.setPosition(QPointF(0, y));
    y += metrics.lineSpacing();
    widest = std::max(widest, line.naturalTextWidth());
  }
  layout_.endLayout();
  size_ = QSize(static_cast<int>(std::ceil(widest)), static_cast<int>(std::ceil(y)));
}

QSize TextBlock::measure(int maxWidthPx) {
  layOut(std::max(1, maxWidthPx));
  return size_;
}

void TextBlock::draw(QPainter& painter, const QRect& rect) {
  // A text already measured keeps its lines, so rounding of the rectangle cannot re-break it.
  if (laidOutWidth_ < 0) layOut(std::max(1, rect.width()));
  painter.save();
  painter.setClipRect(rect);
  layout_.draw(&painter, rect.topLeft());
  painter.restore();
}

}  // namespace quendel::toolvane::ui
