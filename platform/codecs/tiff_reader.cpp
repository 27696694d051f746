#include "platform/codecs/tiff_reader.h"

#include <tiffio.h>

#include <cstring>
#include <mutex>

#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {
void silence() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}
struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
}  // namespace

bool looksLikeTiff(const std::uint8_t* data, std::size_t size) {
  return size >= 4 && ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                       (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42) ||
                       (data[0] == 'I' && data[1] == 'I' && data[2] == 43 && data[3] == 0) ||
                       (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 43));
}

DecodeStatus decodeTiffFile(const std::string& path, DecodedPicture* out, bool* cmyk) {
  silence();
  std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.c_str(), "r"));
  if (!tif) return DecodeStatus::Damaged;
  std::uint32_t w = 0, h = 0;
  std::uint16_t bits = 1, spp = 1, photometric = 0, extraCount = 0;
  std::uint16_t* extra = nullptr;
  if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h))
    return DecodeStatus::Damaged;
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
  if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric)) photometric = PHOTOMETRIC_MINISBLACK;
  if (!gdi::pictureSizeAllowed(w, h)) return DecodeStatus::TooLarge;
  char message[1024];
  if (!TIFFRGBAImageOK(tif.get(), message)) return DecodeStatus::Damaged;
  DecodedPicture r;
  r.bitsPerPixel = bits * spp;
  r.bitsPerChannel = bits;
  r.indexed = photometric == PHOTOMETRIC_PALETTE;
  r.grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
  r.hasAlpha = extraCount > 0;
  r.alphaFromData = r.hasAlpha;
  *cmyk = photometric == PHOTOMETRIC_SEPARATED;
  float xres = 0, yres = 0;
  std::uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
  if (TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &xres) && TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &yres) &&
      xres > 0 && yres > 0 && unit != RESUNIT_NONE) {
    const double f = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    r.dpiX = xres * f;
    r.dpiY = yres * f;
  }
  r.pixels = gdi::PixelStore::create(static_cast<int>(w), static_cast<int>(h), false);
  if (!r.pixels) return DecodeStatus::NoMemory;
  if (!TIFFReadRGBAImageOriented(tif.get(), w, h, r.pixels->data(), ORIENTATION_TOPLEFT, 1))
    return DecodeStatus::Damaged;
  // libtiff gives A B G R from the top byte down, with colour premultiplied by alpha
  // whenever there is alpha.
  std::uint32_t* p = r.pixels->data();
  for (std::size_t i = 0, n = r.pixels->pixelCount(); i < n; ++i) {
    const std::uint32_t v = p[i];
    std::uint32_t red = v & 0xFF, green = (v >> 8) & 0xFF, blue = (v >> 16) & 0xFF;
    const std::uint32_t a = v >> 24;
    if (r.hasAlpha && a != 0xFF) {
      if (a == 0) {
        red = green = blue = 0;
      } else {
        red = std::min<std::uint32_t>(255, (red * 255 + a / 2) / a);
        green = std::min<std::uint32_t>(255, (green * 255 + a / 2) / a);
        blue = std::min<std::uint32_t>(255, (blue * 255 + a / 2) / a);
      }
    }
    p[i] = (a << 24) | (red << 16) | (green << 8) | blue;
  }
  *out = std::move(r);
  return DecodeStatus::Ok;
}

}  // namespace quendel::codecs
