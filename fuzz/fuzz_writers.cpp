// The PNG and BMP encoders: any picture (size, pixels, alpha, repeated rows) must be
// written so that it reads back pixel for pixel.
//
// Input: flags (bit 0 alpha, bit 1 BMP instead of PNG, bit 2 24-bit BMP, bit 3 rows
// doubled with the repeat hint), width - 1, height - 1, then pixel bytes, repeated.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/codecs/bmp_reader.h"
#include "platform/codecs/bmp_writer.h"
#include "platform/codecs/png_reader.h"
#include "platform/codecs/png_writer.h"

namespace {

class Source final : public quendel::gdi::RowSource {
 public:
  Source(int w, int h, std::vector<std::uint32_t> px, bool doubled)
      : w_(w), h_(h), px_(std::move(px)), doubled_(doubled) {}
  int width() const override { return w_; }
  int height() const override { return doubled_ ? h_ * 2 : h_; }
  const std::uint32_t* row(int y, std::uint32_t*) const override {
    return px_.data() + static_cast<std::size_t>(doubled_ ? y / 2 : y) * w_;
  }
  bool repeatsPreviousRow(int y) const override { return doubled_ && y % 2 == 1; }

 private:
  int w_, h_;
  std::vector<std::uint32_t> px_;
  bool doubled_;
};

std::string scratchFile() {
  static std::string path = [] {
    char tmpl[] = "/tmp/quendel-fuzz-XXXXXX";
    const char* dir = ::mkdtemp(tmpl);
    return std::string(dir ? dir : "/tmp") + "/out";
  }();
  return path;
}

std::vector<std::uint8_t> slurp(const std::string& path) {
  std::vector<std::uint8_t> v;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) v.insert(v.end(), buf, buf + n);
    std::fclose(f);
  }
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const unsigned flags = data[0];
  const int w = 1 + data[1] % 64, h = 1 + data[2] % 64;
  const bool alpha = flags & 1, bmp = flags & 2, bmp24 = flags & 4, doubled = flags & 8;
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
  const std::uint8_t* bytes = data + 3;
  const std::size_t n = size - 3;
  for (std::size_t i = 0; i < px.size(); ++i) {
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= static_cast<std::uint32_t>(bytes[(i * 4 + k) % n]) << (8 * k);
    px[i] = alpha ? v : (v | 0xFF000000u);
  }
  Source src(w, h, px, doubled);
  const std::string path = scratchFile();
  {
    quendel::codecs::FileSink sink;
    if (sink.open(path) != 0) return 0;
    bool ok;
    if (bmp) {
      ok = quendel::codecs::writeBmp(src, bmp24 ? 24 : 32, 96, 96, sink);
    } else {
      quendel::codecs::PngOptions o;
      o.alpha = alpha;
      o.dpiX = o.dpiY = 96;
      ok = quendel::codecs::writePng(src, o, sink);
    }
    if (!ok || sink.commit() != 0) __builtin_trap();
  }
  const auto file = slurp(path);
  quendel::codecs::DecodedPicture back;
  const auto status = bmp ? quendel::codecs::decodeBmp(file.data(), file.size(), &back)
                          : quendel::codecs::decodePng(file.data(), file.size(), &back);
  if (status != quendel::codecs::DecodeStatus::Ok) __builtin_trap();
  if (back.pixels->width() != src.width() || back.pixels->height() != src.height()) __builtin_trap();
  std::uint32_t scratch[64];
  const std::uint32_t keep = (alpha && !bmp) ? 0xFFFFFFFFu : 0x00FFFFFFu;
  for (int y = 0; y < src.height(); ++y) {
    const std::uint32_t* want = src.row(y, scratch);
    for (int x = 0; x < w; ++x)
      if ((back.pixels->row(y)[x] & keep) != (want[x] & keep)) __builtin_trap();
  }
  return 0;
}
