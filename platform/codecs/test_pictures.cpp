#include "platform/codecs/test_pictures.h"

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
// jpeglib.h needs FILE and size_t first.
#include <jpeglib.h>

#include "support/codepage.h"

namespace quendel::testpics {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/quendel-pictures-XXXXXX";
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests make folders read-only; give the rights back so that everything goes.
  for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
    if (e.is_directory(ec))
      std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::u16string u16(const std::string& utf8) { return cp::fromUtf8(utf8); }

Pixels pattern(int width, int height, bool alpha) {
  Pixels p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t a = alpha ? static_cast<std::uint32_t>((x * 97 + y * 31) % 256) : 0xFF;
      const std::uint32_t r = (x * 37 + y * 11) & 0xFF, g = (x * 5 + y * 71) & 0xFF, b = (x * y * 13 + 7) & 0xFF;
      p.argb.push_back((a << 24) | (r << 16) | (g << 8) | b);
    }
  return p;
}

namespace {
void put16(std::vector<std::uint8_t>& v, std::uint32_t x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}
void set32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
}

// Header, palette and rows of a DIB (no file header).
std::vector<std::uint8_t> dib(const BmpShape& s, bool icon, const std::vector<std::uint8_t>* andMask) {
  std::vector<std::uint8_t> v;
  const int absH = s.height < 0 ? -s.height : s.height;
  if (s.headerSize == 12) {
    put32(v, 12);
    put16(v, static_cast<std::uint32_t>(s.width));
    put16(v, static_cast<std::uint32_t>(absH));
    put16(v, 1);
    put16(v, static_cast<std::uint32_t>(s.bits));
  } else {
    put32(v, static_cast<std::uint32_t>(s.headerSize));
    put32(v, static_cast<std::uint32_t>(s.width));
    put32(v, static_cast<std::uint32_t>(icon ? absH * 2 : s.height));
    put16(v, 1);
    put16(v, static_cast<std::uint32_t>(s.bits));
    put32(v, s.compression);
    put32(v, 0);
    put32(v, 3780);
    put32(v, 3780);
    put32(v, s.colorsUsed);
    put32(v, 0);
    while (v.size() < static_cast<std::size_t>(s.headerSize)) v.push_back(0);
    if (s.headerSize >= 52)
      for (std::size_t i = 0; i < s.masks.size() && 40 + i * 4 + 4 <= static_cast<std::size_t>(s.headerSize); ++i)
        set32(v, 40 + i * 4, s.masks[i]);
    if (s.headerSize == 40)
      for (auto m : s.masks) put32(v, m);
  }
  for (auto c : s.palette) {
    v.push_back(static_cast<std::uint8_t>(c));
    v.push_back(static_cast<std::uint8_t>(c >> 8));
    v.push_back(static_cast<std::uint8_t>(c >> 16));
    if (s.headerSize != 12) v.push_back(0);
  }
  if (!s.rleData.empty()) {
    v.insert(v.end(), s.rleData.begin(), s.rleData.end());
    return v;
  }
  const std::size_t stride = ((static_cast<std::size_t>(s.width) * s.bits + 31) / 32) * 4;
  for (int r = 0; r < absH; ++r) {
    const int y = s.height < 0 ? r : absH - 1 - r;
    std::vector<std::uint8_t> row(stride, 0);
    for (int x = 0; x < s.width; ++x) {
      const std::uint32_t val = s.values[static_cast<std::size_t>(y) * s.width + x];
      switch (s.bits) {
        case 1: row[x / 8] |= static_cast<std::uint8_t>((val & 1) << (7 - x % 8)); break;
        case 4: row[x / 2] |= static_cast<std::uint8_t>((val & 0xF) << ((x % 2) ? 0 : 4)); break;
        case 8: row[x] = static_cast<std::uint8_t>(val); break;
        case 16:
          row[x * 2] = static_cast<std::uint8_t>(val);
          row[x * 2 + 1] = static_cast<std::uint8_t>(val >> 8);
          break;
        case 24:
          row[x * 3] = static_cast<std::uint8_t>(val);
          row[x * 3 + 1] = static_cast<std::uint8_t>(val >> 8);
          row[x * 3 + 2] = static_cast<std::uint8_t>(val >> 16);
          break;
        case 32:
          for (int i = 0; i < 4; ++i) row[x * 4 + i] = static_cast<std::uint8_t>(val >> (8 * i));
          break;
      }
    }
    v.insert(v.end(), row.begin(), row.end());
  }
  if (andMask) v.insert(v.end(), andMask->begin(), andMask->end());
  return v;
}
}  // namespace

