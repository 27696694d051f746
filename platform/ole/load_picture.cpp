#include "platform/ole/load_picture.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/codecs/bmp_reader.h"
#include "platform/codecs/file_bytes.h"
#include "platform/codecs/gif_reader.h"
#include "platform/codecs/ico_reader.h"
#include "platform/codecs/jpeg_reader.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"

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

}  // namespace

LONG PixelsToHimetric(LONG pixels) {
  const std::int64_t p = static_cast<std::int64_t>(pixels) * 2540;
  const std::int64_t r = (std::llabs(p) + 48) / 96;
  return static_cast<LONG>(p < 0 ? -r : r);
}

HRESULT LoadPicture(const char16_t* fileName, PictureDescription* picture) {
  if (!fileName || !picture) return E_POINTER;
  if (!*fileName) return CTL_E_FILENOTFOUND;
  std::vector<std::uint8_t> data;
  {
    // Only the formats read here are read whole; others are told by their first bytes.
    int error = 0;
    std::FILE* f = openPictureFile(fileName, &error);
    if (!f) return fromErrno(error);
    std::uint8_t head[8];
    const std::size_t n = peekBytes(f, head, sizeof head);
    std::fclose(f);
    if (!looksLikeBmp(head, n) && !looksLikeJpeg(head, n) && !looksLikeGif(head, n) && !iconFileType(head, n))
      return CTL_E_INVALIDPICTURE;
    FileResult r = readPictureFile(fileName, &data);
    if (r.error) return r.error == EFBIG ? E_OUTOFMEMORY : fromErrno(r.error);
  }
  const std::uint8_t* bytes = data.data();
  const std::size_t size = data.size();
  PictureDescription result;
  if (iconFileType(bytes, size)) {
    DecodedIcon icon;
    HRESULT hr = fromDecode(decodeIcon(bytes, size, 32, 32, 32, &icon));
    if (FAILED(hr)) return hr;
    quendel::gdi::IconImage image;
    image.isIcon = icon.isIcon;
    image.xHotspot = icon.hotspotX;
    image.yHotspot = icon.hotspotY;
    image.colorBits = 32;
    image.hasAlpha = icon.color.alphaFromData;
    image.color = icon.color.pixels;
    image.mask = icon.mask;
    HICON h = quendel::gdi::createIcon(std::move(image));
    if (!h) return E_OUTOFMEMORY;
    result.Type = PICTYPE_ICON;
    result.Handle = reinterpret_cast<UINT_PTR>(h);
    result.Width = PixelsToHimetric(icon.color.pixels->width());
    result.Height = PixelsToHimetric(icon.color.pixels->height());
  } else {
    DecodedPicture pic;
    DecodeStatus s = DecodeStatus::UnknownFormat;
    int bits = 24;
    if (looksLikeBmp(bytes, size)) {
      s = decodeBmp(bytes, size, &pic);
      bits = pic.bitsPerPixel;
    } else if (looksLikeJpeg(bytes, size)) {
      s = decodeJpeg(bytes, size, &pic);
      bits = pic.grey ? 8 : 24;
    } else if (looksLikeGif(bytes, size)) {
      s = decodeGif(bytes, size, &pic);
      bits = 8;
    }
    HRESULT hr = fromDecode(s);
    if (FAILED(hr)) return hr;
    if (pic.hasAlpha) {
      // A bitmap has no transparency of its own: transparent pixels show as black.
      auto& px = *pic.pixels;
      for (std::size_t i = 0; i < px.pixelCount(); ++i) {
        std::uint32_t& p = px.data()[i];
        const unsigned a = p >> 24;
        if (a == 0xFF) continue;
        std::uint32_t out = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) out |= ((((p >> shift) & 0xFF) * a + 127) / 255) << shift;
        p = out;
      }
    }
    HBITMAP h = quendel::gdi::createBitmapFromStore(pic.pixels, bits);
    if (!h) return E_OUTOFMEMORY;
    result.Type = PICTYPE_BITMAP;
    result.Handle = reinterpret_cast<UINT_PTR>(h);
    result.Width = PixelsToHimetric(pic.pixels->width());
    result.Height = PixelsToHimetric(pic.pixels->height());
  }
  *picture = result;
  return S_OK;
}
