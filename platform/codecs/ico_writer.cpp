#include "platform/codecs/ico_writer.h"

#include <vector>

namespace quendel::codecs {

namespace {

constexpr int kMaxSide = 256;  // the directory writes 256 as 0
constexpr std::size_t kDirectoryBytes = 6 + 16, kInfoHeaderBytes = 40;
constexpr unsigned kAlphaShift = 24;

void put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

}  // namespace

bool writeIcon(const gdi::IconPixels& pixels, ByteSink& sink) {
  const gdi::IconPixels& px = pixels;
  const int w = px.width, h = px.height;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide ||
      px.argb.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
    return false;
  const std::size_t colorStride = static_cast<std::size_t>(w) * 4;
  const std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
  const std::size_t imageBytes = kInfoHeaderBytes + (colorStride + maskStride) * static_cast<std::size_t>(h);
  std::vector<std::uint8_t> b;
  b.reserve(kDirectoryBytes + imageBytes);
  // ICONDIR and its one entry; a cursor's entry holds the hot spot where an icon's holds
  // planes and depth.
  put16(b, 0);
  put16(b, px.isIcon ? 1 : 2);
  put16(b, 1);
  b.push_back(static_cast<std::uint8_t>(w == kMaxSide ? 0 : w));
  b.push_back(static_cast<std::uint8_t>(h == kMaxSide ? 0 : h));
  b.push_back(0);  // colour count
  b.push_back(0);  // reserved
  put16(b, px.isIcon ? 1 : px.xHotspot);
  put16(b, px.isIcon ? 32 : px.yHotspot);
  put32(b, static_cast<std::uint32_t>(imageBytes));
  put32(b, static_cast<std::uint32_t>(kDirectoryBytes));
  // BITMAPINFOHEADER: the height counts colour image and mask together.
  put32(b, kInfoHeaderBytes);
  put32(b, static_cast<std::uint32_t>(w));
  put32(b, static_cast<std::uint32_t>(h) * 2);
  put16(b, 1);
  put16(b, 32);
  for (int i = 0; i < 6; ++i) put32(b, 0);  // BI_RGB, size, resolutions, colours
  for (int y = h - 1; y >= 0; --y) {
    const std::uint32_t* row = px.argb.data() + static_cast<std::size_t>(y) * w;
    for (int x = 0; x < w; ++x) put32(b, row[x]);
  }
  for (int y = h - 1; y >= 0; --y) {
    const std::uint32_t* row = px.argb.data() + static_cast<std::size_t>(y) * w;
    std::vector<std::uint8_t> mask(maskStride, 0);
    for (int x = 0; x < w; ++x)
      if ((row[x] >> kAlphaShift) == 0)
        mask[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    b.insert(b.end(), mask.begin(), mask.end());
  }
  sink.write(b.data(), b.size());
  return !sink.failed();
}

}  // namespace quendel::codecs
