// Test helpers: temporary folders and small pictures of every kind, written with the
// format libraries themselves (libpng, libjpeg, giflib, libtiff) or, for BMP and ICO,
// packed byte by byte here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::testpics {

// A fresh folder under TMPDIR, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readFile(const std::string& path);
std::u16string u16(const std::string& utf8);

// Pixels 0xAARRGGBB, row-major top-down.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
  std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};
Pixels pattern(int width, int height, bool alpha);

struct BmpShape {
  int headerSize = 40;
  int width = 0;
  int height = 0;  // as stored in the file; negative for top-down
  int bits = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint32_t> masks;    // r, g, b[, a]: after the header, or inside a V3+ header
  std::vector<std::uint32_t> values;   // per pixel, top-down: palette index or packed value
  std::vector<std::uint8_t> rleData;   // replaces the packed rows when set
  std::uint32_t colorsUsed = 0;
};
std::vector<std::uint8_t> makeBmp(const BmpShape& shape);

// An icon or cursor file with 32-bit (alpha) or PNG images of the given sizes.
struct IconImageSpec {
  int size = 32;
  int bits = 32;  // 32 = DIB with alpha, 24 = DIB with AND mask, 0 = PNG
  std::uint32_t color = 0xFF112233;
};
std::vector<std::uint8_t> makeIcon(const std::vector<IconImageSpec>& images, bool cursor);

std::vector<std::uint8_t> makePng(const Pixels& p, int colorType, int bitDepth, bool interlaced,
                                  const std::vector<std::uint32_t>& palette = {}, double dpi = 0, bool trnsKey = false);
std::vector<std::uint8_t> makeJpeg(const Pixels& p, int kind /*0 rgb, 1 grey, 2 cmyk*/, bool progressive, int dpi = 0);
void makeGif(const std::string& path, const Pixels& indices, const std::vector<std::uint32_t>& palette,
             int transparentIndex, bool interlaced, int screenW = 0, int screenH = 0, int left = 0, int top = 0);
// compression: COMPRESSION_* of libtiff; photometric: 1 grey, 2 rgb, 3 palette.
void makeTiff(const std::string& path, const Pixels& p, int compression, int photometric, int bitsPerSample, bool alpha,
              float dpi = 0);

}  // namespace quendel::testpics

QUENDEL_EXPORT_END
