#include "platform/ole/load_picture.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/codecs/bmp_reader.h"
#include "platform/codecs/file_bytes.h"
#include "platform/codecs/gif_reader.h"
#include "platform/codecs/ico_reader.h"
#include "platform/codecs/jpeg_reader.h"
#include "platform/codecs/metafile_header.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/metafile.h"

using namespace quendel::codecs;

namespace {

HRESULT fromDecode(DecodeStatus s) {
  switch (s) {
    case DecodeStatus::Ok: return S_OK;
    case DecodeStatus::TooLarge:
    case DecodeStatus::NoMemory: return E_OUTOFMEMORY;
    default: return CTL_E_INVALIDPICTURE;
  }
}

HRESULT fromErrno(int error) {
  return (error == ENOENT || error == ENOTDIR) ? CTL_E_FILENOTFOUND : CTL_E_PATHFILEACCESSERROR;
}

// How many bytes tell the formats read here apart (an EMF's signature is at 40).
constexpr std::size_t kSignatureBytes = 44;
// The depths bitmaps report for the formats without a depth of their own.
constexpr int kColorJpegBits = 24, kGreyJpegBits = 8, kGifBits = 8;
constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr unsigned kAlphaShift = 24, kChannelBits = 8;
constexpr unsigned kFullAlpha = 0xFF;

// The metafiles that are OLE pictures: a plain WMF has no size of its own to give.
bool isOleMetafile(const std::uint8_t* head, std::size_t n) {
  const MetafileKind kind = metafileKindOf(head, n);
  return kind == MetafileKind::PlaceableWmf || kind == MetafileKind::Emf;
}

// The whole file when its first bytes belong to a format read here. Only those formats
// are read whole; others are told by their first bytes.
HRESULT readSupportedFile(const char16_t* fileName, std::vector<std::uint8_t>* data) {
  int error = 0;
  std::FILE* f = openPictureFile(fileName, &error);
  if (!f) return fromErrno(error);
  std::uint8_t head[kSignatureBytes];
  const std::size_t n = peekBytes(f, head, sizeof head);
  (void)std::fclose(f);  // opened for reading only
  if (!looksLikeBmp(head, n) && !looksLikeJpeg(head, n) && !looksLikeGif(head, n) &&
      iconFileType(head, n) == kNotIconFile && !isOleMetafile(head, n))
    return CTL_E_INVALIDPICTURE;
  FileResult r = readPictureFile(fileName, data);
  if (r.error) return r.error == EFBIG ? E_OUTOFMEMORY : fromErrno(r.error);
  return S_OK;
}

HRESULT loadIcon(const std::uint8_t* bytes, std::size_t size, PictureDescription* result) {
  DecodedIcon icon;
  HRESULT hr = fromDecode(decodeIcon(bytes, size, kStandardIconSize, kStandardIconSize, kDisplayBits, &icon));
  if (FAILED(hr)) return hr;
  quendel::gdi::IconImage image;
  image.isIcon = icon.isIcon;
  image.xHotspot = icon.hotspotX;
  image.yHotspot = icon.hotspotY;
  image.colorBits = kDisplayBits;
  image.hasAlpha = icon.color.alphaFromData;
  image.color = icon.color.pixels;
  image.mask = icon.mask;
  HICON h = quendel::gdi::createIcon(std::move(image));
  if (!h) return E_OUTOFMEMORY;
  result->Type = PICTYPE_ICON;
  result->Handle = reinterpret_cast<UINT_PTR>(h);
  result->Width = PixelsToHimetric(icon.color.pixels->width());
  result->Height = PixelsToHimetric(icon.color.pixels->height());
  return S_OK;
}

// A bitmap, JPEG or GIF file, with the depth its bitmap reports.
DecodeStatus decodeBitmapFile(const std::uint8_t* bytes, std::size_t size, DecodedPicture* pic, int* bits) {
  if (looksLikeBmp(bytes, size)) {
    const DecodeStatus s = decodeBmp(bytes, size, pic);
    *bits = pic->bitsPerPixel;
    return s;
  }
  if (looksLikeJpeg(bytes, size)) {
    const DecodeStatus s = decodeJpeg(bytes, size, pic);
    *bits = pic->grey ? kGreyJpegBits : kColorJpegBits;
    return s;
  }
  if (looksLikeGif(bytes, size)) {
    *bits = kGifBits;
    return decodeGif(bytes, size, pic);
  }
  return DecodeStatus::UnknownFormat;
}

// A bitmap has no transparency of its own: transparent pixels show as black (each
// colour weighted by its alpha, then made opaque).
void blackenTransparency(quendel::gdi::PixelStore& px) {
  for (std::size_t i = 0; i < px.pixelCount(); ++i) {
    std::uint32_t& p = px.data()[i];
    const unsigned a = p >> kAlphaShift;
    if (a == kFullAlpha) continue;
    std::uint32_t out = kOpaque;
    for (unsigned shift = 0; shift < kAlphaShift; shift += kChannelBits)
      out |= ((((p >> shift) & 0xFF) * a + kFullAlpha / 2) / kFullAlpha) << shift;
    p = out;
  }
}

HRESULT loadBitmap(const std::uint8_t* bytes, std::size_t size, PictureDescription* result) {
  DecodedPicture pic;
  int bits = kColorJpegBits;
  HRESULT hr = fromDecode(decodeBitmapFile(bytes, size, &pic, &bits));
  if (FAILED(hr)) return hr;
  if (pic.hasAlpha) blackenTransparency(*pic.pixels);
  HBITMAP h = quendel::gdi::createBitmapFromStore(pic.pixels, bits);
  if (!h) return E_OUTOFMEMORY;
  result->Type = PICTYPE_BITMAP;
  result->Handle = reinterpret_cast<UINT_PTR>(h);
  result->Width = PixelsToHimetric(pic.pixels->width());
  result->Height = PixelsToHimetric(pic.pixels->height());
  return S_OK;
}

// A placeable WMF or an EMF whose records are whole, sized from its header.
HRESULT loadMetafile(const std::uint8_t* bytes, std::size_t size, PictureDescription* result) {
  MetafileHeader header;
  HRESULT hr = fromDecode(readMetafileHeader(bytes, size, &header));
  if (FAILED(hr)) return hr;
  const bool enhanced = header.kind == MetafileKind::Emf;
  const UINT_PTR handle = enhanced ? reinterpret_cast<UINT_PTR>(SetEnhMetaFileBits(static_cast<UINT>(size), bytes))
                                   : reinterpret_cast<UINT_PTR>(quendel::gdi::createMetafileFromFile(bytes, size));
  if (!handle) return E_OUTOFMEMORY;
  result->Type = enhanced ? PICTYPE_ENHMETAFILE : PICTYPE_METAFILE;
  result->Handle = handle;
  result->Width = header.widthHimetric;
  result->Height = header.heightHimetric;
  return S_OK;
}

HRESULT loadAny(const std::uint8_t* data, std::size_t size, PictureDescription* result) {
  if (iconFileType(data, size) != kNotIconFile) return loadIcon(data, size, result);
  if (isOleMetafile(data, size)) {
    // SetEnhMetaFileBits takes a 32-bit size.
    if (size > UINT32_MAX) return E_OUTOFMEMORY;
    return loadMetafile(data, size, result);
  }
  return loadBitmap(data, size, result);
}

}  // namespace

LONG PixelsToHimetric(LONG pixels) {
  constexpr std::int64_t kHimetricPerInch = 2540, kPixelsPerInch = 96;
  const std::int64_t p = static_cast<std::int64_t>(pixels) * kHimetricPerInch;
  const std::int64_t r = (std::llabs(p) + kPixelsPerInch / 2) / kPixelsPerInch;
  return static_cast<LONG>(p < 0 ? -r : r);
}

HRESULT LoadPicture(const char16_t* fileName, PictureDescription* picture) {
  if (!fileName || !picture) return E_POINTER;
  if (!*fileName) return CTL_E_FILENOTFOUND;
  std::vector<std::uint8_t> data;
  HRESULT hr = readSupportedFile(fileName, &data);
  if (FAILED(hr)) return hr;
  return LoadPictureFromBytes(data.data(), data.size(), picture);
}

HRESULT LoadPictureFromBytes(const std::uint8_t* data, std::size_t size, PictureDescription* picture) {
  if ((!data && size) || !picture) return E_POINTER;
  PictureDescription result;
  HRESULT hr = loadAny(data, size, &result);
  if (FAILED(hr)) return hr;
  *picture = result;
  return S_OK;
}
