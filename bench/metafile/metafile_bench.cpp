// Metafile inputs for the benchmark, and a coverage count over real files.
//
//   metafile_bench generate <folder> [records]  writes rects.wmf and rects.emf, 1024 x 1024,
//                                               about `records` records each (10000)
//   metafile_bench render <file>                draws it at its own size through GDI+ and
//                                               prints the milliseconds
//   metafile_bench coverage <file>...           per file: the OLE loader, the drawing through
//                                               GDI+ at the file's own size; then the totals
//   metafile_bench look <image>...              per picture of any kind GDI+ reads (the PNGs
//                                               of Pixgrow and of the converters): whether
//                                               it shows anything
//
// A picture is "rendered" when it holds at least two colours (transparent counting as one),
// "one-colour" when it is blank or a single flat colour.
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/codecs/test_metafiles.h"
#include "platform/codecs/test_pictures.h"
#include "platform/gdi/metafile.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/ole/load_picture.h"
#include "support/codepage.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSide = 1024;
constexpr int kRecordsPerRect = 4;

std::u16string wide(const std::string& s) { return quendel::cp::fromUtf8(s); }

// Rectangles of many colours and sizes, the same for both kinds.
std::vector<quendel::testpics::FilledRect> rects(int count) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pos(0, kSide - 1), colour(0, 0xFFFFFF);
  std::vector<quendel::testpics::FilledRect> out;
  for (int i = 0; i < count; ++i) {
    const int x = pos(random), y = pos(random);
    out.push_back({x, y, std::min(kSide, x + 1 + pos(random) / 8), std::min(kSide, y + 1 + pos(random) / 8),
                   static_cast<std::uint32_t>(colour(random))});
  }
  return out;
}

int generate(const std::string& folder, int records) {
  const auto r = rects(records / kRecordsPerRect);
  quendel::testpics::writeFile(folder + "/rects.wmf", quendel::testpics::makeWmf(kSide, kSide, r));
  quendel::testpics::writeFile(folder + "/rects.emf", quendel::testpics::makeEmf(kSide, kSide, r));
  return 0;
}

class Session {
 public:
  Session() {
    GdiplusStartupInput in;
    ok_ = GdiplusStartup(&token_, &in, nullptr) == Ok;
  }
  ~Session() { GdiplusShutdown(token_); }
  bool ok() const { return ok_; }

 private:
  ULONG_PTR token_ = 0;
  bool ok_ = false;
};

// Status of GDI+ reading the file, and whether its pixels hold more than one colour.
Status draw(const std::string& file, bool* rendered, UINT* w, UINT* h) {
  GpBitmap* image = nullptr;
  const Status s = GdipCreateBitmapFromFile(wide(file).c_str(), &image);
  if (s != Ok) return s;
  (void)GdipGetImageWidth(image, w);
  (void)GdipGetImageHeight(image, h);
  auto rows = quendel::gdiplus::imageRows(image);
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(rows->width()));
  *rendered = false;
  std::optional<std::uint32_t> first;
  for (int y = 0; y < rows->height() && !*rendered; ++y) {
    const std::uint32_t* r = rows->row(y, scratch.data());
    for (int x = 0; x < rows->width() && !*rendered; ++x) {
      // Every fully transparent pixel is the same "nothing", whatever its colour bits.
      const std::uint32_t p = (r[x] >> 24) == 0 ? 0 : r[x];
      if (!first) first = p;
      *rendered = p != *first;
    }
  }
  (void)GdipDisposeImage(image);
  return Ok;
}

const char* verdict(Status s, bool rendered) { return s != Ok ? "FAILED" : rendered ? "rendered" : "one-colour"; }

int render(const std::string& file) {
  Session session;
  const auto start = Clock::now();
  bool rendered = false;
  UINT w = 0, h = 0;
  const Status s = draw(file, &rendered, &w, &h);
  std::printf("%.1f ms, status %d, %ux%u\n", std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
              static_cast<int>(s), w, h);
  return s == Ok ? 0 : 1;
}

int coverage(int argc, char** argv) {
  Session session;
  int rendered = 0, flat = 0, failed = 0, ole = 0;
  for (int i = 0; i < argc; ++i) {
    const std::string file = argv[i];
    PictureDescription pic;
    const HRESULT hr = LoadPicture(wide(file).c_str(), &pic);
    if (SUCCEEDED(hr)) {
      ++ole;
      if (pic.Type == PICTYPE_METAFILE) (void)DeleteMetaFile(reinterpret_cast<HMETAFILE>(pic.Handle));
      if (pic.Type == PICTYPE_ENHMETAFILE) (void)DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(pic.Handle));
    }
    bool shows = false;
    UINT w = 0, h = 0;
    const auto start = Clock::now();
    const Status s = draw(file, &shows, &w, &h);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    (s != Ok ? failed : shows ? rendered : flat)++;
    std::printf("%-10s status %2d  ole 0x%08X  %5ux%-5u %8.1f ms  %s\n", verdict(s, shows), static_cast<int>(s),
                static_cast<unsigned>(hr), w, h, ms, file.c_str());
  }
  std::printf("files %d: rendered %d, one colour %d, failed %d; OLE pictures %d\n", argc, rendered, flat, failed, ole);
  return 0;
}

int look(int argc, char** argv) {
  Session session;
  for (int i = 0; i < argc; ++i) {
    bool shows = false;
    UINT w = 0, h = 0;
    const Status s = draw(argv[i], &shows, &w, &h);
    std::printf("%-10s status %2d  %5ux%-5u %s\n", verdict(s, shows), static_cast<int>(s), w, h, argv[i]);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "generate" && argc >= 3) return generate(argv[2], argc > 3 ? std::stoi(argv[3]) : 10000);
  if (command == "render" && argc == 3) return render(argv[2]);
  if (command == "coverage") return coverage(argc - 2, argv + 2);
  if (command == "look") return look(argc - 2, argv + 2);
  std::fprintf(
      stderr,
      "usage: metafile_bench generate <folder> [records] | render <file> | coverage <file>... | look <image>...\n");
  return 2;
}
