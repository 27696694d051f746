// A picture's own bytes, as a picture object saves itself into a stream: the file form
// that LoadPictureFromBytes (load_picture.h) reads back.
//
//   std::vector<std::uint8_t> bytes;
//   if (SUCCEEDED(SavePictureToBytes(PICTYPE_ICON, handle, &bytes))) ... LoadPictureFromBytes(...)
//
// An icon or cursor becomes an .ico or .cur file of its one image (32 bits with alpha,
// the hot spot kept); a bitmap a 24-bit Windows bitmap (its pixels, not the depth it
// reports); an empty picture (PICTYPE_NONE) no bytes.
// Failures (the output untouched): E_POINTER for a null output; CTL_E_INVALIDPICTURE for
// a handle that is not of its type or an icon too large for the file form (more than 256
// pixels); E_NOTIMPL for metafiles; E_OUTOFMEMORY when memory runs out.
#pragma once

#include <vector>

#include "platform/ole/load_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

[[nodiscard]] HRESULT SavePictureToBytes(short type, UINT_PTR handle, std::vector<std::uint8_t>* bytes);

QUENDEL_EXPORT_END
