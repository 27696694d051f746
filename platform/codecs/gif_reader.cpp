#include "platform/codecs/gif_reader.h"

#include <cstring>

#include "platform/codecs/gif_module.h"
#include "platform/codecs/module_pixels.h"

namespace quendel::codecs {

namespace {

constexpr int kGifBits = 8;

const GifModule* gifModule() {
  static platform::OnDemandModule module(kGifModuleFile, kGifModuleEntry, kGifModuleVersion, sizeof(GifModule));
  return module.table<GifModule>();
}

}  // namespace

bool looksLikeGif(const std::uint8_t* data, std::size_t size) {
  return size >= 6 && std::memcmp(data, "GIF8", 4) == 0 && (data[4] == '7' || data[4] == '9') && data[5] == 'a';
}

DecodeStatus decodeGif(const std::uint8_t* data, std::size_t size, DecodedPicture* out) {
  if (!looksLikeGif(data, size)) return DecodeStatus::UnknownFormat;
  const GifModule* module = gifModule();
  if (!module) return DecodeStatus::Damaged;  // as data giflib rejects
  GifInfo info{};
  std::shared_ptr<gdi::PixelStore> pixels;
  const auto s = static_cast<DecodeStatus>(module->decode(data, size, &info, allocatePixelStore, &pixels));
  if (s != DecodeStatus::Ok) return s;
  DecodedPicture r;
  r.pixels = std::move(pixels);
  r.bitsPerPixel = kGifBits;
  r.indexed = true;
  r.hasAlpha = info.hasAlpha;
  r.alphaFromData = info.hasAlpha;
  *out = std::move(r);
  return DecodeStatus::Ok;
}

}  // namespace quendel::codecs
