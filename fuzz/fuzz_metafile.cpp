// Metafiles: the header readers with their record walk, the GDI objects made from the
// bytes, and the drawing of what passed the walk (at a small size, so that each input
// stays quick).
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/codecs/metafile_header.h"
#include "platform/codecs/metafile_renderer.h"
#include "platform/gdi/metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quendel::codecs;
  if (HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(size), data)) {
    ENHMETAHEADER header;
    (void)GetEnhMetaFileHeader(emf, sizeof header, &header);
    (void)DeleteEnhMetaFile(emf);
  }
  if (HMETAFILE wmf = quendel::gdi::createMetafileFromFile(data, size)) (void)DeleteMetaFile(wmf);
  MetafileHeader h;
  if (readMetafileHeader(data, size, &h) != DecodeStatus::Ok) return 0;
  constexpr int kSide = 64;
  auto store = quendel::gdi::PixelStore::create(std::min(h.widthPixels, kSide), std::min(h.heightPixels, kSide), true);
  if (store) (void)renderMetafile(data, size, h, *store);
  return 0;
}
