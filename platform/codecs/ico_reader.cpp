#include "platform/codecs/ico_reader.h"

#include <cstdlib>

#include "platform/codecs/bmp_reader.h"
#include "platform/codecs/byte_reader.h"
#include "platform/codecs/png_reader.h"

namespace quendel::codecs {

int iconFileType(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  std::uint32_t reserved = 0, type = 0, count = 0;
  if (!in.u16(0, &reserved) || !in.u16(2, &type) || !in.u16(4, &count)) return kNotIconFile;
  if (reserved != 0 || (type != kIconFile && type != kCursorFile)) return kNotIconFile;
  return static_cast<int>(type);
}

namespace {

// The directory: reserved word, type, count, then one 16-byte entry per image.
constexpr std::size_t kCountAt = 4, kEntriesAt = 6, kEntrySize = 16;
constexpr std::size_t kEntryPlanesAt = 4, kEntryBitsAt = 6, kEntryBytesAt = 8, kEntryOffsetAt = 12;
constexpr std::uint32_t kMinImageBytes = 8;
constexpr int kZeroSideMeans = 256;  // a side of 0 in the directory is 256 pixels
// Sides read from the image are believed up to these (a DIB's height counts its mask too).
constexpr std::uint32_t kMaxImageSide = 4096;
constexpr std::int32_t kMaxDibHeight = 2 * kMaxImageSide;
constexpr int kPngBits = 32;
constexpr std::size_t kIhdrSizeAt = 16;  // width and height, big-endian, in a PNG's IHDR chunk
constexpr std::uint32_t kMinDibHeader = 40;
constexpr std::size_t kDibWidthAt = 4, kDibHeightAt = 8, kDibBitsAt = 14;

std::uint32_t bigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Width, height and depth as the image itself states them, where it can be read.
void sizeFromImage(const std::uint8_t* img, std::size_t bytes, IconEntry* e) {
  ByteReader ir(img, bytes);
  if (looksLikePng(img, bytes)) {
    e->png = true;
    if (ir.has(kIhdrSizeAt, 8)) {
      const std::uint32_t pw = bigEndian32(img + kIhdrSizeAt), ph = bigEndian32(img + kIhdrSizeAt + 4);
      if (pw > 0 && pw <= kMaxImageSide && ph > 0 && ph <= kMaxImageSide) {
        e->width = static_cast<int>(pw);
        e->height = static_cast<int>(ph);
      }
    }
    e->bits = kPngBits;
    return;
  }
  std::int32_t dw = 0, dh = 0;
  std::uint32_t hs = 0, db = 0;
  if (ir.u32(0, &hs) && hs >= kMinDibHeader && ir.i32(kDibWidthAt, &dw) && ir.i32(kDibHeightAt, &dh) &&
      ir.u16(kDibBitsAt, &db) && dw > 0 && dw <= static_cast<std::int32_t>(kMaxImageSide) && dh > 0 &&
      dh <= kMaxDibHeight) {
    e->width = dw;
    e->height = dh / 2;
    e->bits = static_cast<int>(db);
  }
}

DecodeStatus readEntry(const ByteReader& in, std::size_t at, int type, IconEntry* e) {
  std::uint32_t w = 0, h = 0, planes = 0, bits = 0, bytes = 0, offset = 0;
  if (!in.u8(at, &w) || !in.u8(at + 1, &h) || !in.u16(at + kEntryPlanesAt, &planes) ||
      !in.u16(at + kEntryBitsAt, &bits) || !in.u32(at + kEntryBytesAt, &bytes) || !in.u32(at + kEntryOffsetAt, &offset))
    return DecodeStatus::Damaged;
  if (!in.has(offset, bytes) || bytes < kMinImageBytes) return DecodeStatus::Damaged;
  e->width = w ? static_cast<int>(w) : kZeroSideMeans;
  e->height = h ? static_cast<int>(h) : kZeroSideMeans;
  e->bits = type == kIconFile ? static_cast<int>(bits) : 0;
  if (type == kCursorFile) {  // a cursor keeps its hotspot in the planes and bits fields
    e->hotspotX = planes;
    e->hotspotY = bits;
  }
  e->offset = offset;
  e->size = bytes;
  sizeFromImage(in.data() + offset, bytes, e);
  return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus readIconDirectory(const std::uint8_t* data, std::size_t size, std::vector<IconEntry>* entries) {
  const int type = iconFileType(data, size);
  if (type == kNotIconFile) return DecodeStatus::UnknownFormat;
  ByteReader in(data, size);
  std::uint32_t count = 0;
  if (!in.u16(kCountAt, &count) || count == 0 || !in.has(kEntriesAt, count * kEntrySize)) return DecodeStatus::Damaged;
  std::vector<IconEntry> list;
  for (std::uint32_t i = 0; i < count; ++i) {
    IconEntry e;
    const DecodeStatus s = readEntry(in, kEntriesAt + i * kEntrySize, type, &e);
    if (s != DecodeStatus::Ok) return s;
    list.push_back(e);
  }
  *entries = std::move(list);
  return DecodeStatus::Ok;
}

std::size_t chooseIconEntry(const std::vector<IconEntry>& entries, int cx, int cy, int displayBits) {
  std::size_t best = 0;
  auto better = [&](const IconEntry& a, const IconEntry& b) {
    const long da = std::labs(a.width - cx) + std::labs(a.height - cy);
    const long db = std::labs(b.width - cx) + std::labs(b.height - cy);
    if (da != db) return da < db;
    if (a.width * a.height != b.width * b.height) return a.width * a.height > b.width * b.height;
    const bool aFits = a.bits <= displayBits, bFits = b.bits <= displayBits;
    if (aFits != bFits) return aFits;
    return aFits ? a.bits > b.bits : a.bits < b.bits;
  };
  for (std::size_t i = 1; i < entries.size(); ++i)
    if (better(entries[i], entries[best])) best = i;
  return best;
}

DecodeStatus decodeIcon(const std::uint8_t* data, std::size_t size, int cx, int cy, int displayBits, DecodedIcon* out) {
  std::vector<IconEntry> entries;
  DecodeStatus s = readIconDirectory(data, size, &entries);
  if (s != DecodeStatus::Ok) return s;
  const std::size_t index = chooseIconEntry(entries, cx, cy, displayBits);
  const IconEntry& e = entries[index];
  DecodedIcon r;
  r.isIcon = iconFileType(data, size) == kIconFile;
  r.entry = index;
  r.hotspotX = e.hotspotX;
  r.hotspotY = e.hotspotY;
  const std::uint8_t* img = data + e.offset;
  if (e.png) {
    s = decodePng(img, e.size, &r.color);
    if (s == DecodeStatus::UnknownFormat) s = DecodeStatus::Damaged;
    if (s != DecodeStatus::Ok) return s;
    auto& px = *r.color.pixels;
    r.mask = gdi::PixelStore::create(px.width(), px.height(), false);
    if (!r.mask) return DecodeStatus::NoMemory;
    for (int y = 0; y < px.height(); ++y)
      for (int x = 0; x < px.width(); ++x) r.mask->row(y)[x] = (px.row(y)[x] >> 24) ? kMaskOpaque : kMaskTransparent;
    r.color.alphaFromData = true;
    r.color.hasAlpha = true;
  } else {
    s = decodeIconDib(img, e.size, &r.color, &r.mask);
    if (s != DecodeStatus::Ok) return s;
  }
  *out = std::move(r);
  return DecodeStatus::Ok;
}

}  // namespace quendel::codecs
