// Drawing a metafile picture into a device context (the picture object's Render).
//
//   PictureDescription pic;                       // from LoadPicture, a metafile
//   HRESULT hr = RenderPicture(pic, dc, 0, 0, w, h);
//
// The metafile of a PICTYPE_METAFILE or PICTYPE_ENHMETAFILE picture is drawn stretched
// to the cx x cy rectangle at (x, y) of the bitmap selected into `dc`, over what the
// bitmap holds there (metafile_renderer.h: no antialiasing, the frame filling the
// rectangle); the part outside the bitmap is clipped.
// Failures (the bitmap untouched): E_POINTER for a null description; E_INVALIDARG for
// another picture type, an invalid handle, a DC without a bitmap, or an empty
// rectangle; CTL_E_INVALIDPICTURE when the records cannot be drawn; E_OUTOFMEMORY for
// a rectangle beyond picture_limits.h, a limit of the drawing reached, or no memory.
#pragma once

#include "platform/ole/load_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

[[nodiscard]] HRESULT RenderPicture(const PictureDescription* picture, HDC dc, LONG x, LONG y, LONG cx, LONG cy);

QUENDEL_EXPORT_END
