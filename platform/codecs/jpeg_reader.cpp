#include "platform/codecs/jpeg_reader.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <vector>

#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {

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
  // A hostile progressive file can hold endless tiny scans; real files have few.
  if (cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > 1000) {
      auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
      std::longjmp(e->jump, 1);
    }
  }
}

struct Context {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  Progress progress;
  DecodedPicture result;
  std::vector<std::uint8_t> line;
  bool cmyk = false;
};

bool run(Context* c, const std::uint8_t* data, std::size_t size) {
  jpeg_decompress_struct& cinfo = c->cinfo;
  if (setjmp(c->err.jump)) return false;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (!gdi::pictureSizeAllowed(cinfo.image_width, cinfo.image_height)) {
    c->err.failure = DecodeStatus::TooLarge;
    return false;
  }
  // Every 8 x 8 block costs at least a few bits, so a real file holds well under a
  // thousand pixels per byte; past that the decoder would only invent pixels (it fills
  // what damaged data lacks) at great cost.
  if (static_cast<std::uint64_t>(cinfo.image_width) * cinfo.image_height >
      std::max<std::uint64_t>(std::uint64_t{1} << 20, static_cast<std::uint64_t>(size) * 1024)) {
    c->err.failure = DecodeStatus::Damaged;
    return false;
  }
  const J_COLOR_SPACE in = cinfo.jpeg_color_space;
  c->cmyk = in == JCS_CMYK || in == JCS_YCCK;
  DecodedPicture& r = c->result;
  r.grey = in == JCS_GRAYSCALE;
  r.bitsPerPixel = r.grey ? 8 : (c->cmyk ? 32 : 24);
  if (cinfo.saw_JFIF_marker && cinfo.X_density && cinfo.Y_density) {
    if (cinfo.density_unit == 1) {
      r.dpiX = cinfo.X_density;
      r.dpiY = cinfo.Y_density;
    } else if (cinfo.density_unit == 2) {
      r.dpiX = cinfo.X_density * 2.54;
      r.dpiY = cinfo.Y_density * 2.54;
    }
  }
  cinfo.out_color_space = c->cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  cinfo.mem->max_memory_to_use = 1024L * 1024 * 1024;
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
  r.pixels = gdi::PixelStore::create(w, h, false);
  if (!r.pixels) {
    c->err.failure = DecodeStatus::NoMemory;
    return false;
  }
  if (c->cmyk) c->line.resize(static_cast<std::size_t>(w) * 4);
  // Adobe writers store CMYK inverted (0 is full ink); others store it plain.
  const bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    std::uint32_t* out = r.pixels->row(y);
    if (!c->cmyk) {
      JSAMPROW row = reinterpret_cast<JSAMPROW>(out);
      jpeg_read_scanlines(&cinfo, &row, 1);
      for (int x = 0; x < w; ++x) out[x] |= 0xFF000000u;
      continue;
    }
    JSAMPROW row = c->line.data();
    jpeg_read_scanlines(&cinfo, &row, 1);
    for (int x = 0; x < w; ++x) {
      unsigned cc = row[x * 4], m = row[x * 4 + 1], yy = row[x * 4 + 2], k = row[x * 4 + 3];
      if (!inverted) {
        cc = 255 - cc;
        m = 255 - m;
        yy = 255 - yy;
        k = 255 - k;
      }
      const unsigned red = (cc * k + 127) / 255, green = (m * k + 127) / 255, blue = (yy * k + 127) / 255;
      out[x] = 0xFF000000u | (red << 16) | (green << 8) | blue;
    }
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

bool looksLikeJpeg(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

DecodeStatus decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture* out, bool* cmyk) {
  if (!looksLikeJpeg(data, size)) return DecodeStatus::UnknownFormat;
  auto c = std::make_unique<Context>();
  c->cinfo.err = jpeg_std_error(&c->err.base);
  c->err.base.error_exit = onError;
  c->err.base.emit_message = onMessage;
  c->err.failure = DecodeStatus::Damaged;
  jpeg_create_decompress(&c->cinfo);
  c->progress.base.progress_monitor = onProgress;
  c->cinfo.progress = &c->progress.base;
  const bool ok = run(c.get(), data, size);
  jpeg_destroy_decompress(&c->cinfo);
  if (!ok) return c->err.failure;
  if (cmyk) *cmyk = c->cmyk;
  *out = std::move(c->result);
  return DecodeStatus::Ok;
}

}  // namespace quendel::codecs
