#include "platform/gdi/metafile.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi_handles.h"

namespace quendel::gdi {

namespace {

using detail::Kind;

struct MetafileObject {
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  std::size_t recordsAt = 0;  // past a placeable header
};

constexpr std::uint32_t kEmrHeader = 1, kEmfSignature = 0x464D4520u;
constexpr std::size_t kEmfSignatureAt = 40, kEmfBaseHeaderBytes = 88;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::size_t kPlaceableBytes = 22, kWmfHeaderBytes = 18;
constexpr std::uint16_t kWmfHeaderWords = 9;

std::uint32_t u32At(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t u16At(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// The size of the EMF header record, or 0 when the data does not start with one.
std::size_t emfHeaderBytes(const std::uint8_t* data, std::size_t size) {
  if (!data || size < kEmfBaseHeaderBytes) return 0;
  const std::uint32_t bytes = u32At(data + 4);
  if (u32At(data) != kEmrHeader || u32At(data + kEmfSignatureAt) != kEmfSignature) return 0;
  return bytes >= kEmfBaseHeaderBytes && bytes <= size && bytes % 4 == 0 ? bytes : 0;
}

bool isWmfHeader(const std::uint8_t* data, std::size_t size) {
  if (!data || size < kWmfHeaderBytes) return false;
  const std::uint16_t type = u16At(data), words = u16At(data + 2), version = u16At(data + 4);
  return (type == 1 || type == 2) && words == kWmfHeaderWords && (version == 0x0100 || version == 0x0300);
}

std::uintptr_t addMetafile(Kind kind, const std::uint8_t* data, std::size_t size, std::size_t recordsAt) {
  auto m = std::make_shared<MetafileObject>();
  m->bytes = std::make_shared<const std::vector<std::uint8_t>>(data, data + size);
  m->recordsAt = recordsAt;
  return detail::addObject(kind, std::move(m));
}

std::shared_ptr<MetafileObject> findMetafile(const void* handle, Kind kind) {
  return detail::find<MetafileObject>(handle, kind);
}

UINT copyBits(const MetafileObject& m, UINT size, void* out) {
  const std::size_t n = m.bytes->size() - m.recordsAt;
  if (n > UINT32_MAX) return 0;
  if (!out) return static_cast<UINT>(n);
  if (size < n) return 0;
  std::memcpy(out, m.bytes->data() + m.recordsAt, n);
  return static_cast<UINT>(n);
}

}  // namespace

HMETAFILE createMetafileFromFile(const std::uint8_t* data, std::size_t size) {
  const bool placeable = data && size >= kPlaceableBytes && u32At(data) == kPlaceableKey;
  const std::size_t at = placeable ? kPlaceableBytes : 0;
  if (!data || size < at || !isWmfHeader(data + at, size - at)) return nullptr;
  return reinterpret_cast<HMETAFILE>(addMetafile(Kind::Metafile, data, size, at));
}

std::shared_ptr<const std::vector<std::uint8_t>> metafileFileBytes(const void* metafile) {
  auto m = findMetafile(metafile, Kind::Metafile);
  if (!m) m = findMetafile(metafile, Kind::EnhMetafile);
  return m ? m->bytes : nullptr;
}

}  // namespace quendel::gdi

using namespace quendel::gdi;
using quendel::gdi::detail::Kind;

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data) {
  if (!emfHeaderBytes(data, size)) return nullptr;
  return reinterpret_cast<HENHMETAFILE>(addMetafile(Kind::EnhMetafile, data, size, 0));
}

HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data) {
  if (!isWmfHeader(data, size)) return nullptr;
  return reinterpret_cast<HMETAFILE>(addMetafile(Kind::Metafile, data, size, 0));
}

UINT GetEnhMetaFileHeader(HENHMETAFILE metafile, UINT size, ENHMETAHEADER* header) {
  auto m = findMetafile(metafile, Kind::EnhMetafile);
  if (!m) return 0;
  const std::size_t headerBytes = emfHeaderBytes(m->bytes->data(), m->bytes->size());
  if (!header) return static_cast<UINT>(headerBytes);
  // The record may be longer than the structure (a description follows in some files).
  const std::size_t n = std::min({std::size_t{size}, headerBytes, sizeof(ENHMETAHEADER)});
  std::memcpy(header, m->bytes->data(), n);
  return static_cast<UINT>(n);
}

UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data) {
  auto m = findMetafile(metafile, Kind::EnhMetafile);
  return m ? copyBits(*m, size, data) : 0;
}

UINT GetMetaFileBitsEx(HMETAFILE metafile, UINT size, void* data) {
  auto m = findMetafile(metafile, Kind::Metafile);
  return m ? copyBits(*m, size, data) : 0;
}

BOOL DeleteEnhMetaFile(HENHMETAFILE metafile) {
  return detail::removeObject(reinterpret_cast<std::uintptr_t>(metafile), Kind::EnhMetafile) ? 1 : 0;
}

BOOL DeleteMetaFile(HMETAFILE metafile) {
  return detail::removeObject(reinterpret_cast<std::uintptr_t>(metafile), Kind::Metafile) ? 1 : 0;
}
