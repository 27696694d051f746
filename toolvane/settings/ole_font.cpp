#include "toolvane/settings/ole_font.h"

#include "automation/std_font.h"

namespace quendel::toolvane {

const IID kIID_IUnknown = guidFromLiteral("{00000000-0000-0000-C000-000000000046}");
const IID kIID_IDispatch = guidFromLiteral("{00020400-0000-0000-C000-000000000046}");
const IID kIID_IFont = guidFromLiteral("{BEF6E002-A874-101A-8BBA-00AA00300CAB}");
const IID kIID_IFontDisp = guidFromLiteral("{BEF6E003-A874-101A-8BBA-00AA00300CAB}");

HRESULT OleCreateFontIndirect(const FONTDESC* lpFontDesc, const IID& riid, automation::ObjectPtr* lplpvObj) {
  if (!lpFontDesc || !lplpvObj || !lpFontDesc->lpstrName) return E_POINTER;
  const FONTDESC& fd = *lpFontDesc;
  if (fd.cbSizeofstruct != kFontDescSize) return E_INVALIDARG;
  if (riid != kIID_IUnknown && riid != kIID_IDispatch && riid != kIID_IFont && riid != kIID_IFontDisp)
    return E_NOINTERFACE;
  if (fd.cySize <= 0 || fd.cySize > 2160LL * 10000) return CTL_E_INVALIDPROPERTYVALUE;
  if (fd.sWeight < 0 || fd.sWeight > 1000) return CTL_E_INVALIDPROPERTYVALUE;

  automation::FontDesc desc;
  desc.name = automation::String(fd.lpstrName);
  desc.size = automation::Currency{fd.cySize};
  desc.weight = automation::Integer{fd.sWeight};
  desc.charset = automation::Integer{fd.sCharset};
  desc.italic = fd.fItalic != 0;
  desc.underline = fd.fUnderline != 0;
  desc.strikethrough = fd.fStrikethrough != 0;
  *lplpvObj = automation::StdFont::create(std::move(desc));
  return S_OK;
}

}  // namespace quendel::toolvane
