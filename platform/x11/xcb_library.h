// libxcb and libxcb-randr, loaded when the platform first calls them.
//
// A console program that never opens a window should not map the X libraries, so the
// platform library does not link them. Instead it defines each xcb function it calls
// (xcb_functions.h) as an entry that loads the library once, finds the real function and
// calls it; callers write plain xcb calls. The entries are hidden in the platform
// library: a client that links libxcb itself, or a toolkit that loads it, keeps its own
// calls, and both end up in the one loaded copy.
//
// Failure: when libxcb cannot be loaded (a debug line names the file and the loader's
// message), xcb_connect returns a connection in error, as libxcb does for an unreachable
// server, so every caller takes its "no display" path; the other entries then answer as
// libxcb answers for such a connection (null, zero). Without libxcb-randr the display has
// no RandR monitors.
//
// QUENDEL_XCB_LIBRARY and QUENDEL_XCB_RANDR_LIBRARY name other files to load (tests use
// them to make the load fail); they are ignored in set-user-ID programs.
#pragma once

#include <xcb/xcb.h>
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform::x11 {

// The RandR extension's record for xcb_get_extension_data, loading libxcb-randr at the
// first call; null when it or libxcb cannot be loaded.
xcb_extension_t* randrExtension();

}  // namespace quendel::platform::x11

QUENDEL_EXPORT_END
