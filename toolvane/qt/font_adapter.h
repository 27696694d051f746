// FontAdapter: the live Font object of an adapted widget. Reading gives the widget's
// current font; each let changes the widget's font at once, as a control's font object
// does. Members as the standard font object: Name, Size (points), Bold, Italic,
// Underline, Strikethrough, Weight (100-900), Charset (kept with the widget; the toolkit
// picks glyphs by Unicode and needs no character set). Raises 364 once the widget is gone;
// 380 for a size outside 1 to 2160 points or a weight outside 0 to 1000.
#pragma once

#include <QFont>
#include <QPointer>
#include <QWidget>

#include "automation/dispatch.h"
#include "automation/std_font.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

// The smallest size the adapter gives the toolkit, in points; the largest is the font
// object's (automation/std_font.h).
inline constexpr double kMinFontPoints = 1;

// The toolkit's weight for a font object's weight, brought into the toolkit's 1 to
// automation::kMaxFontWeight.
QFont::Weight qtFontWeight(LONG weight);

class FontAdapter : public automation::Object {
 public:
  explicit FontAdapter(QWidget* widget) : widget_(widget) {}

  QFont font() const;
  void setFont(const QFont& font);
  automation::Integer charset() const;
  void setCharset(automation::Integer charset);

  automation::String className() const override { return u"StdFont"; }
  const automation::ClassDesc* classDesc() const override;

 private:
  QWidget& widget() const;
  QPointer<QWidget> widget_;
};

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
