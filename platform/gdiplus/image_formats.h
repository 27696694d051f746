// The standard GDI+ image-format identifiers (raw formats) and encoder class
// identifiers.
#pragma once

#include "support/export.h"
#include "support/guid.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::gdiplus {

inline const GUID ImageFormatUndefined = guidFromLiteral("{B96B3CA9-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatMemoryBMP = guidFromLiteral("{B96B3CAA-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatBMP = guidFromLiteral("{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatEMF = guidFromLiteral("{B96B3CAC-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatWMF = guidFromLiteral("{B96B3CAD-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatJPEG = guidFromLiteral("{B96B3CAE-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatPNG = guidFromLiteral("{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatGIF = guidFromLiteral("{B96B3CB0-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatTIFF = guidFromLiteral("{B96B3CB1-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatEXIF = guidFromLiteral("{B96B3CB2-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatPhotoCD = guidFromLiteral("{B96B3CB3-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatFlashPIX = guidFromLiteral("{B96B3CB4-0728-11D3-9D7B-0000F81EF32E}");
inline const GUID ImageFormatIcon = guidFromLiteral("{B96B3CB5-0728-11D3-9D7B-0000F81EF32E}");

inline const CLSID EncoderBMP = guidFromLiteral("{557CF400-1A04-11D3-9A73-0000F81EF32E}");
inline const CLSID EncoderPNG = guidFromLiteral("{557CF406-1A04-11D3-9A73-0000F81EF32E}");

}  // namespace quendel::gdiplus

QUENDEL_EXPORT_END
