// Letter case of UTF-16 text: the one rule every part of the system compares names and
// text by (registry names, clipboard format names, text comparison of the runtime).
//
// A table maps each code unit to its upper-case form and back: ASCII, Latin-1, Latin
// Extended-A and Additional, Greek, Cyrillic (with its extensions), Armenian and
// full-width Latin. Every other unit (Georgian, Cherokee, surrogates, ...) has no case
// here and compares exactly. Mapping is unit for unit, so text keeps its length (no
// expansion of ß). Two texts are the same without regard to case when foldCase() gives
// the same text; foldKey() is that text as bytes that sort as the upper-cased units
// compare as unsigned numbers (the order Windows lists registry subkeys in).
#pragma once

#include <string>
#include <string_view>

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::text {

// The upper-case form of one UTF-16 code unit; units without one are returned as given.
char16_t upcaseUnit(char16_t c);

// The lower-case form of one unit, the inverse of upcaseUnit on the upper-case letters
// (upcaseUnit(downcaseUnit(c)) == upcaseUnit(c) for every unit).
char16_t downcaseUnit(char16_t c);

// The folded (upper-cased) and the lower-cased form of a whole text.
std::u16string foldCase(std::u16string_view s);
std::u16string lowerCase(std::u16string_view s);

// The folded text as big-endian bytes, so that a byte-wise comparison orders the texts
// as their folded UTF-16 units compare.
std::string foldKey(std::u16string_view s);

// -1, 0 or 1 as a is before, equal to or after b, comparing folded units as unsigned
// numbers; a text that is a prefix of the other comes first.
int compareFolded(std::u16string_view a, std::u16string_view b);

}  // namespace quendel::text

QUENDEL_EXPORT_END
