#include "platform/ole/save_picture.h"

#include "platform/codecs/bmp_writer.h"
#include "platform/codecs/ico_writer.h"
#include "platform/gdi/icon_pixels.h"

namespace {

constexpr int kBitmapBits = 24;
constexpr double kScreenDpi = 96;

HRESULT finish(quendel::codecs::MemorySink& sink, bool written, std::vector<std::uint8_t>* bytes) {
  if (sink.failed()) return E_OUTOFMEMORY;
  if (!written) return CTL_E_INVALIDPICTURE;
  *bytes = sink.take();
  return S_OK;
}

}  // namespace

HRESULT SavePictureToBytes(short type, UINT_PTR handle, std::vector<std::uint8_t>* bytes) {
  if (!bytes) return E_POINTER;
  quendel::codecs::MemorySink sink;
  switch (type) {
    case PICTYPE_NONE: bytes->clear(); return S_OK;
    case PICTYPE_ICON: {
      quendel::gdi::IconPixels px;
      if (!quendel::gdi::iconPixels(reinterpret_cast<HICON>(handle), &px)) return CTL_E_INVALIDPICTURE;
      return finish(sink, quendel::codecs::writeIcon(px, sink), bytes);
    }
    case PICTYPE_BITMAP: {
      auto rows = quendel::gdi::bitmapRowSource(reinterpret_cast<HBITMAP>(handle));
      if (!rows) return CTL_E_INVALIDPICTURE;
      return finish(sink, quendel::codecs::writeBmp(*rows, kBitmapBits, kScreenDpi, kScreenDpi, sink), bytes);
    }
    case PICTYPE_METAFILE:
    case PICTYPE_ENHMETAFILE: return E_NOTIMPL;
    default: return CTL_E_INVALIDPICTURE;
  }
}
