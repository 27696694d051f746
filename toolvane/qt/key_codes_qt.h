// The runtime's key codes and shift states for the toolkit's keys, as KeyDown events
// carry them: letters 65-90, digits 48-57, F1-F12 112-123, Return 13, Escape 27, Insert 45,
// Delete 46, arrows 37-40 ...; shift state Shift 1 + Ctrl 2 + Alt 4. 0 for a key the
// runtime has no code for (such keys raise no KeyDown).
#pragma once

#include <Qt>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

LONG keyCodeFromQt(int key);
LONG shiftStateFromQt(Qt::KeyboardModifiers modifiers);

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
