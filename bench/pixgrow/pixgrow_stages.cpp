// Measures the stages of a 2x enlargement on the picture stack, and makes the inputs.
//
//   pixgrow_stages generate <folder>         writes sprite16.png, sprite256.png, photo2048.png,
//                                            photo4096.png and photo8192.png
//   pixgrow_stages stages <in.png> <folder>  decode, doubling (methods 1-4 as row views),
//                                            PNG and BMP encoding; prints one line per stage
//   pixgrow_stages compare <a> <b>           exit 0 when both hold the same pixels
//   pixgrow_stages spawn-time <n> <cmd...>   runs the command n times (posix_spawn, output
//                                            to /dev/null) and prints the best elapsed
//                                            milliseconds; exit 1 when a run fails
//
// Times are wall-clock milliseconds of one run; peak memory is the process's maximum
// resident set, read after each stage. spawn-time measures from just before posix_spawn
// to the return of waitpid (CLOCK_MONOTONIC), so no shell or timer process is counted.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/gdiplus/image_formats.h"
#include "support/codepage.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::time_point a) { return std::chrono::duration<double, std::milli>(Clock::now() - a).count(); }

// CPU time of the process so far (user and system), in milliseconds: on a shared
// machine it tells the work done apart from the waiting.
double cpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

long peakMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

std::u16string wide(const std::string& s) { return quendel::cp::fromUtf8(s); }

// The enlargement by one of the four methods, as rows computed from the source;
// pixels a method leaves unwritten are black.
class Enlarged final : public quendel::gdi::RowSource {
 public:
  Enlarged(std::shared_ptr<const quendel::gdi::RowSource> src, int method) : src_(std::move(src)), method_(method) {}
  int width() const override { return src_->width() * 2; }
  int height() const override { return src_->height() * 2; }
  const std::uint32_t* row(int y, std::uint32_t* out) const override {
    const int w = src_->width();
    const bool odd = y & 1;
    if (odd && method_ <= 2) {
      std::fill(out, out + 2 * w, 0xFF000000u);
      return out;
    }
    std::vector<std::uint32_t>& scratch = scratch_;
    scratch.resize(static_cast<std::size_t>(w));
    const std::uint32_t* s = src_->row(y / 2, scratch.data());
    const bool second = method_ == 4 || (method_ >= 2 && !odd);
    for (int x = 0; x < w; ++x) {
      out[2 * x] = s[x];
      out[2 * x + 1] = second ? s[x] : 0xFF000000u;
    }
    return out;
  }
  bool repeatsPreviousRow(int y) const override { return method_ == 4 && (y & 1); }
  bool keepsEvenColumnsOfPreviousRow(int y) const override { return method_ == 3 && (y & 1); }

 private:
  std::shared_ptr<const quendel::gdi::RowSource> src_;
  int method_;
  mutable std::vector<std::uint32_t> scratch_;
};

