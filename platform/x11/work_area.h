// The work area that the window manager publishes for the current desktop.
//
//   if (auto area = x11::currentWorkArea(*s)) rect = intersect(rect, *area);
//
// currentWorkArea reads the root window's _NET_WORKAREA (x, y, width, height for each
// desktop) and _NET_CURRENT_DESKTOP once and gives the current desktop's rectangle in
// root coordinates. A current desktop that is missing or beyond the published list
// counts as desktop 0. nullopt when no window manager publishes a work area (or the
// property holds fewer than four numbers). Both the window functions (SPI_GETWORKAREA)
// and the monitors take their work areas from here.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/x11/x11_session.h"
#include "support/export.h"
#include "support/quendelsupportfbe.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform::x11 {

std::optional<RECT> currentWorkArea(Connection& s);

// The rectangle of desktop in the published numbers, by the rules above.
std::optional<RECT> workAreaOf(const std::vector<std::uint32_t>& workAreas, std::optional<std::uint32_t> desktop);

}  // namespace quendel::platform::x11

QUENDEL_EXPORT_END
