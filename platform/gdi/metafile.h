// GDI metafile objects: Windows metafiles (HMETAFILE) and enhanced metafiles
// (HENHMETAFILE) made from the bytes of a file, with the calls that hand their bytes
// and header back.
//
//   HENHMETAFILE emf = SetEnhMetaFileBits(size, bytes);
//   ENHMETAHEADER h;
//   if (GetEnhMetaFileHeader(emf, 100, &h) == 100) ... h.rclBounds ...
//   (void)DeleteEnhMetaFile(emf);
//
// An object keeps a copy of the bytes and nothing else: it is drawn by the picture
// code above GDI (platform/ole RenderPicture), which reads the records. Creation checks
// the header record only (type, size, signature), so a handle never names data whose
// header cannot be read; a file's records are checked by the loaders before they make
// one. Every call checks its handle as the rest of GDI does: a deleted or made-up
// handle gives 0 / NULL / FALSE.
//  - GetEnhMetaFileHeader with a null buffer returns the header record's size; else it
//    copies the first min(size, header size) bytes and returns that count.
//  - GetEnhMetaFileBits / GetMetaFileBitsEx: a null buffer asks for the size; a smaller
//    buffer gets nothing (0). A metafile made from a placeable file gives its records
//    without the placeable header, as the platform's metafile bits are.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/gdi_types.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

#define QUENDEL_GDI_API QUENDEL_EXPORT

QUENDEL_GDI_API HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
QUENDEL_GDI_API HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data);
QUENDEL_GDI_API UINT GetEnhMetaFileHeader(HENHMETAFILE metafile, UINT size, ENHMETAHEADER* header);
QUENDEL_GDI_API UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data);
QUENDEL_GDI_API UINT GetMetaFileBitsEx(HMETAFILE metafile, UINT size, void* data);
[[nodiscard]] QUENDEL_GDI_API BOOL DeleteEnhMetaFile(HENHMETAFILE metafile);
[[nodiscard]] QUENDEL_GDI_API BOOL DeleteMetaFile(HMETAFILE metafile);

namespace quendel::gdi {

// A Windows metafile from a whole .wmf file, placeable or plain (its placeable header
// kept for drawing); null when the headers are not those of a WMF.
QUENDEL_GDI_API HMETAFILE createMetafileFromFile(const std::uint8_t* data, std::size_t size);
// The bytes a metafile of either kind was made from, shared; null for an invalid handle.
QUENDEL_GDI_API std::shared_ptr<const std::vector<std::uint8_t>> metafileFileBytes(const void* metafile);

}  // namespace quendel::gdi

QUENDEL_EXPORT_END