int generate(const std::string& folder) {
  GdiplusStartupInput in;
  ULONG_PTR token;
  if (GdiplusStartup(&token, &in, nullptr) != Ok) {
    // The exit status reports the failure.
    (void)std::fprintf(stderr, "cannot start GDI+\n");
    return 1;
  }
  bool allWritten = true;
  auto save = [&](const std::string& name, int w, int h, auto pixel) {
    auto store = quendel::gdi::PixelStore::create(w, h, false);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) store->row(y)[x] = 0xFF000000u | pixel(x, y);
    HBITMAP hbm = quendel::gdi::createBitmapFromStore(store, 32);
    GpBitmap* image = nullptr;
    Status s = GdipCreateBitmapFromHBITMAP(hbm, nullptr, &image);
    if (s == Ok) {
      s = GdipSaveImageToFile(image, wide(folder + "/" + name).c_str(), &quendel::gdiplus::EncoderPNG, nullptr);
      (void)GdipDisposeImage(image);
    }
    (void)DeleteObject(hbm);
    allWritten = allWritten && s == Ok;
    std::printf("%s %dx%d: %s\n", name.c_str(), w, h, s == Ok ? "written" : "FAILED");
  };
  // Pixel art: 8x8 blocks from a 16-colour palette, with outlines.
  static const std::uint32_t palette[16] = {0x1A1C2C, 0x5D275D, 0xB13E53, 0xEF7D57, 0xFFCD75, 0xA7F070,
                                            0x38B764, 0x257179, 0x29366F, 0x3B5DC9, 0x41A6F6, 0x73EFF7,
                                            0xF4F4F4, 0x94B0C2, 0x566C86, 0x333C57};
  auto sprite = [](int x, int y) {
    const int bx = x / 8, by = y / 8;
    if (x % 8 == 0 || y % 8 == 0) return palette[0];
    return palette[(bx * 7 + by * 3 + (bx * by) % 5) % 16];
  };
  save("sprite16.png", 16, 16, sprite);
  save("sprite256.png", 256, 256, sprite);
  // Photo-like: smooth shading with fine noise, so nothing repeats.
  auto photo = [](int x, int y) {
    std::uint32_t n = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    n = (n ^ (n >> 13)) * 0x5bd1e995u;
    const int noise = static_cast<int>((n >> 24) % 9) - 4;
    auto c = [&](double v) { return static_cast<std::uint32_t>(std::clamp(static_cast<int>(v) + noise, 0, 255)); };
    const double fx = x / 97.0, fy = y / 131.0;
    return (c(128 + 100 * std::sin(fx) * std::cos(fy)) << 16) | (c(128 + 90 * std::sin(fx + fy)) << 8) |
           c(128 + 80 * std::cos(fx * 0.7 - fy));
  };
  save("photo2048.png", 2048, 2048, photo);
  save("photo4096.png", 4096, 4096, photo);
  save("photo8192.png", 8192, 8192, photo);
  GdiplusShutdown(token);
  return allWritten ? 0 : 1;
}

int stages(const std::string& input, const std::string& folder) {
  GdiplusStartupInput in;
  ULONG_PTR token;
  if (GdiplusStartup(&token, &in, nullptr) != Ok) {
    std::fprintf(stderr, "cannot start GDI+\n");
    return 1;
  }
  auto t = Clock::now();
  double c = cpuMs();
  GpBitmap* image = nullptr;
  if (GdipCreateBitmapFromFile(wide(input).c_str(), &image) != Ok) {
    std::fprintf(stderr, "cannot read %s\n", input.c_str());
    return 1;
  }
  HBITMAP hbm = nullptr;
  const Status made = GdipCreateHBITMAPFromBitmap(image, &hbm, 0);
  (void)GdipDisposeImage(image);
  if (made != Ok) {
    std::fprintf(stderr, "cannot make a bitmap of %s\n", input.c_str());
    GdiplusShutdown(token);
    return 1;
  }
  std::printf("decode+hbitmap     %9.1f ms  cpu %8.1f ms  peak %ld MB\n", ms(t), cpuMs() - c, peakMb());
  auto src = quendel::gdi::bitmapRowSource(hbm);
  t = Clock::now();
  c = cpuMs();
  {
    // The doubling alone, materialised row by row (what a full copy would cost).
    Enlarged view(src, 4);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(view.width()));
    std::uint64_t sum = 0;
    for (int y = 0; y < view.height(); ++y) sum += view.row(y, row.data())[y % view.width()];
    std::printf("doubling rows      %9.1f ms  cpu %8.1f ms  (checksum %llu)\n", ms(t), cpuMs() - c,
                static_cast<unsigned long long>(sum));
  }
  for (int method = 4; method >= 1; --method) {
    HBITMAP view = quendel::gdi::createVirtualBitmap(std::make_shared<Enlarged>(src, method), 32);
    GpBitmap* out = nullptr;
    if (GdipCreateBitmapFromHBITMAP(view, nullptr, &out) != Ok) {
      std::fprintf(stderr, "cannot view the enlargement by method %d\n", method);
      (void)DeleteObject(view);
      continue;
    }
    t = Clock::now();
    c = cpuMs();
    const std::string png = folder + "/out-m" + std::to_string(method) + ".png";
    const Status s = GdipSaveImageToFile(out, wide(png).c_str(), &quendel::gdiplus::EncoderPNG, nullptr);
    std::printf("encode PNG m%d      %9.1f ms  cpu %8.1f ms  peak %ld MB  %s\n", method, ms(t), cpuMs() - c, peakMb(),
                s == Ok ? "" : "FAILED");
    if (method == 4) {
      t = Clock::now();
      c = cpuMs();
      c = cpuMs();
      const Status b =
          GdipSaveImageToFile(out, wide(folder + "/out-m4.bmp").c_str(), &quendel::gdiplus::EncoderBMP, nullptr);
      std::printf("encode BMP m4      %9.1f ms  cpu %8.1f ms  peak %ld MB  %s\n", ms(t), cpuMs() - c, peakMb(),
                  b == Ok ? "" : "FAILED");
    }
    (void)GdipDisposeImage(out);
    (void)DeleteObject(view);
  }
  (void)DeleteObject(hbm);
  GdiplusShutdown(token);
  return 0;
}

}  // namespace

