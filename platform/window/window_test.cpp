// The window layer: state rules, and every function against real X servers.
#include <gtest/gtest.h>

#include "platform/window/window.h"
#include "platform/window/window_messages.h"

namespace {

using quendel::platform::WindowFacts;

TEST(WindowFacts, VisibleAndIconicAsWindowsSeesThem) {
  struct Case {
    WindowFacts facts;
    bool visible, iconic;
  } cases[] = {
      {{true, 1, false, false}, true, false},    // shown, managed
      {{true, -1, false, false}, true, false},   // shown, no window manager
      {{false, 3, false, false}, true, true},    // minimized by the manager: still visible
      {{false, 3, true, false}, true, true},
      {{false, -1, false, false}, false, false}, // hidden
      {{false, 0, false, false}, false, false},  // withdrawn
      {{false, -1, false, true}, false, true},   // hidden and minimized (to the tray)
      {{false, 0, true, false}, false, true},
      {{false, 1, false, true}, false, false},   // managed normal state wins over old hints
      {{true, -1, false, true}, true, false},    // shown: the start hint no longer counts
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quendel::platform::factsVisible(c.facts), c.visible);
    EXPECT_EQ(quendel::platform::factsIconic(c.facts), c.iconic);
  }
}

}  // namespace
