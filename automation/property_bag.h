// PropertyBag: the named values an object saves itself into and loads itself from (a
// control's properties in its container's saved form), and their bytes.
//
//   PropertyBag bag(u"TvFuncs0305.ucIconControl");
//   bag.WriteProperty(u"BackColor", Variant(LONG{0xFF}), Variant(LONG(0x8000000F)));
//   std::vector<std::uint8_t> bytes = bag.Contents();
//   PropertyBag again = PropertyBag::fromContents(bytes, u"TvFuncs0305.ucIconControl");
//   again.ReadProperty(u"backcolor", Variant(LONG{0}));   // 255: names ignore case
//
// WriteProperty keeps a value only when it differs from its default (same bytes when
// stored); writing the default removes what an earlier write kept. ReadProperty gives the
// kept value, else the default. Values: every scalar subtype, one-dimensional arrays of
// them (their lower bound kept), Nothing, pictures (StdPicture, by their own bytes) and
// fonts (StdFont). Another object raises 330 and stores nothing. A read gives fresh
// objects each time.
//
// Contents (version 1, little-endian; a string is a u32 count of UTF-16 units and the
// units):
//   "QPBG", u16 version, u16 0, string ProgID, u32 count, count x (string name, value)
//   value: u16 VarType, then by type: Empty/Null nothing; Integer i16; Long, Error i32;
//     Single f32; Double, Date f64; Currency i64 (scaled by 10000); Boolean, Byte u8;
//     String string; Object u8 kind: 0 Nothing | 1 picture: i16 Type, i32 Width, i32
//     Height (HIMETRIC), u32 n, n bytes (an .ico/.cur/.bmp file, save_picture.h) |
//     2 font: string Name, i64 Size, u8 Italic|Underline<<1|Strikethrough<<2, i16
//     Weight, i16 Charset; arrays (vbArray | element type) u8 allocated, then i32 lower
//     bound, u32 count and the elements (bytes for a Byte array, else values).
// fromContents checks every length against the bytes left before it reads or allocates,
// and nests arrays at most 16 deep: damaged bytes (truncated, lengths beyond the data,
// unknown types, bytes left over, a later version) raise 321 "Invalid file format";
// bytes saved by another class (ProgID, compared without letter case) raise 13.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

class PropertyBag {
 public:
  static constexpr std::uint16_t kVersion = 1;

  explicit PropertyBag(String progId) : progId_(std::move(progId)) {}
  static PropertyBag fromContents(const std::vector<std::uint8_t>& bytes, std::u16string_view expectedProgId);

  Variant ReadProperty(std::u16string_view name, const Variant& defaultValue = Variant()) const;
  void WriteProperty(std::u16string_view name, const Variant& value, const Variant& defaultValue = Variant());
  std::vector<std::uint8_t> Contents() const;

  const String& progId() const { return progId_; }
  // How many values are kept (those that differ from their defaults).
  std::size_t size() const { return items_.size(); }

 private:
  String progId_;
  std::vector<std::pair<String, std::vector<std::uint8_t>>> items_;  // name, encoded value
};

}  // namespace quendel::automation

QUENDEL_EXPORT_END