// Exit 0 when both pictures have the same size and the same colours in every pixel.
int compare(const std::string& a, const std::string& b) {
  GdiplusStartupInput in;
  ULONG_PTR token;
  if (GdiplusStartup(&token, &in, nullptr) != Ok) {
    std::fprintf(stderr, "cannot start GDI+\n");
    return 1;
  }
  GpBitmap* ia = nullptr;
  GpBitmap* ib = nullptr;
  int result = 1;
  if (GdipCreateBitmapFromFile(wide(a).c_str(), &ia) == Ok && GdipCreateBitmapFromFile(wide(b).c_str(), &ib) == Ok) {
    auto ra = quendel::gdiplus::imageRows(ia), rb = quendel::gdiplus::imageRows(ib);
    if (ra->width() == rb->width() && ra->height() == rb->height()) {
      std::vector<std::uint32_t> sa(static_cast<std::size_t>(ra->width())), sb(sa.size());
      result = 0;
      for (int y = 0; y < ra->height() && result == 0; ++y) {
        const std::uint32_t* pa = ra->row(y, sa.data());
        const std::uint32_t* pb = rb->row(y, sb.data());
        for (int x = 0; x < ra->width(); ++x)
          if ((pa[x] & 0xFFFFFF) != (pb[x] & 0xFFFFFF)) {
            std::printf("first difference at %d,%d\n", x, y);
            result = 1;
            break;
          }
      }
    }
  }
  if (ia) (void)GdipDisposeImage(ia);
  if (ib) (void)GdipDisposeImage(ib);
  GdiplusShutdown(token);
  return result;
}

double monotonicMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One run of argv with standard output and error to /dev/null; elapsed milliseconds,
// or a negative value when it could not be started or did not exit with 0.
double spawnOnce(char** argv, const posix_spawn_file_actions_t* actions) {
  const double start = monotonicMs();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], actions, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  const double elapsed = monotonicMs() - start;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

int spawnTime(const char* count, char** argv) {
  const int runs = std::atoi(count);
  if (runs <= 0) return 2;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  double best = 0;
  for (int i = 0; i < runs; ++i) {
    const double t = spawnOnce(argv, &actions);
    if (t < 0) {
      posix_spawn_file_actions_destroy(&actions);
      std::fprintf(stderr, "%s failed\n", argv[0]);
      return 1;
    }
    best = i == 0 ? t : std::min(best, t);
  }
  posix_spawn_file_actions_destroy(&actions);
  std::printf("%.3f\n", best);
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "spawn-time") == 0) return spawnTime(argv[2], argv + 3);
  if (argc == 3 && std::strcmp(argv[1], "generate") == 0) return generate(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "compare") == 0) return compare(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "stages") == 0) return stages(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: pixgrow_stages generate <folder> | stages <in.png> <folder> | compare <a> <b> | "
               "spawn-time <n> <command...>\n");
  return 2;
}
