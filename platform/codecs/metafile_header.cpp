#include "platform/codecs/metafile_header.h"

#include <cstdlib>

#include "platform/codecs/byte_reader.h"
#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::uint32_t kEmfSignature = 0x464D4520u;  // " EMF"
constexpr std::uint32_t kEmrHeader = 1, kEmrEof = 14;
constexpr std::size_t kEmfSignatureAt = 40;
constexpr std::size_t kEmfBaseHeaderBytes = 88;  // up to and including szlMillimeters
constexpr std::size_t kEmfRecordMinBytes = 8;    // type and size
constexpr std::size_t kWmfHeaderBytes = 18;      // META_HEADER
constexpr std::uint32_t kWmfHeaderWords = 9;
constexpr std::uint32_t kWmfRecordMinWords = 3;  // size and function
constexpr std::uint32_t kMetaEof = 0x0000, kMetaSetWindowExt = 0x020C;
constexpr std::uint32_t kWmfVersion1 = 0x0100, kWmfVersion3 = 0x0300;
constexpr std::int64_t kHimetricPerInch = 2540, kPixelsPerInch = 96;

std::int64_t roundedDiv(std::int64_t a, std::int64_t b) { return (a + b / 2) / b; }

std::int32_t i16(std::uint32_t v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v)); }

bool readRect(const ByteReader& r, std::size_t at, MetafileRect* out) {
  return r.i32(at, &out->left) && r.i32(at + 4, &out->top) && r.i32(at + 8, &out->right) &&
         r.i32(at + 12, &out->bottom);
}

DecodeStatus sizeStatus(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return DecodeStatus::Damaged;
  return gdi::pictureSizeAllowed(width, height) ? DecodeStatus::Ok : DecodeStatus::TooLarge;
}

// Walks WMF records from `at`; notes the first window extent.
DecodeStatus walkWmfRecords(const ByteReader& r, std::size_t at, MetafileHeader* h, std::int32_t* extX,
                            std::int32_t* extY) {
  for (;;) {
    std::uint32_t words = 0, function = 0;
    if (!r.u32(at, &words) || !r.u16(at + 4, &function)) return DecodeStatus::Damaged;
    if (words < kWmfRecordMinWords || !r.has(at, std::size_t{words} * 2)) return DecodeStatus::Damaged;
    if (++h->records > kMaxMetafileRecords) return DecodeStatus::TooLarge;
    if (function == kMetaEof) return DecodeStatus::Ok;
    if (function == kMetaSetWindowExt && *extX == 0 && *extY == 0 && words >= 5) {
      std::uint32_t y = 0, x = 0;
      if (r.u16(at + 6, &y) && r.u16(at + 8, &x)) {
        *extY = i16(y);
        *extX = i16(x);
      }
    }
    at += std::size_t{words} * 2;
  }
}

DecodeStatus readWmf(const ByteReader& r, bool placeable, MetafileHeader* h) {
  std::size_t at = 0;
  if (placeable) {
    std::uint32_t l = 0, t = 0, rt = 0, b = 0;
    if (!r.u16(6, &l) || !r.u16(8, &t) || !r.u16(10, &rt) || !r.u16(12, &b) || !r.u16(14, &h->unitsPerInch))
      return DecodeStatus::Damaged;
    h->box = {i16(l), i16(t), i16(rt), i16(b)};
    at = kPlaceableHeaderBytes;
  }
  std::uint32_t type = 0, headerWords = 0, version = 0;
  if (!r.has(at, kWmfHeaderBytes) || !r.u16(at, &type) || !r.u16(at + 2, &headerWords) || !r.u16(at + 4, &version))
    return DecodeStatus::Damaged;
  if ((type != 1 && type != 2) || headerWords != kWmfHeaderWords ||
      (version != kWmfVersion1 && version != kWmfVersion3))
    return DecodeStatus::Damaged;
  std::int32_t extX = 0, extY = 0;
  if (DecodeStatus s = walkWmfRecords(r, at + kWmfHeaderBytes, h, &extX, &extY); s != DecodeStatus::Ok) return s;
  if (placeable) {
    if (h->unitsPerInch == 0) return DecodeStatus::Damaged;
    const std::int64_t w = std::llabs(std::int64_t{h->box.right} - h->box.left);
    const std::int64_t ht = std::llabs(std::int64_t{h->box.bottom} - h->box.top);
    const std::int64_t wp = roundedDiv(w * kPixelsPerInch, h->unitsPerInch);
    const std::int64_t hp = roundedDiv(ht * kPixelsPerInch, h->unitsPerInch);
    if (DecodeStatus s = sizeStatus(wp, hp); s != DecodeStatus::Ok) return s;
    h->widthPixels = static_cast<int>(wp);
    h->heightPixels = static_cast<int>(hp);
    h->widthHimetric = static_cast<std::int32_t>(roundedDiv(w * kHimetricPerInch, h->unitsPerInch));
    h->heightHimetric = static_cast<std::int32_t>(roundedDiv(ht * kHimetricPerInch, h->unitsPerInch));
  } else {
    const std::int64_t wp = std::llabs(extX), hp = std::llabs(extY);
    if (DecodeStatus s = sizeStatus(wp, hp); s != DecodeStatus::Ok) return s;
    h->widthPixels = static_cast<int>(wp);
    h->heightPixels = static_cast<int>(hp);
    h->widthHimetric = static_cast<std::int32_t>(roundedDiv(wp * kHimetricPerInch, kPixelsPerInch));
    h->heightHimetric = static_cast<std::int32_t>(roundedDiv(hp * kHimetricPerInch, kPixelsPerInch));
  }
  h->kind = placeable ? MetafileKind::PlaceableWmf : MetafileKind::PlainWmf;
  return DecodeStatus::Ok;
}

