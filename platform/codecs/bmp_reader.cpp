#include "platform/codecs/bmp_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/codecs/byte_reader.h"
#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {

constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

// The file header: "BM", file size, two reserved words, offset of the pixel rows.
constexpr std::size_t kOffBitsAt = 10, kFileHeaderSize = 14;
constexpr std::uint32_t kOpaque = 0xFF000000u;     // alpha of an opaque pixel
constexpr std::uint32_t kColorBits = 0x00FFFFFFu;  // the colour of a pixel; also a transparent mask pixel
constexpr double kMetresPerInch = 0.0254;
// RLE escapes (a zero count followed by one of these).
constexpr std::uint32_t kRleEndOfLine = 0, kRleEndOfBitmap = 1, kRleDelta = 2;

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

// Header sizes: core, info, V2 (with RGB masks), V3 (with the alpha mask), OS/2, V4, V5.
constexpr std::uint32_t kCoreHeader = 12, kInfoHeader = 40, kV2Header = 52, kV3Header = 56, kOs2Header = 64,
                        kV4Header = 108, kV5Header = 124;
// Field offsets inside the info header and its successors.
constexpr std::size_t kWidthAt = 4, kHeightAt = 8, kBitsAt = 14, kCompressionAt = 16, kXppmAt = 24, kYppmAt = 28,
                      kColorsUsedAt = 32, kRedMaskAt = 40, kGreenMaskAt = 44, kBlueMaskAt = 48, kAlphaMaskAt = 52;
// Field offsets inside the core header.
constexpr std::size_t kCoreWidthAt = 4, kCoreHeightAt = 6, kCoreBitsAt = 10;
constexpr std::size_t kMaskBytes = 4;  // each mask that follows an info header
// In an OS/2 header compression 3 is Huffman coding, which no reader here knows.
constexpr std::uint32_t kOs2Huffman = 3, kUnknownCompression = 0xFFFF;
// Plain 32-bit rows with this alpha mask (in a V3+ header) are 8-bit BGRA.
constexpr std::uint32_t kAlphaMask32 = 0xFF000000u, kRedMask32 = 0x00FF0000u, kGreenMask32 = 0x0000FF00u,
                        kBlueMask32 = 0x000000FFu;
// 16-bit rows without masks are 5-5-5.
constexpr std::uint32_t kRedMask555 = 0x7C00, kGreenMask555 = 0x03E0, kBlueMask555 = 0x001F;

DecodeStatus readCoreHeader(const ByteReader& in, std::size_t at, Header* h) {
  std::uint32_t w, hh, bits;
  if (!in.u16(at + kCoreWidthAt, &w) || !in.u16(at + kCoreHeightAt, &hh) || !in.u16(at + kCoreBitsAt, &bits))
    return DecodeStatus::Damaged;
  h->core = true;
  h->width = w;
  h->height = hh;
  h->bits = bits;
  return DecodeStatus::Ok;
}

DecodeStatus readInfoHeader(const ByteReader& in, std::size_t at, std::uint32_t size, Header* h) {
  std::int32_t w, hh;
  std::uint32_t bits, comp, used;
  if (!in.has(at, size) || !in.i32(at + kWidthAt, &w) || !in.i32(at + kHeightAt, &hh) || !in.u16(at + kBitsAt, &bits) ||
      !in.u32(at + kCompressionAt, &comp) || !in.i32(at + kXppmAt, &h->xppm) || !in.i32(at + kYppmAt, &h->yppm) ||
      !in.u32(at + kColorsUsedAt, &used))
    return DecodeStatus::Damaged;
  h->width = w;
  h->topDown = hh < 0;  // a negative height means rows stored top-down
  h->height = hh < 0 ? -static_cast<std::int64_t>(hh) : hh;
  h->bits = bits;
  h->compression = (size == kOs2Header && comp == kOs2Huffman) ? kUnknownCompression : comp;
  h->colorsUsed = used;
  return DecodeStatus::Ok;
}

// The size, depth and compression every reader can work with.
DecodeStatus checkShape(const Header& h) {
  if (h.width <= 0 || h.height <= 0) return DecodeStatus::Damaged;
  if (!gdi::pictureSizeAllowed(h.width, h.height)) return DecodeStatus::TooLarge;
  if (h.topDown && (h.compression == BI_RLE8 || h.compression == BI_RLE4)) return DecodeStatus::Damaged;
  switch (h.bits) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: return DecodeStatus::Damaged;
  }
  if (h.compression == BI_RLE8 && h.bits != 8) return DecodeStatus::Damaged;
  if (h.compression == BI_RLE4 && h.bits != 4) return DecodeStatus::Damaged;
  return DecodeStatus::Ok;
}

