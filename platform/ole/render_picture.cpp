#include "platform/ole/render_picture.h"

#include <algorithm>

#include "platform/codecs/metafile_header.h"
#include "platform/codecs/metafile_renderer.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/picture_limits.h"

using namespace quendel;
using codecs::DecodeStatus;

namespace {

HRESULT fromDecode(DecodeStatus s) {
  switch (s) {
    case DecodeStatus::Ok: return S_OK;
    case DecodeStatus::TooLarge:
    case DecodeStatus::NoMemory: return E_OUTOFMEMORY;
    default: return CTL_E_INVALIDPICTURE;
  }
}

// The part of a cx x cy rectangle at (x, y) that lies on a w x h bitmap.
struct Overlap {
  int left, top, right, bottom;
  bool empty() const { return left >= right || top >= bottom; }
};
Overlap overlap(LONG x, LONG y, LONG cx, LONG cy, int w, int h) {
  const auto clamp = [](std::int64_t v, int hi) { return static_cast<int>(std::clamp<std::int64_t>(v, 0, hi)); };
  return {clamp(x, w), clamp(y, h), clamp(std::int64_t{x} + cx, w), clamp(std::int64_t{y} + cy, h)};
}

}  // namespace

HRESULT RenderPicture(const PictureDescription* picture, HDC dc, LONG x, LONG y, LONG cx, LONG cy) {
  if (!picture) return E_POINTER;
  if (picture->Type != PICTYPE_METAFILE && picture->Type != PICTYPE_ENHMETAFILE) return E_INVALIDARG;
  const auto bytes = gdi::metafileFileBytes(reinterpret_cast<const void*>(picture->Handle));
  HBITMAP bitmap = gdi::selectedBitmap(dc);
  if (!bytes || !bitmap || cx <= 0 || cy <= 0) return E_INVALIDARG;
  if (!gdi::pictureSizeAllowed(cx, cy)) return E_OUTOFMEMORY;
  codecs::MetafileHeader header;
  HRESULT hr = fromDecode(codecs::readMetafileHeader(bytes->data(), bytes->size(), &header));
  if (FAILED(hr)) return hr;
  BITMAP bm{};
  if (GetObjectA(bitmap, sizeof bm, &bm) != static_cast<int>(sizeof bm)) return E_INVALIDARG;
  const Overlap o = overlap(x, y, cx, cy, bm.bmWidth, bm.bmHeight);
  if (o.empty()) return S_OK;
  // Drawn on a copy of the rectangle's pixels, so that a failure leaves the bitmap as
  // it was; the part of the rectangle off the bitmap starts transparent.
  auto canvas = gdi::PixelStore::create(cx, cy, true);
  auto target = gdi::bitmapStoreForWriting(bitmap);
  if (!canvas || !target) return E_OUTOFMEMORY;
  for (int row = o.top; row < o.bottom; ++row)
    std::copy(target->row(row) + o.left, target->row(row) + o.right, canvas->row(row - y) + (o.left - x));
  hr = fromDecode(codecs::renderMetafile(bytes->data(), bytes->size(), header, *canvas));
  if (FAILED(hr)) return hr;
  for (int row = o.top; row < o.bottom; ++row)
    std::copy(canvas->row(row - y) + (o.left - x), canvas->row(row - y) + (o.right - x), target->row(row) + o.left);
  return S_OK;
}