std::vector<std::uint8_t> makeBmp(const BmpShape& shape) {
  std::vector<std::uint8_t> body = dib(shape, false, nullptr);
  std::size_t headerAndPalette = static_cast<std::size_t>(shape.headerSize) +
                                 shape.palette.size() * (shape.headerSize == 12 ? 3 : 4) +
                                 (shape.headerSize == 40 ? shape.masks.size() * 4 : 0);
  std::vector<std::uint8_t> v = {'B', 'M'};
  put32(v, static_cast<std::uint32_t>(14 + body.size()));
  put32(v, 0);
  put32(v, static_cast<std::uint32_t>(14 + headerAndPalette));
  v.insert(v.end(), body.begin(), body.end());
  return v;
}

namespace {
struct PngBuffer {
  std::vector<std::uint8_t> bytes;
};
void pngWrite(png_structp png, png_bytep data, png_size_t n) {
  auto* b = static_cast<PngBuffer*>(png_get_io_ptr(png));
  b->bytes.insert(b->bytes.end(), data, data + n);
}
void pngFlush(png_structp) {}
}  // namespace

std::vector<std::uint8_t> makePng(const Pixels& p, int colorType, int bitDepth, bool interlaced,
                                  const std::vector<std::uint32_t>& palette, double dpi, bool trnsKey) {
  PngBuffer out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) throw std::runtime_error("png");
  png_set_write_fn(png, &out, pngWrite, pngFlush);
  png_set_IHDR(png, info, p.width, p.height, bitDepth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> pal;
    std::vector<png_byte> alpha;
    for (auto c : palette) {
      pal.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
      alpha.push_back(static_cast<png_byte>(c >> 24));
    }
    png_set_PLTE(png, info, pal.data(), static_cast<int>(pal.size()));
    png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
  }
  if (trnsKey) {
    png_color_16 key{};
    key.red = key.green = key.blue = key.gray = 0;
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  if (dpi > 0) {
    const auto ppm = static_cast<png_uint_32>(std::lround(dpi / 0.0254));
    png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
  }
  png_write_info(png, info);
  const int channels = colorType == PNG_COLOR_TYPE_RGB    ? 3
                       : colorType == PNG_COLOR_TYPE_RGBA ? 4
                       : colorType == PNG_COLOR_TYPE_GA   ? 2
                                                          : 1;
  const int bytesPerSample = bitDepth == 16 ? 2 : 1;
  const int passes = interlaced ? png_set_interlace_handling(png) : 1;
  std::vector<std::vector<png_byte>> rows(p.height);
  for (int y = 0; y < p.height; ++y) {
    auto& row = rows[y];
    row.assign(static_cast<std::size_t>(p.width) * channels * bytesPerSample + 8, 0);
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t c = p.at(x, y);
      std::uint32_t samples[4];
      int n = 0;
      if (colorType == PNG_COLOR_TYPE_PALETTE) {
        samples[n++] = c;  // the index itself
      } else if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GA) {
        samples[n++] = (c >> 16) & 0xFF;
        if (colorType == PNG_COLOR_TYPE_GA) samples[n++] = c >> 24;
      } else {
        samples[n++] = (c >> 16) & 0xFF;
        samples[n++] = (c >> 8) & 0xFF;
        samples[n++] = c & 0xFF;
        if (colorType == PNG_COLOR_TYPE_RGBA) samples[n++] = c >> 24;
      }
      for (int i = 0; i < n; ++i) {
        const std::size_t idx = static_cast<std::size_t>(x) * channels + i;
        if (bitDepth == 16) {
          const std::uint32_t v16 = samples[i] * 257;
          row[idx * 2] = static_cast<png_byte>(v16 >> 8);
          row[idx * 2 + 1] = static_cast<png_byte>(v16);
        } else if (bitDepth == 8) {
          row[idx] = static_cast<png_byte>(samples[i]);
        } else {
          const int perByte = 8 / bitDepth;
          const std::uint32_t v = colorType == PNG_COLOR_TYPE_PALETTE ? samples[i] : samples[i] >> (8 - bitDepth);
          row[idx / perByte] |= static_cast<png_byte>(v << (8 - bitDepth * (static_cast<int>(idx % perByte) + 1)));
        }
      }
    }
  }
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < p.height; ++y) png_write_row(png, rows[y].data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out.bytes;
}

