#include "toolvane/qt/font_adapter.h"

#include <QVariant>
#include <algorithm>
#include <cmath>

#include "toolvane/qt/qstring_text.h"

namespace quendel::toolvane::qt {

using namespace automation;

namespace {

constexpr const char* kCharsetProperty = "quendelFontCharset";

// The lowest weight the toolkit takes (a font object's 0 becomes it).
constexpr LONG kMinQtWeight = 1;

}  // namespace

QFont::Weight qtFontWeight(LONG weight) {
  return static_cast<QFont::Weight>(std::clamp<LONG>(weight, kMinQtWeight, kMaxFontWeight));
}

QWidget& FontAdapter::widget() const {
  if (widget_.isNull()) throw RuntimeError(364, u"Object was unloaded");
  return *widget_;
}

QFont FontAdapter::font() const { return widget().font(); }
void FontAdapter::setFont(const QFont& font) { widget().setFont(font); }

Integer FontAdapter::charset() const {
  QVariant v = widget().property(kCharsetProperty);
  return Integer{static_cast<std::int16_t>(v.isValid() ? v.toInt() : 0)};
}

void FontAdapter::setCharset(Integer charset) { widget().setProperty(kCharsetProperty, int{charset.value}); }

const ClassDesc* FontAdapter::classDesc() const {
  using C = FontAdapter;
  auto change = [](C& f, auto&& edit) {
    QFont font = f.font();
    edit(font);
    f.setFont(font);
  };
  static const ClassDesc d =
      ClassBuilder<C>(u"StdFont")
          .get(u"Name", vbString, [](C& f, CallArgs&) { return Variant(fromQString(f.font().family())); })
          .defaultMember()
          .let(u"Name", vbString,
               [change](C& f, CallArgs& a) { change(f, [&](QFont& q) { q.setFamily(toQString(a.str(0))); }); })
          .get(u"Size", vbCurrency,
               [](C& f, CallArgs&) { return Variant(Currency::fromDouble(std::max(0.0, f.font().pointSizeF()))); })
          .let(u"Size", vbCurrency,
               [change](C& f, CallArgs& a) {
                 double size = a.dbl(0);
                 if (!(size >= kMinFontPoints && size <= kMaxFontPoints)) throw RuntimeError(380);
                 change(f, [&](QFont& q) { q.setPointSizeF(size); });
               })
          .get(u"Bold", vbBoolean, [](C& f, CallArgs&) { return Variant(f.font().weight() > kBoldAboveWeight); })
          .let(u"Bold", vbBoolean,
               [change](C& f, CallArgs& a) {
                 change(f, [&](QFont& q) { q.setWeight(a.boolean(0) ? QFont::Bold : QFont::Normal); });
               })
          .get(u"Italic", vbBoolean, [](C& f, CallArgs&) { return Variant(f.font().italic()); })
          .let(u"Italic", vbBoolean,
               [change](C& f, CallArgs& a) { change(f, [&](QFont& q) { q.setItalic(a.boolean(0)); }); })
          .get(u"Underline", vbBoolean, [](C& f, CallArgs&) { return Variant(f.font().underline()); })
          .let(u"Underline", vbBoolean,
               [change](C& f, CallArgs& a) { change(f, [&](QFont& q) { q.setUnderline(a.boolean(0)); }); })
          .get(u"Strikethrough", vbBoolean, [](C& f, CallArgs&) { return Variant(f.font().strikeOut()); })
          .let(u"Strikethrough", vbBoolean,
               [change](C& f, CallArgs& a) { change(f, [&](QFont& q) { q.setStrikeOut(a.boolean(0)); }); })
          .get(u"Weight", vbInteger,
               [](C& f, CallArgs&) { return Variant(Integer{static_cast<std::int16_t>(f.font().weight())}); })
          .let(u"Weight", vbInteger,
               [change](C& f, CallArgs& a) {
                 LONG w = a.lng(0);
                 if (w < 0 || w > kMaxFontWeight) throw RuntimeError(380);
                 change(f, [&](QFont& q) { q.setWeight(qtFontWeight(w)); });
               })
          .get(u"Charset", vbInteger, [](C& f, CallArgs&) { return Variant(f.charset()); })
          .let(u"Charset", vbInteger, [](C& f, CallArgs& a) { f.setCharset(a.integer(0)); })
          .build();
  return &d;
}

}  // namespace quendel::toolvane::qt
