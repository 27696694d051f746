#include "platform/codecs/png_writer.h"

#include <libdeflate.h>

#include "platform/codecs/fast_deflate.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace quendel::codecs {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint8_t kBitDepth = 8;
constexpr std::uint8_t kColorTypeRgb = 2, kColorTypeRgba = 6;
constexpr std::uint8_t kFilterNone = 0, kFilterSub = 1, kFilterUp = 2;  // a row of zeros under Up repeats the row above
constexpr std::uint8_t kUnitMetre = 1;
constexpr std::size_t kRowSlack = 1;  // plainRow writes a byte past an RGB row
constexpr double kMetresPerInch = 0.0254;
constexpr std::size_t kIhdrSize = 13, kPhysSize = 9;
constexpr std::size_t kLengthAndTypeBytes = 8, kCrcBytes = 4, kTypeBytes = 4;

void put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

void writeChunk(FileSink& sink, const char* type, const std::uint8_t* data, std::size_t size) {
  std::uint8_t head[kLengthAndTypeBytes];
  put32(head, static_cast<std::uint32_t>(size));
  std::memcpy(head + 4, type, kTypeBytes);
  std::uint32_t crc = libdeflate_crc32(0, head + 4, kTypeBytes);
  if (size) crc = libdeflate_crc32(crc, data, size);
  std::uint8_t tail[kCrcBytes];
  put32(tail, crc);
  sink.write(head, sizeof head);
  if (size) sink.write(data, size);
  sink.write(tail, sizeof tail);
}

}  // namespace

namespace {

void writeHeaderChunks(int w, int h, const PngOptions& options, FileSink& sink) {
  sink.write(kSignature, sizeof kSignature);
  std::uint8_t ihdr[kIhdrSize];
  put32(ihdr, static_cast<std::uint32_t>(w));
  put32(ihdr + 4, static_cast<std::uint32_t>(h));
  ihdr[8] = kBitDepth;
  ihdr[9] = options.alpha ? kColorTypeRgba : kColorTypeRgb;
  ihdr[10] = ihdr[11] = ihdr[12] = 0;  // deflate, adaptive filtering, no interlace
  writeChunk(sink, "IHDR", ihdr, sizeof ihdr);
  if (options.dpiX > 0 && options.dpiY > 0) {
    std::uint8_t phys[kPhysSize];
    put32(phys, static_cast<std::uint32_t>(std::lround(options.dpiX / kMetresPerInch)));
    put32(phys + 4, static_cast<std::uint32_t>(std::lround(options.dpiY / kMetresPerInch)));
    phys[8] = kUnitMetre;
    writeChunk(sink, "pHYs", phys, sizeof phys);
  }
}

// One row under the Sub filter: each byte minus the same channel of the pixel to its left.
void subFilterRow(const std::uint32_t* px, int w, bool alpha, std::uint8_t* o) {
  *o++ = kFilterSub;
  std::uint32_t left = 0;
  for (int x = 0; x < w; ++x) {
    const std::uint32_t p = px[x];
    o[0] = static_cast<std::uint8_t>((p >> 16) - (left >> 16));
    o[1] = static_cast<std::uint8_t>((p >> 8) - (left >> 8));
    o[2] = static_cast<std::uint8_t>(p - left);
    if (alpha) o[3] = static_cast<std::uint8_t>((p >> 24) - (left >> 24));
    o += alpha ? 4 : 3;
    left = p;
  }
}

// One row unfiltered: the bytes R, G, B (and A) of each pixel. On a little-endian
// machine each pixel is one 4-byte store, the next pixel's overwriting the fourth byte
// of an RGB one, so `o` needs kRowSlack bytes after the row.
void plainRow(const std::uint32_t* px, int w, bool alpha, std::uint8_t* o) {
  *o++ = kFilterNone;
  const std::size_t bpp = alpha ? 4 : 3;
  for (int x = 0; x < w; ++x, o += bpp) {
    const std::uint32_t p = px[x];
    if constexpr (std::endian::native == std::endian::little) {
      const std::uint32_t bytes = (p >> 16 & 0xFF) | (p & 0xFF00u) | (p & 0xFFu) << 16 | (p & 0xFF000000u);
      std::memcpy(o, &bytes, sizeof bytes);
    } else {
      o[0] = static_cast<std::uint8_t>(p >> 16);
      o[1] = static_cast<std::uint8_t>(p >> 8);
      o[2] = static_cast<std::uint8_t>(p);
      if (alpha) o[3] = static_cast<std::uint8_t>(p >> 24);
    }
  }
}

// The copies a partly doubled row offers the coder, for every two pixels from the
// first: in a row whose pixels are doubled, the second repeats the first; in a row
// that keeps the even columns of the row above (unfiltered too, so that its bytes are
// its pixels) and has one colour in the odd ones, the first repeats the pixel above
// and the second the one two to the left. The coder checks every copy, so a wrong
// guess costs size only.
struct PairCopies {
  FastDeflate::Copy doubled[1], kept[2];
  FastDeflate::CopyPattern doubledRow, keptRow;

