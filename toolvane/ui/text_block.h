// A text measured and drawn the way the message boxes need it: word break (a word wider
// than the line is broken between characters), tab expansion at every 8 average
// character widths, no accelerator processing ("&" is drawn as is). CR LF, CR and LF
// each end a line.
//
//   TextBlock block(text, font);
//   QSize size = block.measure(maxWidthPx);   // widest line x total height, in pixels
//   block.draw(painter, rect);                // clipped to rect
#pragma once

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QTextLayout>

namespace quendel::toolvane::ui {

class TextBlock {
 public:
  TextBlock(const QString& text, const QFont& font);
  // Lays the text out for lines of at most maxWidthPx and returns the size it takes.
  QSize measure(int maxWidthPx);
  // Draws the text at rect's top left, clipped to rect, with the lines of the last
  // measure() (laid out for rect's width when it was never measured).
  void draw(QPainter& painter, const QRect& rect);

 private:
  void layOut(int widthPx);
  QTextLayout layout_;
  int laidOutWidth_ = -1;
  QSize size_;
};

}  // namespace quendel::toolvane::ui
