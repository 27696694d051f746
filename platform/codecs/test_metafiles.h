// Test helpers: Windows metafiles (WMF) and enhanced metafiles (EMF) packed byte by
// byte, each filling rectangles of given colours with no outline.
//
//   auto emf = testpics::makeEmf(40, 30, {{0, 0, 20, 10, RGB(255, 0, 0)}});
//
// A WMF has a placeable header with its box at `unitsPerInch` (logical units equal to
// box units), or none at all (plain) with a window extent of width x height. An EMF
// has bounds 0,0,width-1,height-1 and a frame of the same size at 96 pixels per inch.
// Rectangles are in logical units; their right and bottom edges are exclusive.
#pragma once

#include <cstdint>
#include <vector>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::testpics {

struct FilledRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  std::uint32_t color = 0;  // COLORREF 0x00BBGGRR
};

std::vector<std::uint8_t> makeWmf(int width, int height, const std::vector<FilledRect>& rects, bool placeable = true,
                                  int unitsPerInch = 96);
std::vector<std::uint8_t> makeEmf(int width, int height, const std::vector<FilledRect>& rects);

// Sizes of the records written, for tests that cut or change files at known places.
constexpr std::size_t kWmfPlaceableBytes = 22, kWmfHeaderBytes = 18, kEmfHeaderBytes = 108;

}  // namespace quendel::testpics

QUENDEL_EXPORT_END