  PairCopies(int w, std::uint32_t bpp, std::uint32_t lineBytes)
      : doubled{{bpp, bpp, bpp}},
        kept{{0, bpp, lineBytes}, {bpp, bpp, 2 * bpp}},
        doubledRow{1, 2 * bpp, static_cast<std::uint32_t>(w / 2), doubled},
        keptRow{1, 2 * bpp, static_cast<std::uint32_t>(w / 2), kept} {}
  PairCopies(const PairCopies&) = delete;  // the patterns point into the object
  PairCopies& operator=(const PairCopies&) = delete;
};

}  // namespace

bool writePng(const gdi::RowSource& rows, const PngOptions& options, FileSink& sink) {
  const int w = rows.width(), h = rows.height();
  if (w <= 0 || h <= 0) return false;
  writeHeaderChunks(w, h, options, sink);
  const std::size_t bpp = options.alpha ? 4 : 3;
  const std::size_t rowPixelBytes = static_cast<std::size_t>(w) * sizeof(std::uint32_t);
  const std::size_t lineBytes = 1 + bpp * static_cast<std::size_t>(w);
  std::vector<std::uint8_t> line(lineBytes + kRowSlack), upLine(lineBytes, 0);
  upLine[0] = kFilterUp;
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(w)), previous(static_cast<std::size_t>(w));
  // A row that keeps the even columns of the row above, and that row, go unfiltered,
  // with their repeated pixels as copies; that needs the row above in the coder's window.
  const bool copyRows = lineBytes <= FastDeflate::kWindow;
  const PairCopies pairs(w, static_cast<std::uint32_t>(bpp), static_cast<std::uint32_t>(lineBytes));
  FastDeflate d(
      [&sink](const std::uint8_t* data, std::size_t size) {
        if (size) writeChunk(sink, "IDAT", data, size);
      },
      copyRows ? lineBytes : 1, lineBytes * static_cast<std::size_t>(h));
  bool aboveUnfiltered = false;
  for (int y = 0; y < h && !sink.failed(); ++y) {
    const std::uint32_t* px = rows.row(y, scratch.data());
    const bool repeat = y > 0 && (rows.repeatsPreviousRow(y) || std::memcmp(px, previous.data(), rowPixelBytes) == 0);
    if (repeat) {
      d.write(upLine.data(), lineBytes);
      aboveUnfiltered = false;
      continue;
    }
    const bool keeps = copyRows && aboveUnfiltered && rows.keepsEvenColumnsOfPreviousRow(y);
    const bool kept = copyRows && y + 1 < h && rows.keepsEvenColumnsOfPreviousRow(y + 1);
    if (keeps || kept) {
      plainRow(px, w, options.alpha, line.data());
      d.write(line.data(), lineBytes, keeps ? pairs.keptRow : pairs.doubledRow);
    } else {
      subFilterRow(px, w, options.alpha, line.data());
      d.write(line.data(), lineBytes);
    }
    // The row becomes the one above: by trading buffers when it was made in the scratch.
    if (px == scratch.data())
      scratch.swap(previous);
    else
      std::memcpy(previous.data(), px, rowPixelBytes);
    aboveUnfiltered = keeps || kept;
  }
  if (sink.failed()) return false;
  d.finish();
  writeChunk(sink, "IEND", nullptr, 0);
  return true;
}

}  // namespace quendel::codecs
