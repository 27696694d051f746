// Case folding of registry key and value names.
//
// Registry names compare without regard to letter case but keep the case they were
// created with. Two names are the same name when foldName() gives the same text; the
// folded text is also the sort key of subkey enumeration (upper-cased UTF-16 code units
// compared as unsigned numbers, the order Windows lists subkeys in).
// Covered: ASCII, Latin-1, Latin Extended-A and Additional, Greek, Cyrillic (with its
// extensions), Armenian and full-width Latin. Other characters compare exactly.
#pragma once

#include <string>
#include <string_view>

namespace quendel::registry {

// The upper-case form of one UTF-16 code unit; units without one are returned as given.
char16_t upcaseUnit(char16_t c);

// The folded (upper-cased) form of a whole name.
std::u16string foldName(std::u16string_view name);

// The folded name as big-endian bytes, so that a byte-wise comparison orders the names
// as their UTF-16 units compare.
std::string foldKey(std::u16string_view name);

}  // namespace quendel::registry
