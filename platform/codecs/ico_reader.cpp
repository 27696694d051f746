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

DecodeStatus readIconDirectory(const std::uint8_t* data, std::size_t size, std::vector<IconEntry>* entries) {
  const int type = iconFileType(data, size);
  if (type == kNotIconFile) return DecodeStatus::UnknownFormat;
  ByteReader in(data, size);
  std::uint32_t count = 0;
  if (!in.u16(4, &count) || count == 0 || !in.has(6, count * 16u)) return DecodeStatus::Damaged;
  std::vector<IconEntry> list;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = 6 + i * 16;
    std::uint32_t w = 0, h = 0, planes = 0, bits = 0, bytes = 0, offset = 0;
    if (!in.u8(at, &w) || !in.u8(at + 1, &h) || !in.u16(at + 4, &planes) || !in.u16(at + 6, &bits) ||
        !in.u32(at + 8, &bytes) || !in.u32(at + 12, &offset))
      return DecodeStatus::Damaged;
    if (!in.has(offset, bytes) || bytes < 8) return DecodeStatus::Damaged;
    IconEntry e;
    e.width = w ? static_cast<int>(w) : 256;
    e.height = h ? static_cast<int>(h) : 256;
    e.bits = type == kIconFile ? static_cast<int>(bits) : 0;  // a cursor keeps its hotspot there
    if (type == kCursorFile) {
      e.hotspotX = planes;
      e.hotspotY = bits;
    }
    e.offset = offset;
    e.size = bytes;
    const std::uint8_t* img = data + offset;
    ByteReader ir(img, bytes);
    if (looksLikePng(img, bytes)) {
      e.png = true;
      // Width and height are big-endian in the IHDR chunk at byte 16.
      if (ir.has(16, 8)) {
        const std::uint8_t* ihdr = img + 16;
        const std::uint32_t pw = (std::uint32_t{ihdr[0]} << 24) | (ihdr[1] << 16) | (ihdr[2] << 8) | ihdr[3];
        const std::uint32_t ph = (std::uint32_t{ihdr[4]} << 24) | (ihdr[5] << 16) | (ihdr[6] << 8) | ihdr[7];
        if (pw > 0 && pw <= 4096 && ph > 0 && ph <= 4096) {
          e.width = static_cast<int>(pw);
          e.height = static_cast<int>(ph);
        }
      }
      e.bits = 32;
    } else {
      std::int32_t dw = 0, dh = 0;
      std::uint32_t hs = 0, db = 0;
      if (ir.u32(0, &hs) && hs >= 40 && ir.i32(4, &dw) && ir.i32(8, &dh) && ir.u16(14, &db) && dw > 0 && dw <= 4096 &&
          dh > 0 && dh <= 8192) {
        e.width = dw;
        e.height = dh / 2;
        e.bits = static_cast<int>(db);
      }
    }
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
      for (int x = 0; x < px.width(); ++x) r.mask->row(y)[x] = (px.row(y)[x] >> 24) ? 0 : 0x00FFFFFFu;
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