std::vector<std::uint8_t> makeJpeg(const Pixels& p, int kind, bool progressive, int dpi) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = static_cast<JDIMENSION>(p.width);
  c.image_height = static_cast<JDIMENSION>(p.height);
  c.input_components = kind == 1 ? 1 : kind == 2 ? 4 : 3;
  c.in_color_space = kind == 1 ? JCS_GRAYSCALE : kind == 2 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  if (dpi) {
    c.density_unit = 1;
    c.X_density = c.Y_density = static_cast<UINT16>(dpi);
  }
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(p.width) * 4);
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t v = p.at(x, y);
      const JSAMPLE r = static_cast<JSAMPLE>(v >> 16), g = static_cast<JSAMPLE>(v >> 8), b = static_cast<JSAMPLE>(v);
      if (kind == 1) {
        row[x] = r;
      } else if (kind == 2) {
        // Adobe-style inverted CMYK with no black ink: stored values are R, G, B, 255.
        row[x * 4] = r;
        row[x * 4 + 1] = g;
        row[x * 4 + 2] = b;
        row[x * 4 + 3] = 255;
      } else {
        row[x * 3] = r;
        row[x * 3 + 1] = g;
        row[x * 3 + 2] = b;
      }
    }
    JSAMPROW rp = row.data();
    jpeg_write_scanlines(&c, &rp, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<std::uint8_t> out(mem, mem + size);
  std::free(mem);
  return out;
}

void makeGif(const std::string& path, const Pixels& indices, const std::vector<std::uint32_t>& palette,
             int transparentIndex, bool interlaced, int screenW, int screenH, int left, int top) {
  int err = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &err);
  if (!gif) throw std::runtime_error("gif");
  std::vector<GifColorType> colors;
  colors.reserve(palette.size());
  for (auto c : palette)
    colors.push_back(
        {static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8), static_cast<GifByteType>(c)});
  int n = 2;
  while (n < static_cast<int>(colors.size())) n *= 2;
  colors.resize(static_cast<std::size_t>(n));
  ColorMapObject* map = GifMakeMapObject(n, colors.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, screenW ? screenW : indices.width, screenH ? screenH : indices.height, 8, 0, map);
  if (transparentIndex >= 0) {
    GifByteType gce[4] = {1, 0, 0, static_cast<GifByteType>(transparentIndex)};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
  }
  EGifPutImageDesc(gif, left, top, indices.width, indices.height, interlaced, nullptr);
  std::vector<int> order;
  if (interlaced) {
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < indices.height; y += step[pass]) order.push_back(y);
  } else {
    for (int y = 0; y < indices.height; ++y) order.push_back(y);
  }
  std::vector<GifPixelType> line(static_cast<std::size_t>(indices.width));
  for (int y : order) {
    for (int x = 0; x < indices.width; ++x) line[x] = static_cast<GifPixelType>(indices.at(x, y));
    EGifPutLine(gif, line.data(), indices.width);
  }
  GifFreeMapObject(map);
  EGifCloseFile(gif, &err);
}

