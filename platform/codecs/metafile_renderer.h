// Draws a Windows metafile or enhanced metafile over the pixels of a PixelStore,
// stretched to the store's size.
//
//   MetafileHeader h;
//   if (readMetafileHeader(d, n, &h) == DecodeStatus::Ok)
//     status = renderMetafile(d, n, h, *store);   // store already holds the background
//
// The file is turned into a vector drawing by a library made for it (libwmf for WMF,
// libemf2svg for EMF, with its EMF+ records) and drawn by librsvg over the store's
// pixels, in the metafile module (metafile_module.h) loaded on the first call, so what
// the records leave unpainted keeps the store's colour. Drawing is without antialiasing
// (edges and text are crisp), the platform's way for metafiles.
// The picture's frame (the placeable box, the first window extent, or the EMF bounds)
// fills the store exactly.
// Limits: the header must have passed readMetafileHeader (the record walk); libwmf's
// allocations are capped at kMaxMetafileMemory and its playing at
// kMaxMetafileSeconds; a drawing of more than kMaxSvgBytes is refused.
// Results: Ok; Damaged when a library refuses the records; TooLarge past a limit;
// NoMemory; Damaged too when the module cannot be loaded (a debug line tells why). On
// failure the store may hold a part of the drawing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/codecs/decoded_picture.h"
#include "platform/codecs/metafile_header.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::codecs {

constexpr std::size_t kMaxMetafileMemory = std::size_t{512} << 20;
constexpr std::size_t kMaxSvgBytes = std::size_t{256} << 20;
constexpr double kMaxMetafileSeconds = 30;

[[nodiscard]] DecodeStatus renderMetafile(const std::uint8_t* data, std::size_t size, const MetafileHeader& header,
                                          gdi::PixelStore& target);

}  // namespace quendel::codecs

QUENDEL_EXPORT_END
