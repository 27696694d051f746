// The TIFF module: libtiff reads the first page; 16-bit samples come out reduced to 8
// bits and associated (premultiplied) alpha is turned back into plain alpha.
#include "platform/codecs/tiff_module.h"

#include <tiffio.h>

#include <algorithm>
#include <memory>

#include "platform/codecs/decoded_picture.h"
#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {

static_assert(kTiffPhotometricMinIsWhite == PHOTOMETRIC_MINISWHITE &&
              kTiffPhotometricMinIsBlack == PHOTOMETRIC_MINISBLACK && kTiffPhotometricPalette == PHOTOMETRIC_PALETTE &&
              kTiffPhotometricSeparated == PHOTOMETRIC_SEPARATED);

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};

constexpr double kCentimetersPerInch = 2.54;

void readResolution(TIFF* tif, TiffInfo* info) {
  float xres = 0, yres = 0;
  std::uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) && xres > 0 &&
      yres > 0 && unit != RESUNIT_NONE) {
    const double f = unit == RESUNIT_CENTIMETER ? kCentimetersPerInch : 1.0;
    info->dpiX = xres * f;
    info->dpiY = yres * f;
  }
}

// libtiff gives A B G R from the top byte down, with colour premultiplied by alpha
// whenever there is alpha.
void toPlainArgb(std::uint32_t* p, std::size_t count, bool hasAlpha) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t v = p[i];
    std::uint32_t red = v & 0xFF, green = (v >> 8) & 0xFF, blue = (v >> 16) & 0xFF;
    const std::uint32_t a = v >> 24;
    if (hasAlpha && a != 0xFF) {
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
}

DecodeStatus decode(const char* path, TiffInfo* info, PixelAllocate allocate, void* context) {
  std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path, "r"));
  if (!tif) return DecodeStatus::Damaged;
  std::uint32_t w = 0, h = 0;
  std::uint16_t extraCount = 0;
  std::uint16_t* extra = nullptr;
  *info = TiffInfo{1, 1, kTiffPhotometricMinIsBlack, false, 0, 0};
  if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h))
    return DecodeStatus::Damaged;
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &info->bitsPerSample);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &info->samplesPerPixel);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
  if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &info->photometric)) info->photometric = PHOTOMETRIC_MINISBLACK;
  info->hasAlpha = extraCount > 0;
  if (!gdi::pictureSizeAllowed(w, h)) return DecodeStatus::TooLarge;
  char message[1024];
  if (!TIFFRGBAImageOK(tif.get(), message)) return DecodeStatus::Damaged;
  readResolution(tif.get(), info);
  std::uint32_t* pixels = allocate(context, static_cast<int>(w), static_cast<int>(h));
  if (!pixels) return DecodeStatus::NoMemory;
  if (!TIFFReadRGBAImageOriented(tif.get(), w, h, pixels, ORIENTATION_TOPLEFT, 1)) return DecodeStatus::Damaged;
  toPlainArgb(pixels, std::size_t{w} * h, info->hasAlpha);
  return DecodeStatus::Ok;
}

int decodeEntry(const char* path, TiffInfo* info, PixelAllocate allocate, void* context) {
  return static_cast<int>(decode(path, info, allocate, context));
}

// libtiff's own messages are silenced for the life of the module.
[[gnu::constructor]] void silence() {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
}

const TiffModule kTable{{platform::kModuleTableMagic, kTiffModuleVersion, sizeof(TiffModule)}, decodeEntry};

}  // namespace

}  // namespace quendel::codecs

extern "C" __attribute__((visibility("default"))) const quendel::platform::ModuleTableHeader* quendelTiffModule() {
  return &quendel::codecs::kTable.header;
}
