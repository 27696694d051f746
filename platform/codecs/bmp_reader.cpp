#include "platform/codecs/bmp_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/codecs/byte_reader.h"
#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {

constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  void set(std::uint32_t m) {
    mask = m;
    shift = 0;
    max = 0;
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    max = m >> shift;
  }
  std::uint32_t get(std::uint32_t v) const {
    if (!max) return 0;
    const std::uint64_t x = (v & mask) >> shift;
    return static_cast<std::uint32_t>((x * 255 + max / 2) / max);
  }
};

struct Header {
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive
  bool topDown = false;
  std::uint32_t bits = 0;
  std::uint32_t compression = BI_RGB;
  std::uint32_t colorsUsed = 0;
  std::int32_t xppm = 0, yppm = 0;
  bool core = false;
  Channel r, g, b, a;
  bool hasMasks = false;
  std::size_t paletteOffset = 0;  // after header and separate masks
};

DecodeStatus readHeader(const ByteReader& in, std::size_t at, bool icon, Header* h) {
  std::uint32_t size;
  if (!in.u32(at, &size)) return DecodeStatus::Damaged;
  h->headerSize = size;
  if (size == 12) {
    std::uint32_t w, hh, planes, bits;
    if (!in.u16(at + 4, &w) || !in.u16(at + 6, &hh) || !in.u16(at + 8, &planes) || !in.u16(at + 10, &bits))
      return DecodeStatus::Damaged;
    h->core = true;
    h->width = w;
    h->height = hh;
    h->bits = bits;
  } else if (size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124) {
    std::int32_t w, hh;
    std::uint32_t bits, comp, used;
    if (!in.has(at, size) || !in.i32(at + 4, &w) || !in.i32(at + 8, &hh) || !in.u16(at + 14, &bits) ||
        !in.u32(at + 16, &comp) || !in.i32(at + 24, &h->xppm) || !in.i32(at + 28, &h->yppm) || !in.u32(at + 32, &used))
      return DecodeStatus::Damaged;
    h->width = w;
    h->topDown = hh < 0;
    h->height = hh < 0 ? -static_cast<std::int64_t>(hh) : hh;
    h->bits = bits;
    h->compression = size == 64 ? (comp == 3 ? 0xFFFF : comp) : comp;  // OS/2 3 is Huffman
    h->colorsUsed = used;
  } else {
    return DecodeStatus::Damaged;
  }
  if (icon) h->height /= 2;
  h->paletteOffset = at + size;
  if (h->width <= 0 || h->height <= 0) return DecodeStatus::Damaged;
  if (!gdi::pictureSizeAllowed(h->width, h->height)) return DecodeStatus::TooLarge;
  if (h->topDown && (h->compression == BI_RLE8 || h->compression == BI_RLE4)) return DecodeStatus::Damaged;
  switch (h->bits) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: return DecodeStatus::Damaged;
  }
  if (h->compression == BI_RLE8 && h->bits != 8) return DecodeStatus::Damaged;
  if (h->compression == BI_RLE4 && h->bits != 4) return DecodeStatus::Damaged;
  if (h->compression == BI_BITFIELDS || h->compression == BI_ALPHABITFIELDS) {
    if (h->bits != 16 && h->bits != 32) return DecodeStatus::Damaged;
    std::uint32_t r, g, b, a = 0;
    if (size >= 52) {
      if (!in.u32(at + 40, &r) || !in.u32(at + 44, &g) || !in.u32(at + 48, &b)) return DecodeStatus::Damaged;
      if (size >= 56 && !in.u32(at + 52, &a)) return DecodeStatus::Damaged;
      if (h->compression == BI_ALPHABITFIELDS && size < 56) return DecodeStatus::Damaged;
    } else {
      const bool withAlpha = h->compression == BI_ALPHABITFIELDS;
      if (!in.u32(at + size, &r) || !in.u32(at + size + 4, &g) || !in.u32(at + size + 8, &b) ||
          (withAlpha && !in.u32(at + size + 12, &a)))
        return DecodeStatus::Damaged;
      h->paletteOffset += withAlpha ? 16 : 12;
    }
    h->r.set(r);
    h->g.set(g);
    h->b.set(b);
    h->a.set(a);
    h->hasMasks = true;
  } else if (h->compression != BI_RGB && h->compression != BI_RLE8 && h->compression != BI_RLE4) {
    return DecodeStatus::Damaged;
  } else if (size >= 56 && h->bits == 32 && h->compression == BI_RGB) {
    // A V3+ header may name an alpha mask for plain 32-bit rows.
    std::uint32_t a = 0;
    if (!in.u32(at + 52, &a)) return DecodeStatus::Damaged;
    if (a == 0xFF000000u) {
      h->r.set(0x00FF0000u);
      h->g.set(0x0000FF00u);
      h->b.set(0x000000FFu);
      h->a.set(a);
      h->hasMasks = true;
    }
  }
  if (!h->hasMasks && h->bits == 16) {
    h->r.set(0x7C00);
    h->g.set(0x03E0);
    h->b.set(0x001F);
  }
  return DecodeStatus::Ok;
}

