#include "toolvane/controls/qnd_simple_list_dialog.h"

#include "toolvane/controls/list_dialog_window.h"
#include "toolvane/frame/client_objects.h"

namespace quendel::toolvane {

namespace {

// frmList's design font: Tahoma 9, Cyrillic, weight 100.
constexpr double kDesignFontPoints = 9;
constexpr std::int16_t kDesignFontWeight = 100;

std::shared_ptr<StdFont> designFont() {
  auto font = StdFont::create();
  font->setBold(false);
  font->setCharset(Integer{kRussianCharset});
  font->setItalic(false);
  font->setName(u"Tahoma");
  font->setSize(Currency::fromDouble(kDesignFontPoints));
  font->setStrikethrough(false);
  font->setUnderline(false);
  font->setWeight(Integer{kDesignFontWeight});
  return font;
}

// The font's values read by name, so that any font object the caller assigned works.
FontDesc readFont(Object& font) {
  FontDesc d;
  d.name = font.get(u"Name").toString();
  d.size = font.get(u"Size").toCurrency();
  d.weight = font.get(u"Weight").toInteger();
  d.italic = font.get(u"Italic").toBool();
  d.underline = font.get(u"Underline").toBool();
  d.strikethrough = font.get(u"Strikethrough").toBool();
  d.charset = font.get(u"Charset").toInteger();
  return d;
}

}  // namespace

qndSimpleListDialog::qndSimpleListDialog() : elements_(automation::Collection::create()), font_(designFont()) {}

void qndSimpleListDialog::setElements(const ObjectPtr& elements) {
  if (!elements) {
    elements_ = automation::Collection::create();
    return;
  }
  auto collection = std::dynamic_pointer_cast<automation::Collection>(elements);
  if (!collection) throw RuntimeError(13);
  elements_ = std::move(collection);
}

ListDialogRequest qndSimpleListDialog::request() const {
  ListDialogRequest r;
  for (const Variant& element : elements_->items()) ignoringErrors([&] { r.items.push_back(element.toString()); });
  r.caption = listDialogCaption(caption_, showCountInCaption_, r.items.size());
  if (font_) ignoringErrors([&] { r.font = readFont(*font_); });
  return r;
}

void qndSimpleListDialog::Show() {
  try {
    showListDialogWindow(request());
  } catch (const RuntimeError&) {
    // Show always returns normally; a window that could not be shown is no error here.
  }
}

}  // namespace quendel::toolvane
