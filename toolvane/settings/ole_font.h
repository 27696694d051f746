// FONTDESC and OleCreateFontIndirect: a standard font object (automation/std_font.h)
// made from a font description, as the OLE call of that name does.
//
//   FONTDESC fd{};
//   fd.cbSizeofstruct = sizeof(FONTDESC);    // 32, as the OLE structure measures
//   fd.lpstrName = u"Sans Serif";
//   fd.cySize = 82500;                        // 8.25 points in ten-thousandths
//   fd.sWeight = 700;
//   ObjectPtr font;
//   HRESULT hr = OleCreateFontIndirect(&fd, kIID_IUnknown, &font);
//
// The font is a new StdFont that shares nothing with the description. Failures leave
// *out untouched: E_POINTER for a null description, name or output; E_INVALIDARG when
// cbSizeofstruct is not 32; E_NOINTERFACE for an interface a font does not have (it has
// IUnknown, IDispatch, IFont and IFontDisp); CTL_E_INVALIDPROPERTYVALUE when the size is
// not above 0 and at most 2160 points, or the weight is outside 0 to 1000 - values a
// font object cannot hold, so that damaged stored values never make a broken font.
//
// Not a platform call here: the object it makes belongs to the automation runtime.
#pragma once

#include "automation/object.h"
#include "support/export.h"
#include "support/guid.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

struct FONTDESC {
  UINT cbSizeofstruct = 0;
  const char16_t* lpstrName = nullptr;
  LONGLONG cySize = 0;  // CY: points times 10000
  std::int16_t sWeight = 0;
  std::int16_t sCharset = 0;
  BOOL fItalic = 0;
  BOOL fUnderline = 0;
  BOOL fStrikethrough = 0;
};

// The size of the OLE structure on the platforms the family was built for (32-bit
// pointers); a caller fills cbSizeofstruct with it.
inline constexpr UINT kFontDescSize = 32;

inline constexpr HRESULT CTL_E_INVALIDPROPERTYVALUE = static_cast<HRESULT>(0x800A017Cu);

extern const IID kIID_IUnknown;
extern const IID kIID_IDispatch;
extern const IID kIID_IFont;
extern const IID kIID_IFontDisp;

[[nodiscard]] HRESULT OleCreateFontIndirect(const FONTDESC* lpFontDesc, const IID& riid,
                                            automation::ObjectPtr* lplpvObj);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
