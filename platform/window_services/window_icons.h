// A window's icons as the window manager reads them: the _NET_WM_ICON property.
//
//   std::vector<ArgbImage> images = parseNetWmIcon(items);   // the property's numbers
//   HICON big = iconFromImage(images[largestImage(images)]);
//   std::vector<std::uint32_t> items = netWmIconItems({*imageFromIcon(large), *imageFromIcon(small)});
//
// The property holds images one after the other, each as width, height, then width x
// height pixels 0xAARRGGBB, rows top-down, alpha not premultiplied (freedesktop window
// manager hints). Parsing keeps the images before the first one that is cut short, has a
// side of 0 or above kMaxIconSide, or claims more pixels than are left, and drops the rest.
//  - largestImage: the image of the largest area, the first of equals.
//  - nearestImage: the image nearest the wanted size (sum of the width and height
//    differences), the larger on a tie, then the first.
//  - iconFromImage: a 32-bit icon with that alpha; its mask is set where alpha is 0.
//  - imageFromIcon: the icon's pixels with their alpha; an icon without alpha takes 0xFF
//    where its mask is clear and 0 (transparent black) where it is set, since the
//    property has no inverted pixels. nullopt for a handle that names no icon.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gdi/icon.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

constexpr std::uint32_t kMaxIconSide = 1024;

struct ArgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height, rows top-down
};

std::vector<ArgbImage> parseNetWmIcon(const std::vector<std::uint32_t>& items);
std::vector<std::uint32_t> netWmIconItems(const std::vector<ArgbImage>& images);
// Indexes into images; images must not be empty.
std::size_t largestImage(const std::vector<ArgbImage>& images);
std::size_t nearestImage(const std::vector<ArgbImage>& images, int width, int height);
HICON iconFromImage(const ArgbImage& image);
std::optional<ArgbImage> imageFromIcon(HICON icon);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
