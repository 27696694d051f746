// The JPEG module: libjpeg decodes from memory; its errors and the warning of a cut-off
// file jump back out of the library (setjmp), so that both end as Damaged.
#include "platform/codecs/jpeg_module.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <memory>
#include <vector>

#include "platform/codecs/decoded_picture.h"
#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {

// A hostile progressive file can hold endless tiny scans; real files have few.
constexpr int kMaxScans = 1000;
constexpr long kMaxDecoderMemory = 1024L * 1024 * 1024;
// Every 8 x 8 block costs at least a few bits, so a real file holds well under a
// thousand pixels per byte; past that the decoder would only invent pixels (it fills
// what damaged data lacks) at great cost.
constexpr std::uint64_t kPixelsPerFileByte = 1024;
constexpr std::uint64_t kAlwaysAllowedPixels = std::uint64_t{1} << 20;
constexpr double kCentimetersPerInch = 2.54;
constexpr int kDensityPerInch = 1, kDensityPerCentimeter = 2;  // the JFIF density units
constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr int kCmykBytes = 4;
constexpr unsigned kFullInk = 255;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  DecodeStatus failure;
};

void onError(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(e->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level) {
  auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
  // A cut-off file is reported only as a warning; it is damage here.
  if (level < 0 && e->base.msg_code == JWRN_JPEG_EOF) std::longjmp(e->jump, 1);
}

struct Progress {
  jpeg_progress_mgr base;
};

void onProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
      auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
      std::longjmp(e->jump, 1);
    }
  }
}

// Everything a jump out of libjpeg must find intact lives here, not on run's stack.
struct Context {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  Progress progress;
  std::vector<std::uint8_t> line;
};

void readDensity(const jpeg_decompress_struct& cinfo, JpegInfo* info) {
  if (!cinfo.saw_JFIF_marker || !cinfo.X_density || !cinfo.Y_density) return;
  if (cinfo.density_unit == kDensityPerInch) {
    info->dpiX = cinfo.X_density;
    info->dpiY = cinfo.Y_density;
  } else if (cinfo.density_unit == kDensityPerCentimeter) {
    info->dpiX = cinfo.X_density * kCentimetersPerInch;
    info->dpiY = cinfo.Y_density * kCentimetersPerInch;
  }
}

// One row of CMYK samples as RGB. Adobe writers store CMYK inverted (0 is full ink);
// others store it plain.
void cmykToRgb(const std::uint8_t* row, int width, bool inverted, std::uint32_t* out) {
  for (int x = 0; x < width; ++x) {
    const std::uint8_t* s = row + static_cast<std::size_t>(x) * kCmykBytes;
    unsigned cc = s[0], m = s[1], yy = s[2], k = s[3];
    if (!inverted) {
      cc = kFullInk - cc;
      m = kFullInk - m;
      yy = kFullInk - yy;
      k = kFullInk - k;
    }
    const unsigned red = (cc * k + 127) / 255, green = (m * k + 127) / 255, blue = (yy * k + 127) / 255;
    out[x] = kOpaque | (red << 16) | (green << 8) | blue;
  }
}

bool run(Context* c, const std::uint8_t* data, std::size_t size, JpegInfo* info, PixelAllocate allocate,
         void* context) {
  jpeg_decompress_struct& cinfo = c->cinfo;
  if (setjmp(c->err.jump)) return false;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (!gdi::pictureSizeAllowed(cinfo.image_width, cinfo.image_height)) {
    c->err.failure = DecodeStatus::TooLarge;
    return false;
  }
  if (static_cast<std::uint64_t>(cinfo.image_width) * cinfo.image_height >
      std::max(kAlwaysAllowedPixels, static_cast<std::uint64_t>(size) * kPixelsPerFileByte)) {
    c->err.failure = DecodeStatus::Damaged;
    return false;
  }
  const J_COLOR_SPACE in = cinfo.jpeg_color_space;
  info->cmyk = in == JCS_CMYK || in == JCS_YCCK;
  info->grey = in == JCS_GRAYSCALE;
  readDensity(cinfo, info);
  cinfo.out_color_space = info->cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
  std::uint32_t* pixels = allocate(context, w, h);
  if (!pixels) {
    c->err.failure = DecodeStatus::NoMemory;
    return false;
  }
  if (info->cmyk) c->line.resize(static_cast<std::size_t>(w) * kCmykBytes);
  const bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint32_t* out = pixels + static_cast<std::size_t>(cinfo.output_scanline) * w;
    if (!info->cmyk) {
      JSAMPROW row = reinterpret_cast<JSAMPROW>(out);
      jpeg_read_scanlines(&cinfo, &row, 1);
      for (int x = 0; x < w; ++x) out[x] |= kOpaque;
      continue;
    }
    JSAMPROW row = c->line.data();
    jpeg_read_scanlines(&cinfo, &row, 1);
    cmykToRgb(row, w, inverted, out);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

DecodeStatus decode(const std::uint8_t* data, std::size_t size, JpegInfo* info, PixelAllocate allocate, void* context) {
  *info = JpegInfo{false, false, 0, 0};
  auto c = std::make_unique<Context>();
  c->cinfo.err = jpeg_std_error(&c->err.base);
  c->err.base.error_exit = onError;
  c->err.base.emit_message = onMessage;
  c->err.failure = DecodeStatus::Damaged;
  jpeg_create_decompress(&c->cinfo);
  c->progress.base.progress_monitor = onProgress;
  c->cinfo.progress = &c->progress.base;
  const bool ok = run(c.get(), data, size, info, allocate, context);
  jpeg_destroy_decompress(&c->cinfo);
  return ok ? DecodeStatus::Ok : c->err.failure;
}

int decodeEntry(const std::uint8_t* data, std::size_t size, JpegInfo* info, PixelAllocate allocate, void* context) {
  return static_cast<int>(decode(data, size, info, allocate, context));
}

const JpegModule kTable{{platform::kModuleTableMagic, kJpegModuleVersion, sizeof(JpegModule)}, decodeEntry};

}  // namespace

}  // namespace quendel::codecs

extern "C" __attribute__((visibility("default"))) const quendel::platform::ModuleTableHeader* quendelJpegModule() {
  return &quendel::codecs::kTable.header;
}
