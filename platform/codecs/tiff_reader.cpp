#include "platform/codecs/tiff_reader.h"

#include "platform/codecs/module_pixels.h"
#include "platform/codecs/tiff_module.h"

namespace quendel::codecs {

namespace {

const TiffModule* tiffModule() {
  static platform::OnDemandModule module(kTiffModuleFile, kTiffModuleEntry, kTiffModuleVersion, sizeof(TiffModule));
  return module.table<TiffModule>();
}

}  // namespace

bool looksLikeTiff(const std::uint8_t* data, std::size_t size) {
  return size >= 4 && ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                       (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42) ||
                       (data[0] == 'I' && data[1] == 'I' && data[2] == 43 && data[3] == 0) ||
                       (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 43));
}

DecodeStatus decodeTiffFile(const std::string& path, DecodedPicture* out, bool* cmyk) {
  const TiffModule* module = tiffModule();
  if (!module) return DecodeStatus::Damaged;  // as a file the reader cannot read
  TiffInfo info{};
  std::shared_ptr<gdi::PixelStore> pixels;
  const auto s = static_cast<DecodeStatus>(module->decode(path.c_str(), &info, allocatePixelStore, &pixels));
  if (s != DecodeStatus::Ok) return s;
  DecodedPicture r;
  r.pixels = std::move(pixels);
  r.bitsPerPixel = info.bitsPerSample * info.samplesPerPixel;
  r.bitsPerChannel = info.bitsPerSample;
  r.indexed = info.photometric == kTiffPhotometricPalette;
  r.grey = info.photometric == kTiffPhotometricMinIsBlack || info.photometric == kTiffPhotometricMinIsWhite;
  r.hasAlpha = info.hasAlpha;
  r.alphaFromData = info.hasAlpha;
  r.dpiX = info.dpiX;
  r.dpiY = info.dpiY;
  *cmyk = info.photometric == kTiffPhotometricSeparated;
  *out = std::move(r);
  return DecodeStatus::Ok;
}

}  // namespace quendel::codecs
