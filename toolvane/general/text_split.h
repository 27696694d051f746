// Splitting a text at a delimiter, as the runtime's Split does.
//
//   splitText(u"a b  c", u" ", -1, false)   // "a", "b", "", "c"
//   splitText(u"a b  c", u" ", 2, false)    // "a", "b  c"
//   splitText(u"aXbxc", u"x", -1, true)     // "a", "b", "c"
//
// The text is cut from the left at each occurrence of the delimiter (found by exact or
// by text comparison, case-insensitive as the runtime compares text). limit −1 gives
// every part; a positive limit gives at most that many, the last holding the rest unsplit;
// 0 gives none. An empty text gives no parts; an empty delimiter gives the whole text.
// Callers check the limit (below −1 is an invalid argument).
#pragma once

#include <vector>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

std::vector<automation::String> splitText(const automation::String& text, const automation::String& delimiter,
                                          LONG limit, bool textCompare);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
