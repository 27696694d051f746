#include "platform/codecs/jpeg_reader.h"

#include "platform/codecs/jpeg_module.h"
#include "platform/codecs/module_pixels.h"

namespace quendel::codecs {

namespace {

constexpr int kGreyBits = 8, kColorBits = 24, kCmykBits = 32;

const JpegModule* jpegModule() {
  static platform::OnDemandModule module(kJpegModuleFile, kJpegModuleEntry, kJpegModuleVersion, sizeof(JpegModule));
  return module.table<JpegModule>();
}

}  // namespace

bool looksLikeJpeg(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

DecodeStatus decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture* out, bool* cmyk) {
  if (!looksLikeJpeg(data, size)) return DecodeStatus::UnknownFormat;
  const JpegModule* module = jpegModule();
  if (!module) return DecodeStatus::Damaged;  // as data libjpeg rejects
  JpegInfo info{};
  std::shared_ptr<gdi::PixelStore> pixels;
  const auto s = static_cast<DecodeStatus>(module->decode(data, size, &info, allocatePixelStore, &pixels));
  if (s != DecodeStatus::Ok) return s;
  DecodedPicture r;
  r.pixels = std::move(pixels);
  r.grey = info.grey;
  r.bitsPerPixel = info.grey ? kGreyBits : (info.cmyk ? kCmykBits : kColorBits);
  r.dpiX = info.dpiX;
  r.dpiY = info.dpiY;
  if (cmyk) *cmyk = info.cmyk;
  *out = std::move(r);
  return DecodeStatus::Ok;
}

}  // namespace quendel::codecs