// BI_BITFIELDS and BI_ALPHABITFIELDS masks: inside a V2+ header, else right after it
// (moving the palette behind them).
DecodeStatus readBitfieldMasks(const ByteReader& in, std::size_t at, std::uint32_t size, Header* h) {
  if (h->bits != 16 && h->bits != 32) return DecodeStatus::Damaged;
  const bool withAlpha = h->compression == BI_ALPHABITFIELDS;
  std::uint32_t r, g, b, a = 0;
  if (size >= kV2Header) {
    if (!in.u32(at + kRedMaskAt, &r) || !in.u32(at + kGreenMaskAt, &g) || !in.u32(at + kBlueMaskAt, &b))
      return DecodeStatus::Damaged;
    if (size >= kV3Header && !in.u32(at + kAlphaMaskAt, &a)) return DecodeStatus::Damaged;
    if (withAlpha && size < kV3Header) return DecodeStatus::Damaged;
  } else {
    if (!in.u32(at + size, &r) || !in.u32(at + size + kMaskBytes, &g) || !in.u32(at + size + 2 * kMaskBytes, &b) ||
        (withAlpha && !in.u32(at + size + 3 * kMaskBytes, &a)))
      return DecodeStatus::Damaged;
    h->paletteOffset += (withAlpha ? 4 : 3) * kMaskBytes;
  }
  h->r.set(r);
  h->g.set(g);
  h->b.set(b);
  h->a.set(a);
  h->hasMasks = true;
  return DecodeStatus::Ok;
}

// The channel masks: read for bitfields, the alpha mask of a V3+ header for plain
// 32-bit rows, 5-5-5 for plain 16-bit rows.
DecodeStatus readMasks(const ByteReader& in, std::size_t at, std::uint32_t size, Header* h) {
  if (h->compression == BI_BITFIELDS || h->compression == BI_ALPHABITFIELDS) {
    DecodeStatus s = readBitfieldMasks(in, at, size, h);
    if (s != DecodeStatus::Ok) return s;
  } else if (h->compression != BI_RGB && h->compression != BI_RLE8 && h->compression != BI_RLE4) {
    return DecodeStatus::Damaged;
  } else if (size >= kV3Header && h->bits == 32 && h->compression == BI_RGB) {
    std::uint32_t a = 0;
    if (!in.u32(at + kAlphaMaskAt, &a)) return DecodeStatus::Damaged;
    if (a == kAlphaMask32) {
      h->r.set(kRedMask32);
      h->g.set(kGreenMask32);
      h->b.set(kBlueMask32);
      h->a.set(a);
      h->hasMasks = true;
    }
  }
  if (!h->hasMasks && h->bits == 16) {
    h->r.set(kRedMask555);
    h->g.set(kGreenMask555);
    h->b.set(kBlueMask555);
  }
  return DecodeStatus::Ok;
}

// The header at `at` (an icon's DIB counts its colour rows and mask rows in its height).
DecodeStatus readHeader(const ByteReader& in, std::size_t at, bool icon, Header* h) {
  std::uint32_t size;
  if (!in.u32(at, &size)) return DecodeStatus::Damaged;
  h->headerSize = size;
  DecodeStatus s = DecodeStatus::Damaged;
  if (size == kCoreHeader) {
    s = readCoreHeader(in, at, h);
  } else if (size == kInfoHeader || size == kV2Header || size == kV3Header || size == kOs2Header || size == kV4Header ||
             size == kV5Header) {
    s = readInfoHeader(in, at, size, h);
  }
  if (s != DecodeStatus::Ok) return s;
  if (icon) h->height /= 2;
  h->paletteOffset = at + size;
  s = checkShape(*h);
  if (s != DecodeStatus::Ok) return s;
  return readMasks(in, at, size, h);
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
    p->colors[i] = kOpaque | (e[2] << 16) | (e[1] << 8) | e[0];
  }
  for (std::size_t i = n; i < 256; ++i) p->colors[i] = kOpaque;
  p->count = n;
  *end = h.paletteOffset + n * entry;
  return DecodeStatus::Ok;
}

