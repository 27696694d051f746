// Readers of the headers of Windows metafiles (WMF, placeable or plain) and enhanced
// metafiles (EMF), with a walk over every record that checks the file's structure.
//
//   MetafileHeader h;
//   if (readMetafileHeader(data, size, &h) == DecodeStatus::Ok && h.kind == MetafileKind::Emf)
//     ... h.bounds (device pixels, inclusive), h.frame (0.01 mm), h.records ...
//
// The walk reads only record sizes and types, never their contents: it proves that
// every record lies inside the file, is at least as long as its fixed part, and that
// the last one is the end-of-file record. The drawing itself is left to the renderer
// (metafile_renderer.h), which relies on this check having passed.
// Results (the header untouched unless Ok):
//  - UnknownFormat: neither kind of metafile (or empty data);
//  - Damaged: a header or record size out of range, records past the end, no
//    end-of-file record, an empty or inverted box or frame, a plain WMF without a
//    window extent (its size cannot be known);
//  - TooLarge: more than kMaxMetafileRecords records, or a size in pixels beyond
//    picture_limits.h.
// Sizes in pixels: an EMF is its bounds plus one in each direction; a placeable WMF its
// box at 96 pixels per inch (the box is in units of `unitsPerInch`); a plain WMF its
// first window extent, one logical unit to a pixel (the text mapping mode).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/codecs/decoded_picture.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

enum class MetafileKind { None, PlaceableWmf, PlainWmf, Emf };

// More records than this are refused before anything is drawn, so that the time a
// drawing takes stays bounded.
constexpr std::uint32_t kMaxMetafileRecords = 1000000;

struct MetafileRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct MetafileHeader {
  MetafileKind kind = MetafileKind::None;
  std::uint32_t records = 0;  // counted by the walk, the end-of-file record included
  int widthPixels = 0;
  int heightPixels = 0;
  std::int32_t widthHimetric = 0;  // 0.01 mm
  std::int32_t heightHimetric = 0;
  // Placeable WMF: the box and its units per inch.
  MetafileRect box;
  std::uint32_t unitsPerInch = 0;
  // EMF: bounds in device pixels (inclusive), frame in 0.01 mm, the reference device.
  MetafileRect bounds;
  MetafileRect frame;
  std::int32_t devicePixelsX = 0, devicePixelsY = 0;
  std::int32_t deviceMillimetersX = 0, deviceMillimetersY = 0;
  std::uint32_t headerBytes = 0;  // the EMF header record's own size
};

// The kind the first bytes tell (placeable key, EMF header record, WMF header).
MetafileKind metafileKindOf(const std::uint8_t* data, std::size_t size);

// The header of a whole metafile, after walking its records.
[[nodiscard]] DecodeStatus readMetafileHeader(const std::uint8_t* data, std::size_t size, MetafileHeader* out);

// Bytes of the placeable header in front of a placeable WMF's records.
constexpr std::size_t kPlaceableHeaderBytes = 22;

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
