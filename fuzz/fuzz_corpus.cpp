// Writes the starting corpus of every fuzz target: pictures of each kind the parsers
// know, made with the same helpers as the tests, and ELF headers for the module readers.
//   fuzz_corpus <corpus folder>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/codecs/test_metafiles.h"
#include "platform/codecs/test_pictures.h"

using namespace quendel::testpics;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_corpus <corpus folder>\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* t : {"fuzz_bmp", "fuzz_ico", "fuzz_readers", "fuzz_writers", "fuzz_modules", "fuzz_metafile"})
    std::filesystem::create_directories(root + "/" + t);
  int n = 0;
  auto put = [&](const char* target, const std::vector<std::uint8_t>& bytes) {
    writeFile(root + "/" + target + "/start-" + std::to_string(n++), bytes);
  };
  const std::vector<std::uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0xFFFFFF,
                                          0x123456, 0x654321, 0xABCDEF, 0x0F0F0F, 0xF0F0F0, 0x111111,
                                          0x222222, 0x333333, 0x444444, 0x555555};
  for (int bits : {1, 4, 8, 16, 24, 32})
    for (int header : {12, 40, 108, 124}) {
      if (header == 12 && bits > 24) continue;
      BmpShape s;
      s.headerSize = header;
      s.width = 7;
      s.height = header == 12 ? 5 : -5;
      s.bits = bits;
      if (bits <= 8) s.palette.assign(pal.begin(), pal.begin() + (1 << std::min(bits, 4)));
      for (int i = 0; i < 35; ++i)
        s.values.push_back(static_cast<std::uint32_t>(i * 2654435761u) >> (bits <= 8 ? 32 - std::min(bits, 4) : 0));
      put("fuzz_bmp", makeBmp(s));
    }
  BmpShape rle;
  rle.width = 6;
  rle.height = 3;
  rle.bits = 8;
  rle.compression = 1;
  rle.palette = pal;
  rle.rleData = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 0, 2, 5, 0, 1};
  put("fuzz_bmp", makeBmp(rle));
  rle.bits = 4;
  rle.compression = 2;
  rle.rleData = {5, 0x12, 0, 4, 1, 0x23, 0x45, 0, 0, 1};
  put("fuzz_bmp", makeBmp(rle));
  BmpShape fields;
  fields.width = 4;
  fields.height = 4;
  fields.bits = 16;
  fields.compression = 3;
  fields.masks = {0xF800, 0x07E0, 0x001F};
  fields.values.assign(16, 0x1234);
  put("fuzz_bmp", makeBmp(fields));
  put("fuzz_ico", makeIcon({{16, 32}, {32, 24}, {48, 0}}, false));
  put("fuzz_ico", makeIcon({{32, 24}}, true));
  put("fuzz_ico", makeIcon({{8, 0}}, false));
  const Pixels p = pattern(9, 6, true);
  put("fuzz_readers", makePng(p, PNG_COLOR_TYPE_RGBA, 8, true));
  put("fuzz_readers", makePng(p, PNG_COLOR_TYPE_GRAY, 4, false));
  Pixels idx = p;
  for (auto& v : idx.argb) v &= 3;
  put("fuzz_readers", makePng(idx, PNG_COLOR_TYPE_PALETTE, 2, false, {0xFF000000, 0x80FFFFFF, 0x00FF0000, 0xFF00FF00}));
  put("fuzz_readers", makeJpeg(p, 0, true));
  put("fuzz_readers", makeJpeg(p, 2, false));
  const std::string gif = root + "/fuzz_readers/start-gif";
  makeGif(gif, idx, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 1, true, 12, 8, 2, 1);
  for (unsigned flags = 0; flags < 16; ++flags) {
    std::vector<std::uint8_t> w = {static_cast<std::uint8_t>(flags), 9, 4};
    for (int i = 0; i < 64; ++i) w.push_back(static_cast<std::uint8_t>(i * 37 + flags));
    put("fuzz_writers", w);
  }
  // The module readers start from this program's own ELF headers and a map line.
  std::ifstream self("/proc/self/exe", std::ios::binary);
  std::vector<std::uint8_t> head(4096);
  self.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(self.gcount()));
  put("fuzz_modules", head);
  const std::string line = "7f85000-7f86000 r-xp 00026000 fe:00 332835   /usr/lib/a b.so (deleted)";
  put("fuzz_modules", std::vector<std::uint8_t>(line.begin(), line.end()));
  const std::vector<FilledRect> squares = {{0, 0, 8, 8, 0x0000FF}, {4, 4, 16, 12, 0x00FF00}};
  put("fuzz_metafile", makeWmf(16, 12, squares));
  put("fuzz_metafile", makeWmf(16, 12, squares, false));
  put("fuzz_metafile", makeEmf(16, 12, squares));
  std::printf("fuzz_corpus: %d starting inputs in %s\n", n + 1, root.c_str());
  return 0;
}