// The picture row (top-down) of stored row r: mask and alpha rows follow the colour rows' order.
int pictureRow(const Header& h, std::int64_t r) { return static_cast<int>(h.topDown ? r : h.height - 1 - r); }

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
      for (std::int64_t x = 0; x < w; ++x, src += 3) out[x] = kOpaque | (src[2] << 16) | (src[1] << 8) | src[0];
      break;
    case 16:
    case 32: {
      const int bytes = h.bits / 8;
      const bool plain = h.bits == 32 && !h.hasMasks;
      for (std::int64_t x = 0; x < w; ++x, src += bytes) {
        std::uint32_t v = src[0] | (src[1] << 8);
        if (bytes == 4) v |= (static_cast<std::uint32_t>(src[2]) << 16) | (static_cast<std::uint32_t>(src[3]) << 24);
        if (plain) {
          out[x] = kOpaque | (v & kColorBits);
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
  std::fill(store->data(), store->data() + store->pixelCount(), kOpaque);
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
    if (value == kRleEndOfLine) {
      x = 0;
      ++row;
    } else if (value == kRleEndOfBitmap) {
      return DecodeStatus::Ok;
    } else if (value == kRleDelta) {
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
      decodeRow(h, pal, base + r * stride, store->row(pictureRow(h, r)), &anyAlpha);
    }
    *rowsEnd = bitsOffset + std::min(available, stride * static_cast<std::size_t>(h.height));
  }
  out->pixels = std::move(store);
  out->bitsPerPixel = static_cast<int>(h.bits);
  out->hasAlpha = anyAlpha;
  out->alphaFromData = anyAlpha;
  out->indexed = h.bits <= 8;
  out->dpiX = h.xppm > 0 ? h.xppm * kMetresPerInch : 0;
  out->dpiY = h.yppm > 0 ? h.yppm * kMetresPerInch : 0;
  return DecodeStatus::Ok;
}

// The 1-bit AND mask after the colour rows; a 32-bit image may go without one (opaque).
DecodeStatus readAndMask(const ByteReader& in, const Header& h, std::size_t rowsEnd, gdi::PixelStore* mask) {
  const std::size_t stride = ((static_cast<std::size_t>(h.width) + 31) / 32) * 4;
  const bool present = in.has(rowsEnd, stride * static_cast<std::size_t>(h.height));
  if (!present && h.bits != 32) return DecodeStatus::Damaged;
  if (!present) return DecodeStatus::Ok;
  for (std::int64_t r = 0; r < h.height; ++r) {
    const std::uint8_t* src = in.data() + rowsEnd + r * stride;
    std::uint32_t* row = mask->row(pictureRow(h, r));
    for (std::int64_t x = 0; x < h.width; ++x)
      row[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? kMaskTransparent : kMaskOpaque;
  }
  return DecodeStatus::Ok;
}

// The fourth bytes of plain 32-bit rows as alpha, unless all of them are zero (then
// the image predates alpha and the mask decides).
void takeAlphaBytes(const std::uint8_t* rows, const Header& h, DecodedPicture* result) {
  constexpr std::size_t kPixelBytes = 4, kAlphaByte = 3;
  const std::size_t stride = static_cast<std::size_t>(h.width) * kPixelBytes;
  bool any = false;
  for (std::int64_t r = 0; r < h.height && !any; ++r) {
    const std::uint8_t* src = rows + r * stride;
    for (std::int64_t x = 0; x < h.width; ++x)
      if (src[x * kPixelBytes + kAlphaByte] != 0) {
        any = true;
        break;
      }
  }
  if (!any) return;
  auto& px = *result->pixels;
  for (std::int64_t r = 0; r < h.height; ++r) {
    const std::uint8_t* src = rows + r * stride;
    std::uint32_t* row = px.row(pictureRow(h, r));
    for (std::int64_t x = 0; x < h.width; ++x)
      row[x] = (row[x] & kColorBits) | (static_cast<std::uint32_t>(src[x * kPixelBytes + kAlphaByte]) << 24);
  }
  result->hasAlpha = true;
  result->alphaFromData = true;
}

// Without alpha the mask decides: transparent pixels get alpha 0.
void applyAndMask(const gdi::PixelStore& mask, DecodedPicture* result) {
  for (int y = 0; y < mask.height(); ++y)
    for (int x = 0; x < mask.width(); ++x)
      if (mask.row(y)[x]) {
        result->pixels->row(y)[x] &= kColorBits;
        result->hasAlpha = true;
      }
}

}  // namespace

bool looksLikeBmp(const std::uint8_t* data, std::size_t size) { return size >= 2 && data[0] == 'B' && data[1] == 'M'; }

DecodeStatus decodeBmp(const std::uint8_t* data, std::size_t size, DecodedPicture* out) {
  if (!looksLikeBmp(data, size)) return DecodeStatus::UnknownFormat;
  ByteReader in(data, size);
  std::uint32_t offBits;
  if (!in.u32(kOffBitsAt, &offBits)) return DecodeStatus::Damaged;
  Header h;
  DecodeStatus s = readHeader(in, kFileHeaderSize, false, &h);
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
  s = readAndMask(in, h, rowsEnd, m.get());
  if (s != DecodeStatus::Ok) return s;
  // In an icon the fourth byte of 32-bit pixels is alpha.
  if (h.bits == 32 && !h.hasMasks) takeAlphaBytes(data + paletteEnd, h, &result);
  if (!result.hasAlpha) applyAndMask(*m, &result);
  *mask = std::move(m);
  *out = std::move(result);
  return DecodeStatus::Ok;
}

}  // namespace quendel::codecs