DecodeStatus walkEmfRecords(const ByteReader& r, std::size_t at, MetafileHeader* h) {
  for (;;) {
    std::uint32_t type = 0, bytes = 0;
    if (!r.u32(at, &type) || !r.u32(at + 4, &bytes)) return DecodeStatus::Damaged;
    if (bytes < kEmfRecordMinBytes || bytes % 4 != 0 || !r.has(at, bytes)) return DecodeStatus::Damaged;
    if (++h->records > kMaxMetafileRecords) return DecodeStatus::TooLarge;
    if (type == kEmrEof) return DecodeStatus::Ok;
    at += bytes;
  }
}

DecodeStatus readEmf(const ByteReader& r, MetafileHeader* h) {
  std::uint32_t headerBytes = 0;
  if (!r.u32(4, &headerBytes) || headerBytes < kEmfBaseHeaderBytes || headerBytes % 4 != 0 || !r.has(0, headerBytes))
    return DecodeStatus::Damaged;
  h->headerBytes = headerBytes;
  if (!readRect(r, 8, &h->bounds) || !readRect(r, 24, &h->frame) || !r.i32(72, &h->devicePixelsX) ||
      !r.i32(76, &h->devicePixelsY) || !r.i32(80, &h->deviceMillimetersX) || !r.i32(84, &h->deviceMillimetersY))
    return DecodeStatus::Damaged;
  h->records = 1;
  if (DecodeStatus s = walkEmfRecords(r, headerBytes, h); s != DecodeStatus::Ok) return s;
  const std::int64_t wp = std::int64_t{h->bounds.right} - h->bounds.left + 1;
  const std::int64_t hp = std::int64_t{h->bounds.bottom} - h->bounds.top + 1;
  if (DecodeStatus s = sizeStatus(wp, hp); s != DecodeStatus::Ok) return s;
  h->widthPixels = static_cast<int>(wp);
  h->heightPixels = static_cast<int>(hp);
  const std::int64_t fw = std::int64_t{h->frame.right} - h->frame.left;
  const std::int64_t fh = std::int64_t{h->frame.bottom} - h->frame.top;
  // A frame that cannot be right (empty, inverted or absurd) gives way to the bounds.
  const bool frameUsable = fw > 0 && fh > 0 && fw <= INT32_MAX && fh <= INT32_MAX;
  h->widthHimetric = static_cast<std::int32_t>(frameUsable ? fw : roundedDiv(wp * kHimetricPerInch, kPixelsPerInch));
  h->heightHimetric = static_cast<std::int32_t>(frameUsable ? fh : roundedDiv(hp * kHimetricPerInch, kPixelsPerInch));
  h->kind = MetafileKind::Emf;
  return DecodeStatus::Ok;
}

}  // namespace

MetafileKind metafileKindOf(const std::uint8_t* data, std::size_t size) {
  const ByteReader r(data, size);
  std::uint32_t v = 0, signature = 0;
  if (r.u32(0, &v) && v == kPlaceableKey) return MetafileKind::PlaceableWmf;
  if (r.u32(0, &v) && v == kEmrHeader && r.u32(kEmfSignatureAt, &signature) && signature == kEmfSignature)
    return MetafileKind::Emf;
  std::uint32_t type = 0, words = 0, version = 0;
  if (r.u16(0, &type) && r.u16(2, &words) && r.u16(4, &version) && (type == 1 || type == 2) &&
      words == kWmfHeaderWords && (version == kWmfVersion1 || version == kWmfVersion3))
    return MetafileKind::PlainWmf;
  return MetafileKind::None;
}

DecodeStatus readMetafileHeader(const std::uint8_t* data, std::size_t size, MetafileHeader* out) {
  if (!data || !out) return DecodeStatus::UnknownFormat;
  const ByteReader r(data, size);
  MetafileHeader h;
  DecodeStatus s = DecodeStatus::UnknownFormat;
  switch (metafileKindOf(data, size)) {
    case MetafileKind::PlaceableWmf: s = readWmf(r, true, &h); break;
    case MetafileKind::PlainWmf: s = readWmf(r, false, &h); break;
    case MetafileKind::Emf: s = readEmf(r, &h); break;
    case MetafileKind::None: break;
  }
  if (s == DecodeStatus::Ok) *out = h;
  return s;
}

}  // namespace quendel::codecs
