// Text comparison and case mapping of the runtime (Option Compare Text, UCase, LCase).
//
//   equalsText(u"Grüße", u"GRÜSSE");   // false: units map one for one, ß stays ß
//   upperCase(u"ёлка");                // u"ЁЛКА"
//
// Letter case follows the system's one table (support/case_fold.h), the same rule the
// registry compares names by, whatever locale the process runs in: Latin, Greek,
// Cyrillic, Armenian and full-width letters; every other unit compares exactly.
// Comparison orders the upper-cased UTF-16 units as unsigned numbers.
#pragma once

#include <string_view>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

// -1, 0 or 1 as a is before, equal to or after b without regard to case.
int compareText(std::u16string_view a, std::u16string_view b);
bool equalsText(std::u16string_view a, std::u16string_view b);
quendel::BStr upperCase(std::u16string_view s);
quendel::BStr lowerCase(std::u16string_view s);

}  // namespace quendel::automation

QUENDEL_EXPORT_END
