#include "platform/codecs/bmp_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace quendel::codecs {

namespace {
void put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
  put16(p, v & 0xFFFF);
  put16(p + 2, v >> 16);
}
}  // namespace

bool writeBmp(const gdi::RowSource& rows, int bitsPerPixel, double dpiX, double dpiY, ByteSink& sink) {
  const int w = rows.width(), h = rows.height();
  if (w <= 0 || h <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return false;
  const std::uint64_t stride = ((static_cast<std::uint64_t>(w) * bitsPerPixel + 31) / 32) * 4;
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(h);
  if (imageSize + 54 > 0xFFFFFFFFu) return false;
  std::uint8_t header[54] = {'B', 'M'};
  put32(header + 2, static_cast<std::uint32_t>(imageSize + 54));
  put32(header + 10, 54);
  put32(header + 14, 40);
  put32(header + 18, static_cast<std::uint32_t>(w));
  put32(header + 22, static_cast<std::uint32_t>(h));
  put16(header + 26, 1);
  put16(header + 28, static_cast<std::uint32_t>(bitsPerPixel));
  put32(header + 30, 0);
  put32(header + 34, static_cast<std::uint32_t>(imageSize));
  put32(header + 38, static_cast<std::uint32_t>(std::lround(dpiX / 0.0254)));
  put32(header + 42, static_cast<std::uint32_t>(std::lround(dpiY / 0.0254)));
  sink.write(header, sizeof header);
  // Several rows are gathered into one block so that each write is large.
  const std::size_t rowsPerBlock =
      std::min<std::size_t>(static_cast<std::size_t>(h), std::max<std::size_t>(1, (4u << 20) / stride));
  std::vector<std::uint8_t> block(rowsPerBlock * stride, 0);
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(w));
  std::size_t filled = 0;
  for (int y = h - 1; y >= 0 && !sink.failed(); --y) {
    const std::uint32_t* px = rows.row(y, scratch.data());
    std::uint8_t* o = block.data() + filled * stride;
    if (bitsPerPixel == 32) {
      std::memcpy(o, px, static_cast<std::size_t>(w) * 4);
    } else {
      for (int x = 0; x < w; ++x, o += 3) {
        const std::uint32_t p = px[x];
        o[0] = static_cast<std::uint8_t>(p);
        o[1] = static_cast<std::uint8_t>(p >> 8);
        o[2] = static_cast<std::uint8_t>(p >> 16);
      }
    }
    if (++filled == rowsPerBlock) {
      sink.write(block.data(), filled * stride);
      filled = 0;
    }
  }
  if (filled) sink.write(block.data(), filled * stride);
  return !sink.failed();
}

}  // namespace quendel::codecs