void makeTiff(const std::string& path, const Pixels& p, int compression, int photometric, int bitsPerSample, bool alpha,
              float dpi) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (!t) throw std::runtime_error("tiff");
  const int spp = photometric == 2 ? (alpha ? 4 : 3) : photometric == 1 ? (alpha ? 2 : 1) : 1;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, p.width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, p.height);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
               photometric == 3   ? PHOTOMETRIC_PALETTE
               : photometric == 2 ? PHOTOMETRIC_RGB
                                  : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 8);
  if (compression == COMPRESSION_JPEG) TIFFSetField(t, TIFFTAG_JPEGQUALITY, 100);
  if (alpha) {
    std::uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  if (dpi > 0) {
    TIFFSetField(t, TIFFTAG_XRESOLUTION, dpi);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, dpi);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
  if (photometric == 3) {
    std::vector<std::uint16_t> r(256), g(256), b(256);
    for (int i = 0; i < 256; ++i) {
      r[i] = static_cast<std::uint16_t>(i * 257);
      g[i] = static_cast<std::uint16_t>((255 - i) * 257);
      b[i] = static_cast<std::uint16_t>((i * 3 % 256) * 257);
    }
    TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  const int bytes = bitsPerSample / 8;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(p.width) * spp * bytes);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t c = p.at(x, y);
      std::uint32_t s[4];
      int n = 0;
      if (photometric == 3) {
        s[n++] = c & 0xFF;
      } else if (photometric == 1) {
        s[n++] = (c >> 16) & 0xFF;
        if (alpha) s[n++] = c >> 24;
      } else {
        s[n++] = (c >> 16) & 0xFF;
        s[n++] = (c >> 8) & 0xFF;
        s[n++] = c & 0xFF;
        if (alpha) s[n++] = c >> 24;
      }
      for (int i = 0; i < n; ++i) {
        const std::size_t idx = (static_cast<std::size_t>(x) * spp + i) * bytes;
        if (bytes == 2) {
          const std::uint16_t v = static_cast<std::uint16_t>(s[i] * 257);
          std::memcpy(&row[idx], &v, 2);
        } else {
          row[idx] = static_cast<std::uint8_t>(s[i]);
        }
      }
    }
    TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0);
  }
  TIFFClose(t);
}

std::vector<std::uint8_t> makeIcon(const std::vector<IconImageSpec>& images, bool cursor) {
  std::vector<std::vector<std::uint8_t>> blobs;
  for (const auto& im : images) {
    Pixels px;
    px.width = px.height = im.size;
    px.argb.assign(static_cast<std::size_t>(im.size) * im.size, im.color);
    px.argb[0] = 0;  // one transparent corner pixel
    if (im.bits == 0) {
      blobs.push_back(makePng(px, PNG_COLOR_TYPE_RGBA, 8, false));
      continue;
    }
    BmpShape s;
    s.width = im.size;
    s.height = im.size;
    s.bits = im.bits;
    for (auto c : px.argb) s.values.push_back(im.bits == 32 ? c : (c & 0x00FFFFFFu));
    const std::size_t maskStride = ((static_cast<std::size_t>(im.size) + 31) / 32) * 4;
    std::vector<std::uint8_t> mask(maskStride * im.size, 0);
    // Rows bottom-up: the top-left pixel is in the last mask row.
    mask[maskStride * (im.size - 1)] = 0x80;
    blobs.push_back(dib(s, true, &mask));
  }
  std::vector<std::uint8_t> v;
  put16(v, 0);
  put16(v, cursor ? 2 : 1);
  put16(v, static_cast<std::uint32_t>(images.size()));
  std::size_t offset = 6 + 16 * images.size();
  for (std::size_t i = 0; i < images.size(); ++i) {
    const auto& im = images[i];
    v.push_back(static_cast<std::uint8_t>(im.size >= 256 ? 0 : im.size));
    v.push_back(static_cast<std::uint8_t>(im.size >= 256 ? 0 : im.size));
    v.push_back(0);
    v.push_back(0);
    put16(v, cursor ? 3 : 1);                                                   // planes, or hotspot x
    put16(v, cursor ? 5 : static_cast<std::uint32_t>(im.bits ? im.bits : 32));  // depth, or hotspot y
    put32(v, static_cast<std::uint32_t>(blobs[i].size()));
    put32(v, static_cast<std::uint32_t>(offset));
    offset += blobs[i].size();
  }
  for (auto& b : blobs) v.insert(v.end(), b.begin(), b.end());
  return v;
}

}  // namespace quendel::testpics