struct Palette {
  std::array<std::uint32_t, 256> colors{};
  std::size_t count = 0;
};

DecodeStatus readPalette(const ByteReader& in, const Header& h, std::size_t limit, Palette* p, std::size_t* end) {
  *end = h.paletteOffset;
  if (h.bits > 8) return DecodeStatus::Ok;
  std::size_t n = h.colorsUsed ? h.colorsUsed : (std::size_t{1} << h.bits);
  n = std::min<std::size_t>(n, std::size_t{1} << h.bits);
  const std::size_t entry = h.core ? 3 : 4;
  // A palette cut short by the pixel data keeps what precedes it.
  const std::size_t available = limit > h.paletteOffset ? (limit - h.paletteOffset) / entry : 0;
  if (available == 0 && n > 0) return DecodeStatus::Damaged;
  n = std::min(n, available);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* e = in.data() + h.paletteOffset + i * entry;
    p->colors[i] = 0xFF000000u | (e[2] << 16) | (e[1] << 8) | e[0];
  }
  for (std::size_t i = n; i < 256; ++i) p->colors[i] = 0xFF000000u;
  p->count = n;
  *end = h.paletteOffset + n * entry;
  return DecodeStatus::Ok;
}

void decodeRow(const Header& h, const Palette& pal, const std::uint8_t* src, std::uint32_t* out, bool* anyAlpha) {
  const std::int64_t w = h.width;
  switch (h.bits) {
    case 1:
      for (std::int64_t x = 0; x < w; ++x) out[x] = pal.colors[(src[x >> 3] >> (7 - (x & 7))) & 1];
      break;
    case 4:
      for (std::int64_t x = 0; x < w; ++x) out[x] = pal.colors[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
      break;
    case 8:
      for (std::int64_t x = 0; x < w; ++x) out[x] = pal.colors[src[x]];
      break;
    case 24:
      for (std::int64_t x = 0; x < w; ++x, src += 3) out[x] = 0xFF000000u | (src[2] << 16) | (src[1] << 8) | src[0];
      break;
    case 16:
    case 32: {
      const int bytes = h.bits / 8;
      const bool plain = h.bits == 32 && !h.hasMasks;
      for (std::int64_t x = 0; x < w; ++x, src += bytes) {
        std::uint32_t v = src[0] | (src[1] << 8);
        if (bytes == 4) v |= (static_cast<std::uint32_t>(src[2]) << 16) | (static_cast<std::uint32_t>(src[3]) << 24);
        if (plain) {
          out[x] = 0xFF000000u | (v & 0x00FFFFFFu);
          continue;
        }
        std::uint32_t alpha = 0xFF;
        if (h.a.mask) {
          alpha = h.a.get(v);
          if (alpha != 0xFF) *anyAlpha = true;
        }
        out[x] = (alpha << 24) | (h.r.get(v) << 16) | (h.g.get(v) << 8) | h.b.get(v);
      }
      break;
    }
  }
}

DecodeStatus decodeRle(const Header& h, const Palette& pal, const std::uint8_t* src, std::size_t size,
                       gdi::PixelStore* store) {
  std::fill(store->data(), store->data() + store->pixelCount(), 0xFF000000u);
  const bool four = h.compression == BI_RLE4;
  std::int64_t x = 0, row = 0;  // row counts from the bottom
  std::size_t i = 0;
  auto put = [&](std::uint32_t index) {
    if (x < h.width && row < h.height) store->row(static_cast<int>(h.height - 1 - row))[x] = pal.colors[index & 0xFF];
    ++x;
  };
  while (true) {
    if (i + 2 > size) return DecodeStatus::Damaged;
    const std::uint32_t count = src[i], value = src[i + 1];
    i += 2;
    if (count > 0) {
      for (std::uint32_t k = 0; k < count; ++k) put(four ? ((k & 1) ? value & 0xF : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      return DecodeStatus::Ok;
    } else if (value == 2) {  // delta
      if (i + 2 > size) return DecodeStatus::Damaged;
      x += src[i];
      row += src[i + 1];
      i += 2;
    } else {  // absolute run, padded to a 16-bit boundary
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      if (i + bytes > size) return DecodeStatus::Damaged;
      for (std::uint32_t k = 0; k < value; ++k)
        put(four ? ((k & 1) ? src[i + k / 2] & 0xF : src[i + k / 2] >> 4) : src[i + k]);
      i += (bytes + 1) & ~std::size_t{1};
    }
    if (row >= h.height) return DecodeStatus::Ok;  // no end marker needed once the picture is full
  }
}

DecodeStatus decodePixels(const ByteReader& in, const Header& h, std::size_t bitsOffset, std::size_t bitsEnd,
                          const Palette& pal, DecodedPicture* out, std::size_t* rowsEnd) {
  if (bitsOffset > bitsEnd || bitsEnd > in.size()) return DecodeStatus::Damaged;
  const std::size_t available = bitsEnd - bitsOffset;
  const std::size_t stride = ((static_cast<std::size_t>(h.width) * h.bits + 31) / 32) * 4;
  const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
  if (rle) {
    if (static_cast<std::uint64_t>(h.width) * h.height / 256 > available + 1) return DecodeStatus::Damaged;
  } else if (stride * static_cast<std::size_t>(h.height) > available) {
    // The last row may lack its padding; anything less is a cut-off file.
    if (stride * (h.height - 1) + (static_cast<std::size_t>(h.width) * h.bits + 7) / 8 > available)
      return DecodeStatus::Damaged;
  }
  auto store = gdi::PixelStore::create(static_cast<int>(h.width), static_cast<int>(h.height), false);
  if (!store) return DecodeStatus::NoMemory;
  bool anyAlpha = false;
  const std::uint8_t* base = in.data() + bitsOffset;
  if (rle) {
    DecodeStatus s = decodeRle(h, pal, base, available, store.get());
    if (s != DecodeStatus::Ok) return s;
    *rowsEnd = bitsEnd;
  } else {
    for (std::int64_t r = 0; r < h.height; ++r) {
      const int y = static_cast<int>(h.topDown ? r : h.height - 1 - r);
      decodeRow(h, pal, base + r * stride, store->row(y), &anyAlpha);
    }
    *rowsEnd = bitsOffset + std::min(available, stride * static_cast<std::size_t>(h.height));
  }
  out->pixels = std::move(store);
  out->bitsPerPixel = static_cast<int>(h.bits);
  out->hasAlpha = anyAlpha;
  out->alphaFromData = anyAlpha;
  out->indexed = h.bits <= 8;
  out->dpiX = h.xppm > 0 ? h.xppm * 0.0254 : 0;
  out->dpiY = h.yppm > 0 ? h.yppm * 0.0254 : 0;
  return DecodeStatus::Ok;
}

}  // namespace

bool looksLikeBmp(const std::uint8_t* data, std::size_t size) { return size >= 2 && data[0] == 'B' && data[1] == 'M'; }

DecodeStatus decodeBmp(const std::uint8_t* data, std::size_t size, DecodedPicture* out) {
  if (!looksLikeBmp(data, size)) return DecodeStatus::UnknownFormat;
  ByteReader in(data, size);
  std::uint32_t offBits;
  if (!in.u32(10, &offBits)) return DecodeStatus::Damaged;
  Header h;
  DecodeStatus s = readHeader(in, 14, false, &h);
  if (s != DecodeStatus::Ok) return s;
  Palette pal;
  std::size_t paletteEnd;
  const std::size_t limit = (offBits >= h.paletteOffset && offBits <= size) ? offBits : size;
  s = readPalette(in, h, limit, &pal, &paletteEnd);
  if (s != DecodeStatus::Ok) return s;
  // Writers that leave bfOffBits zero or pointing into the header mean "right after
  // the palette".
  const std::size_t bits = (offBits >= paletteEnd && offBits <= size) ? offBits : paletteEnd;
  if (offBits > size) return DecodeStatus::Damaged;
  DecodedPicture result;
  std::size_t rowsEnd;
  s = decodePixels(in, h, bits, size, pal, &result, &rowsEnd);
  if (s == DecodeStatus::Ok) *out = std::move(result);
  return s;
}

DecodeStatus decodeIconDib(const std::uint8_t* data, std::size_t size, DecodedPicture* out,
                           std::shared_ptr<gdi::PixelStore>* mask) {
  ByteReader in(data, size);
  Header h;
  DecodeStatus s = readHeader(in, 0, true, &h);
  if (s != DecodeStatus::Ok) return s;
  if (h.compression == BI_RLE4 || h.compression == BI_RLE8) return DecodeStatus::Damaged;
  Palette pal;
  std::size_t paletteEnd;
  s = readPalette(in, h, size, &pal, &paletteEnd);
  if (s != DecodeStatus::Ok) return s;
  DecodedPicture result;
  std::size_t rowsEnd;
  s = decodePixels(in, h, paletteEnd, size, pal, &result, &rowsEnd);
  if (s != DecodeStatus::Ok) return s;
  auto m = gdi::PixelStore::create(static_cast<int>(h.width), static_cast<int>(h.height), true);
  if (!m) return DecodeStatus::NoMemory;
  const std::size_t stride = ((static_cast<std::size_t>(h.width) + 31) / 32) * 4;
  const bool present = in.has(rowsEnd, stride * static_cast<std::size_t>(h.height));
  if (!present && h.bits != 32) return DecodeStatus::Damaged;
  if (present) {
    for (std::int64_t r = 0; r < h.height; ++r) {
      const std::uint8_t* src = data + rowsEnd + r * stride;
      std::uint32_t* row = m->row(static_cast<int>(h.height - 1 - r));
      for (std::int64_t x = 0; x < h.width; ++x) row[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? 0x00FFFFFFu : 0;
    }
  }
  // In an icon the fourth byte of 32-bit pixels is alpha.
  if (h.bits == 32 && !h.hasMasks) {
    bool any = false;
    auto& px = *result.pixels;
    for (std::int64_t r = 0; r < h.height && !any; ++r) {
      const std::uint8_t* src = data + paletteEnd + r * h.width * 4;
      for (std::int64_t x = 0; x < h.width; ++x)
        if (src[x * 4 + 3] != 0) {
          any = true;
          break;
        }
    }
    if (any) {
      for (std::int64_t r = 0; r < h.height; ++r) {
        const std::uint8_t* src = data + paletteEnd + r * h.width * 4;
        std::uint32_t* row = px.row(static_cast<int>(h.height - 1 - r));
        for (std::int64_t x = 0; x < h.width; ++x)
          row[x] = (row[x] & 0x00FFFFFFu) | (static_cast<std::uint32_t>(src[x * 4 + 3]) << 24);
      }
      result.hasAlpha = true;
      result.alphaFromData = true;
    }
  }
  if (!result.hasAlpha) {
    // Without alpha the mask decides: transparent pixels get alpha 0.
    for (int y = 0; y < static_cast<int>(h.height); ++y)
      for (int x = 0; x < static_cast<int>(h.width); ++x)
        if (m->row(y)[x]) {
          result.pixels->row(y)[x] &= 0x00FFFFFFu;
          result.hasAlpha = true;
        }
  }
  *mask = std::move(m);
  *out = std::move(result);
  return DecodeStatus::Ok;
}

}  // namespace quendel::codecs
