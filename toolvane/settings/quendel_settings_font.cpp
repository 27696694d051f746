// qndQuendelSettings: SaveFont2 and LoadFont2.
#include "automation/std_font.h"
#include "support/quendelsupport.h"
#include "toolvane/settings/ole_font.h"
#include "toolvane/settings/qnd_quendel_settings.h"

namespace quendel::toolvane {

namespace {

// scaled / divisor rounded half to even, for Currency sizes (exact, unlike a Double).
LONG divideHalfEven(std::int64_t scaled, std::int64_t divisor) {
  std::int64_t q = scaled / divisor, r = scaled % divisor;
  if (r < 0) {
    r += divisor;
    --q;
  }
  if (2 * r > divisor || (2 * r == divisor && (q & 1))) ++q;
  return static_cast<LONG>(q);
}

}  // namespace

bool qndQuendelSettings::SaveFont2(const String& SubKey, const ObjectPtr& Value, const ObjectPtr& AppObject,
                                   bool UserSetting) {
  if (!Value) return false;
  const Currency size = Value->get(u"Size").toCurrency();
  auto save = [&](const char16_t* name, LONG type, const Variant& v) {
    SaveSetting2(SubKey, name, type, v, AppObject, UserSetting);
  };
  save(u"Size", rtLong, Variant(divideHalfEven(size.scaled, 10000)));
  save(u"Size2", rtLong, Variant(divideHalfEven(size.scaled, 10)));
  save(u"Italic", rtBoolean, Variant(Value->get(u"Italic").toBool()));
  save(u"Strikethrough", rtBoolean, Variant(Value->get(u"Strikethrough").toBool()));
  save(u"Underline", rtBoolean, Variant(Value->get(u"Underline").toBool()));
  save(u"Charset", rtLong, Variant(Value->get(u"Charset").toLong()));
  save(u"Weight", rtLong, Variant(Value->get(u"Weight").toLong()));
  save(u"Name", rtString, Variant(Value->get(u"Name").toString()));
  return true;
}

ObjectPtr qndQuendelSettings::LoadFont2(const String& SubKey, const ObjectPtr& AppObject, const ObjectPtr& Default,
                                        bool UserSetting) {
  ObjectPtr base = Default ? Default : ObjectPtr(StdFont::create());
  auto load = [&](const char16_t* name, LONG type, const char16_t* property, bool* found = nullptr) {
    return LoadSetting2(SubKey, name, type, AppObject, base->get(property), UserSetting, found);
  };

  FONTDESC fd;
  fd.cbSizeofstruct = kFontDescSize;
  bool found = false;
  Variant size2 = load(u"Size2", rtLong, u"Size", &found);
  double size = found ? size2.toDouble() * 10 : load(u"Size", rtLong, u"Size").toDouble() * 10000;
  fd.cySize = asDoubleToLargeInteger(size);
  fd.fItalic = load(u"Italic", rtBoolean, u"Italic").toBool() ? 1 : 0;
  fd.fStrikethrough = load(u"Strikethrough", rtBoolean, u"Strikethrough").toBool() ? 1 : 0;
  fd.fUnderline = load(u"Underline", rtBoolean, u"Underline").toBool() ? 1 : 0;
  fd.sCharset = static_cast<std::int16_t>(asLoWord(load(u"Charset", rtLong, u"Charset").toLong()));
  fd.sWeight = static_cast<std::int16_t>(asLoWord(load(u"Weight", rtLong, u"Weight").toLong()));
  String name = load(u"Name", rtString, u"Name").toString();
  fd.lpstrName = name.c_str();

  ObjectPtr font;
  if (FAILED(OleCreateFontIndirect(&fd, kIID_IUnknown, &font))) return Default;
  return font;
}

}  // namespace quendel::toolvane
