#include "platform/window_services/window_icons.h"

#include <gtest/gtest.h>

namespace {

using quendel::platform::ArgbImage;
using quendel::platform::kMaxIconSide;
using Items = std::vector<std::uint32_t>;

ArgbImage image(int w, int h, std::uint32_t first = 0x80102030u) {
  ArgbImage i{w, h, Items(static_cast<std::size_t>(w) * h, 0xFF000000u)};
  i.pixels[0] = first;
  return i;
}

TEST(NetWmIcon, ParsingKeepsTheWholeImagesBeforeDamage) {
  const Items two = quendel::platform::netWmIconItems({image(2, 1), image(1, 1)});
  ASSERT_EQ(two, (Items{2, 1, 0x80102030u, 0xFF000000u, 1, 1, 0x80102030u}));
  struct Case {
    const char* what;
    Items items;
    std::size_t images;
  };
  Items tooMany = two;
  tooMany[4] = 0xFFFFFFFFu;                  // a side far beyond the limit
  Items overflow = {0x10000u, 0x10000u, 1};  // width * height beyond 32 bits
  const Case cases[] = {
      {"two images", two, 2},
      {"empty", {}, 0},
      {"header cut short", Items(two.begin(), two.begin() + 5), 1},
      {"pixels cut short", Items(two.begin(), two.end() - 1), 1},
      {"zero width", {0, 1, 5}, 0},
      {"zero height", {1, 0}, 0},
      {"huge side", tooMany, 1},
      {"side at the limit, no pixels", {kMaxIconSide, 1, 7}, 0},
      {"side above the limit", {kMaxIconSide + 1, 1}, 0},
      {"area overflow", overflow, 0},
  };
  for (const Case& c : cases) {
    auto images = quendel::platform::parseNetWmIcon(c.items);
    EXPECT_EQ(images.size(), c.images) << c.what;
    if (!images.empty()) {
      EXPECT_EQ(images[0].pixels[0], 0x80102030u) << c.what;
    }
  }
}

TEST(NetWmIcon, ChoosesLargestAndNearestToSmall) {
  struct Case {
    std::vector<std::pair<int, int>> sizes;
    std::size_t largest, nearest16;
  };
  const Case cases[] = {
      {{{16, 16}, {32, 32}, {48, 48}}, 2, 0},
      {{{48, 48}, {16, 16}, {32, 32}}, 0, 1},
      {{{24, 24}, {12, 12}}, 0, 1},  // 8 + 8 against 4 + 4
      {{{20, 20}, {12, 12}}, 0, 0},  // a tie goes to the larger
      {{{32, 32}, {32, 32}}, 0, 0},  // equals: the first
      {{{64, 8}, {16, 32}}, 0, 1},
  };
  for (const Case& c : cases) {
    std::vector<ArgbImage> images;
    for (auto [w, h] : c.sizes) images.push_back(image(w, h));
    EXPECT_EQ(quendel::platform::largestImage(images), c.largest);
    EXPECT_EQ(quendel::platform::nearestImage(images, 16, 16), c.nearest16);
  }
}

TEST(NetWmIcon, IconsRoundTripWithAlphaAndMasks) {
  ArgbImage in{3, 1, {0x80FF0000u, 0x00000000u, 0xFF00FF00u}};
  HICON icon = quendel::platform::iconFromImage(in);
  ASSERT_NE(icon, nullptr);
  auto back = quendel::platform::imageFromIcon(icon);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->pixels, in.pixels);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(quendel::platform::imageFromIcon(icon)) << "destroyed";

  // An icon without alpha: its mask decides, inverted pixels become transparent.
  auto color = quendel::gdi::PixelStore::create(3, 1, false);
  auto mask = quendel::gdi::PixelStore::create(3, 1, false);
  const std::uint32_t colors[] = {0x00123456u, 0x00000000u, 0x00FFFFFFu}, masks[] = {0, 0x00FFFFFFu, 0x00FFFFFFu};
  for (int x = 0; x < 3; ++x) {
    color->row(0)[x] = colors[x];
    mask->row(0)[x] = masks[x];
  }
  quendel::gdi::IconImage masked;
  masked.colorBits = 24;
  masked.color = color;
  masked.mask = mask;
  HICON m = quendel::gdi::createIcon(masked);
  auto fromMask = quendel::platform::imageFromIcon(m);
  ASSERT_TRUE(fromMask);
  EXPECT_EQ(fromMask->pixels, (Items{0xFF123456u, 0, 0}));
  EXPECT_TRUE(DestroyIcon(m));
}

}  // namespace
