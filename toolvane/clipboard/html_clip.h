// GetHTML's reading of CF_HTML data: the part a GetHTMLReturnValue asks for, cut out of
// the block S (its bytes up to the first NUL, one character per byte) by the header's
// offsets. Pure; raises run-time errors as GetHTML states.
//
//   cutHtmlPart(block, ghrvFragment)   // bytes from StartFragment to EndFragment
//
// Header values: the exactly ten characters after a key's first occurrence (fewer at the
// end of the data), converted as the runtime converts text to a 32-bit number; a missing
// key counts as 0. Raises 13 (Type mismatch) when those characters are not a number, 6
// (Overflow) when the number does not fit in 32 bits, and 5 (Invalid procedure call or
// argument) when an end value is smaller than its start value. A value below 1 gives the
// empty result (ghrvHTML: all of S); offsets beyond the data give what lies within it.
// Keys match exactly, case-sensitive. A return value outside 0..6 gives the empty result.
#pragma once

#include <string>
#include <string_view>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

enum GetHTMLReturnValue : LONG {
  ghrvRaw = 0,
  ghrvHTML = 1,
  ghrvContextStart = 2,
  ghrvContextEnd = 3,
  ghrvFragment = 4,
  ghrvSelection = 5,
  ghrvSourceURL = 6,
};

std::string cutHtmlPart(std::string_view s, LONG returnValue);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
