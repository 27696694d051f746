#include "platform/codecs/png_reader.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {

struct Source {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t pos = 0;
  std::FILE* file = nullptr;
};

struct Context {
  Source src;
  DecodeStatus failure = DecodeStatus::Damaged;
  DecodedPicture result;
  std::vector<png_bytep> rows;
};

void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

void onRead(png_structp png, png_bytep out, png_size_t count) {
  auto* ctx = static_cast<Context*>(png_get_io_ptr(png));
  Source& s = ctx->src;
  if (s.file) {
    if (std::fread(out, 1, count, s.file) != count) png_error(png, "read");
    return;
  }
  if (count > s.size - s.pos) png_error(png, "read");
  std::memcpy(out, s.data + s.pos, count);
  s.pos += count;
}

// Runs in its own frame so that nothing with a destructor lives across the longjmp.
bool readPng(png_structp png, png_infop info, Context* ctx) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
  png_set_chunk_malloc_max(png, 64u << 20);
  png_set_read_fn(png, ctx, onRead);
  png_read_info(png, info);
  png_uint_32 w, h;
  int depth, colorType, interlace;
  png_get_IHDR(png, info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr);
  if (!gdi::pictureSizeAllowed(w, h)) {
    ctx->failure = DecodeStatus::TooLarge;
    return false;
  }
  DecodedPicture& r = ctx->result;
  r.bitsPerPixel = depth * png_get_channels(png, info);
  r.bitsPerChannel = depth;
  r.indexed = colorType == PNG_COLOR_TYPE_PALETTE;
  r.grey = (colorType & PNG_COLOR_MASK_COLOR) == 0;
  r.hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);
  r.alphaFromData = r.hasAlpha;
  png_uint_32 rx, ry;
  int unit;
  if (png_get_pHYs(png, info, &rx, &ry, &unit) && unit == PNG_RESOLUTION_METER) {
    r.dpiX = rx * 0.0254;
    r.dpiY = ry * 0.0254;
  }
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (r.grey && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  if (r.grey) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(w) * 4) return false;
  r.pixels = gdi::PixelStore::create(static_cast<int>(w), static_cast<int>(h), false);
  if (!r.pixels) {
    ctx->failure = DecodeStatus::NoMemory;
    return false;
  }
  ctx->rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) ctx->rows[y] = reinterpret_cast<png_bytep>(r.pixels->row(static_cast<int>(y)));
  png_read_image(png, ctx->rows.data());
  return true;
}

DecodeStatus decode(Context& ctx, DecodedPicture* out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (!png) return DecodeStatus::NoMemory;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return DecodeStatus::NoMemory;
  }
  const bool ok = readPng(png, info, &ctx);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) return ctx.failure;
  *out = std::move(ctx.result);
  return DecodeStatus::Ok;
}

}  // namespace

bool looksLikePng(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return size >= 8 && std::memcmp(data, sig, 8) == 0;
}

DecodeStatus decodePng(const std::uint8_t* data, std::size_t size, DecodedPicture* out) {
  if (!looksLikePng(data, size)) return DecodeStatus::UnknownFormat;
  Context ctx;
  ctx.src.data = data;
  ctx.src.size = size;
  return decode(ctx, out);
}

DecodeStatus decodePngFile(std::FILE* file, DecodedPicture* out) {
  std::uint8_t sig[8];
  if (std::fread(sig, 1, 8, file) != 8 || !looksLikePng(sig, 8)) return DecodeStatus::UnknownFormat;
  std::rewind(file);
  Context ctx;
  ctx.src.file = file;
  return decode(ctx, out);
}

}  // namespace quendel::codecs
