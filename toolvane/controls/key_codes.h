// Key codes and shift states of the key events that client text boxes raise
// (KeyDown(KeyCode, Shift)), as the runtime numbers them.
#pragma once

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

inline constexpr LONG kKeyReturn = 13;
inline constexpr LONG kKeyEscape = 27;
inline constexpr LONG kKeyInsert = 45;

inline constexpr LONG kShiftMask = 1;
inline constexpr LONG kCtrlMask = 2;
inline constexpr LONG kAltMask = 4;

// 0 in the numeric subtype of v (Integer stays Integer), for writing back a swallowed key.
inline automation::Variant zeroOfSameType(const automation::Variant& v) {
  if (v.type() == automation::vbInteger) return automation::Variant(automation::Integer{0});
  if (v.type() == automation::vbByte) return automation::Variant(BYTE{0});
  return automation::Variant(LONG{0});
}

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
