// Whether this process can reach a display, asked without loading any GUI toolkit.
//
//   if (!quendel::platform::displayCanBeOpened()) { /* console fall-back */ }
//
// displayCanBeOpened connects to the X11 display that DISPLAY names and closes the
// connection again; false without DISPLAY or when the connection fails.
// The platform layer also gives the support library's screen functions their source
// (support/quendelsupportfbe.h): the X11 root screen's size and the logical DPI of the
// desktop's Xft.dpi resource (96 when unset), the same DPI the UI toolkit uses. The
// first answer is kept for the life of the process.
#pragma once

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

bool displayCanBeOpened();

}  // namespace quendel::platform

QUENDEL_EXPORT_END
