// StdFont: the standard OLE font object (Name, Size, Bold, Italic, Underline,
// Strikethrough, Weight, Charset).
//
// Bold and Weight stay in step as the platform keeps them: Bold sets Weight to 700 or 400,
// and a Weight of 551 or more reads back as Bold. Size is in points (Currency, four
// decimals). A new font is "MS Sans Serif"-like default: Name "Sans Serif", Size 8.25.
#pragma once

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

// The limits of a font object: Size up to kMaxFontPoints, Weight 0 to kMaxFontWeight; a
// Weight above kBoldAboveWeight reads as Bold.
inline constexpr double kMaxFontPoints = 2160;
inline constexpr std::int16_t kMaxFontWeight = 1000;
inline constexpr std::int16_t kBoldAboveWeight = 550;
inline constexpr std::int16_t kNormalWeight = 400;
inline constexpr std::int16_t kBoldWeight = 700;
// The character set of Cyrillic fonts.
inline constexpr std::int16_t kRussianCharset = 204;

struct FontDesc {
  String name = u"Sans Serif";
  Currency size = Currency{82500};
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  Integer weight = Integer{kNormalWeight};
  Integer charset = Integer{0};
};

class StdFont : public Object {
 public:
  static std::shared_ptr<StdFont> create(FontDesc desc = {});
  explicit StdFont(FontDesc desc) : d_(std::move(desc)) {}

  const FontDesc& desc() const { return d_; }
  String Name() const { return d_.name; }
  void setName(String n) { d_.name = std::move(n); }
  Currency Size() const { return d_.size; }
  void setSize(Currency s);  // raises 380 for a size below 0 or above 2160 points
  bool Bold() const { return d_.weight.value > kBoldAboveWeight; }
  void setBold(bool b) { d_.weight = Integer{b ? kBoldWeight : kNormalWeight}; }
  bool Italic() const { return d_.italic; }
  void setItalic(bool b) { d_.italic = b; }
  bool Underline() const { return d_.underline; }
  void setUnderline(bool b) { d_.underline = b; }
  bool Strikethrough() const { return d_.strikethrough; }
  void setStrikethrough(bool b) { d_.strikethrough = b; }
  Integer Weight() const { return d_.weight; }
  void setWeight(Integer w);  // raises 380 outside 0 to 1000
  Integer Charset() const { return d_.charset; }
  void setCharset(Integer c) { d_.charset = c; }

  String className() const override { return u"StdFont"; }
  const ClassDesc* classDesc() const override;

 private:
  FontDesc d_;
};

}  // namespace quendel::automation

QUENDEL_EXPORT_END
