#include "platform/x11/work_area.h"

#include <algorithm>
#include <limits>

namespace quendel::platform::x11 {

namespace {
constexpr std::size_t kNumbersPerDesktop = 4;  // x, y, width, height

LONG clampToLong(std::int64_t v) {
  return static_cast<LONG>(
      std::clamp<std::int64_t>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}
}  // namespace

std::optional<RECT> workAreaOf(const std::vector<std::uint32_t>& workAreas, std::optional<std::uint32_t> desktop) {
  std::size_t desktops = workAreas.size() / kNumbersPerDesktop;
  if (desktops == 0) return std::nullopt;
  std::size_t index = desktop && *desktop < desktops ? *desktop : 0;
  const std::uint32_t* w = workAreas.data() + index * kNumbersPerDesktop;
  // The origin is signed as root coordinates are; a size that would run past the
  // coordinate range stops at its end instead of wrapping round.
  std::int64_t x = static_cast<std::int32_t>(w[0]), y = static_cast<std::int32_t>(w[1]);
  return RECT{static_cast<LONG>(x), static_cast<LONG>(y), clampToLong(x + w[2]), clampToLong(y + w[3])};
}

std::optional<RECT> currentWorkArea(Connection& s) {
  xcb_window_t root = s.screen->root;
  auto work = cardinals(s, root, s.atom("_NET_WORKAREA"));
  if (!work) return std::nullopt;
  std::optional<std::uint32_t> desktop;
  if (auto current = cardinals(s, root, s.atom("_NET_CURRENT_DESKTOP")); current && !current->empty())
    desktop = (*current)[0];
  return workAreaOf(*work, desktop);
}

}  // namespace quendel::platform::x11
