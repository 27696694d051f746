#include "platform/codecs/png_writer.h"

#include <libdeflate.h>

#include "platform/codecs/fast_deflate.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace quendel::codecs {

namespace {

void put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

void writeChunk(FileSink& sink, const char* type, const std::uint8_t* data, std::size_t size) {
  std::uint8_t head[8];
  put32(head, static_cast<std::uint32_t>(size));
  std::memcpy(head + 4, type, 4);
  std::uint32_t crc = libdeflate_crc32(0, head + 4, 4);
  if (size) crc = libdeflate_crc32(crc, data, size);
  std::uint8_t tail[4];
  put32(tail, crc);
  sink.write(head, 8);
  if (size) sink.write(data, size);
  sink.write(tail, 4);
}

}  // namespace

bool writePng(const gdi::RowSource& rows, const PngOptions& options, FileSink& sink) {
  const int w = rows.width(), h = rows.height();
  if (w <= 0 || h <= 0) return false;
  static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  sink.write(signature, 8);
  std::uint8_t ihdr[13];
  put32(ihdr, static_cast<std::uint32_t>(w));
  put32(ihdr + 4, static_cast<std::uint32_t>(h));
  ihdr[8] = 8;
  ihdr[9] = options.alpha ? 6 : 2;
  ihdr[10] = ihdr[11] = ihdr[12] = 0;
  writeChunk(sink, "IHDR", ihdr, 13);
  if (options.dpiX > 0 && options.dpiY > 0) {
    std::uint8_t phys[9];
    put32(phys, static_cast<std::uint32_t>(std::lround(options.dpiX / 0.0254)));
    put32(phys + 4, static_cast<std::uint32_t>(std::lround(options.dpiY / 0.0254)));
    phys[8] = 1;
    writeChunk(sink, "pHYs", phys, 9);
  }
  const std::size_t bpp = options.alpha ? 4 : 3;
  const std::size_t lineBytes = 1 + bpp * static_cast<std::size_t>(w);
  std::vector<std::uint8_t> line(lineBytes), upLine(lineBytes, 0);
  upLine[0] = 2;
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(w)), previous(static_cast<std::size_t>(w));
  FastDeflate d([&sink](const std::uint8_t* data, std::size_t size) {
    if (size) writeChunk(sink, "IDAT", data, size);
  });
  for (int y = 0; y < h && !sink.failed(); ++y) {
    const std::uint32_t* px = rows.row(y, scratch.data());
    const bool repeat =
        y > 0 && (rows.repeatsPreviousRow(y) || std::memcmp(px, previous.data(), static_cast<std::size_t>(w) * 4) == 0);
    if (repeat) {
      d.write(upLine.data(), lineBytes);
      continue;
    }
    std::uint8_t* o = line.data();
    *o++ = 1;  // Sub
    std::uint32_t left = 0;
    if (options.alpha) {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = px[x];
        o[0] = static_cast<std::uint8_t>((p >> 16) - (left >> 16));
        o[1] = static_cast<std::uint8_t>((p >> 8) - (left >> 8));
        o[2] = static_cast<std::uint8_t>(p - left);
        o[3] = static_cast<std::uint8_t>((p >> 24) - (left >> 24));
        o += 4;
        left = p;
      }
    } else {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = px[x];
        o[0] = static_cast<std::uint8_t>((p >> 16) - (left >> 16));
        o[1] = static_cast<std::uint8_t>((p >> 8) - (left >> 8));
        o[2] = static_cast<std::uint8_t>(p - left);
        o += 3;
        left = p;
      }
    }
    std::memcpy(previous.data(), px, static_cast<std::size_t>(w) * 4);
    d.write(line.data(), lineBytes);
  }
  if (sink.failed()) return false;
  d.finish();
  writeChunk(sink, "IEND", nullptr, 0);
  return true;
}

}  // namespace quendel::codecs
