#include "automation/std_font.h"

namespace quendel::automation {

std::shared_ptr<StdFont> StdFont::create(FontDesc desc) { return std::make_shared<StdFont>(std::move(desc)); }

void StdFont::setSize(Currency s) {
  if (s.scaled <= 0 || s.scaled > Currency::fromDouble(kMaxFontPoints).scaled) throw RuntimeError(380);
  d_.size = s;
}

void StdFont::setWeight(Integer w) {
  if (w.value < 0 || w.value > kMaxFontWeight) throw RuntimeError(380);
  d_.weight = w;
}

const ClassDesc* StdFont::classDesc() const {
  static const ClassDesc d =
      ClassBuilder<StdFont>(u"StdFont")
          .get(u"Name", vbString, [](StdFont& f, CallArgs&) { return Variant(f.Name()); })
          .defaultMember()
          .let(u"Name", vbString, [](StdFont& f, CallArgs& a) { f.setName(a.str(0)); })
          .get(u"Size", vbCurrency, [](StdFont& f, CallArgs&) { return Variant(f.Size()); })
          .let(u"Size", vbCurrency, [](StdFont& f, CallArgs& a) { f.setSize(a[0].toCurrency()); })
          .get(u"Bold", vbBoolean, [](StdFont& f, CallArgs&) { return Variant(f.Bold()); })
          .let(u"Bold", vbBoolean, [](StdFont& f, CallArgs& a) { f.setBold(a.boolean(0)); })
          .get(u"Italic", vbBoolean, [](StdFont& f, CallArgs&) { return Variant(f.Italic()); })
          .let(u"Italic", vbBoolean, [](StdFont& f, CallArgs& a) { f.setItalic(a.boolean(0)); })
          .get(u"Underline", vbBoolean, [](StdFont& f, CallArgs&) { return Variant(f.Underline()); })
          .let(u"Underline", vbBoolean, [](StdFont& f, CallArgs& a) { f.setUnderline(a.boolean(0)); })
          .get(u"Strikethrough", vbBoolean, [](StdFont& f, CallArgs&) { return Variant(f.Strikethrough()); })
          .let(u"Strikethrough", vbBoolean, [](StdFont& f, CallArgs& a) { f.setStrikethrough(a.boolean(0)); })
          .get(u"Weight", vbInteger, [](StdFont& f, CallArgs&) { return Variant(f.Weight()); })
          .let(u"Weight", vbInteger, [](StdFont& f, CallArgs& a) { f.setWeight(a.integer(0)); })
          .get(u"Charset", vbInteger, [](StdFont& f, CallArgs&) { return Variant(f.Charset()); })
          .let(u"Charset", vbInteger, [](StdFont& f, CallArgs& a) { f.setCharset(a.integer(0)); })
          .build();
  return &d;
}

}  // namespace quendel::automation
