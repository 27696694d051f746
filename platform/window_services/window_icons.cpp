#include "platform/window_services/window_icons.h"

#include <cstdlib>

namespace quendel::platform {

namespace {

constexpr std::size_t kHeaderItems = 2;  // width, height
constexpr std::uint32_t kMaskSet = 0x00FFFFFFu;
constexpr std::uint32_t kOpaque = 0xFF000000u;

long area(const ArgbImage& i) { return static_cast<long>(i.width) * i.height; }

}  // namespace

std::vector<ArgbImage> parseNetWmIcon(const std::vector<std::uint32_t>& items) {
  std::vector<ArgbImage> images;
  std::size_t at = 0;
  while (items.size() - at >= kHeaderItems) {
    const std::uint32_t w = items[at], h = items[at + 1];
    if (w == 0 || h == 0 || w > kMaxIconSide || h > kMaxIconSide) break;
    const std::size_t count = static_cast<std::size_t>(w) * h;
    if (count > items.size() - at - kHeaderItems) break;
    const auto first = items.begin() + static_cast<std::ptrdiff_t>(at + kHeaderItems);
    images.push_back(ArgbImage{static_cast<int>(w), static_cast<int>(h),
                               std::vector<std::uint32_t>(first, first + static_cast<std::ptrdiff_t>(count))});
    at += kHeaderItems + count;
  }
  return images;
}

std::vector<std::uint32_t> netWmIconItems(const std::vector<ArgbImage>& images) {
  std::vector<std::uint32_t> items;
  std::size_t total = 0;
  for (const ArgbImage& i : images) total += kHeaderItems + i.pixels.size();
  items.reserve(total);
  for (const ArgbImage& i : images) {
    items.push_back(static_cast<std::uint32_t>(i.width));
    items.push_back(static_cast<std::uint32_t>(i.height));
    items.insert(items.end(), i.pixels.begin(), i.pixels.end());
  }
  return items;
}

std::size_t largestImage(const std::vector<ArgbImage>& images) {
  std::size_t best = 0;
  for (std::size_t k = 1; k < images.size(); ++k)
    if (area(images[k]) > area(images[best])) best = k;
  return best;
}

std::size_t nearestImage(const std::vector<ArgbImage>& images, int width, int height) {
  auto distance = [&](const ArgbImage& i) { return std::labs(i.width - width) + std::labs(i.height - height); };
  std::size_t best = 0;
  for (std::size_t k = 1; k < images.size(); ++k) {
    const long d = distance(images[k]), bestD = distance(images[best]);
    if (d < bestD || (d == bestD && area(images[k]) > area(images[best]))) best = k;
  }
  return best;
}

HICON iconFromImage(const ArgbImage& image) {
  auto color = gdi::PixelStore::create(image.width, image.height, false);
  auto mask = gdi::PixelStore::create(image.width, image.height, false);
  if (!color || !mask || color->pixelCount() != image.pixels.size()) return nullptr;
  for (std::size_t k = 0; k < image.pixels.size(); ++k) {
    color->data()[k] = image.pixels[k];
    mask->data()[k] = (image.pixels[k] >> 24) ? 0 : kMaskSet;
  }
  gdi::IconImage icon;
  icon.colorBits = 32;
  icon.hasAlpha = true;
  icon.color = std::move(color);
  icon.mask = std::move(mask);
  return gdi::createIcon(std::move(icon));
}

std::optional<ArgbImage> imageFromIcon(HICON icon) {
  auto image = gdi::iconImage(icon);
  if (!image) return std::nullopt;
  ArgbImage out{image->color->width(), image->color->height(), {}};
  out.pixels.resize(image->color->pixelCount());
  for (std::size_t k = 0; k < out.pixels.size(); ++k) {
    const std::uint32_t c = image->color->data()[k];
    if (image->hasAlpha)
      out.pixels[k] = c;
    else
      out.pixels[k] = image->mask->data()[k] ? 0 : (kOpaque | (c & 0x00FFFFFFu));
  }
  return out;
}

}  // namespace quendel::platform
