// modPrevVersionFinder: finds the settings of the newest earlier version of a program.
//
// A program's versions live side by side as the keys "Version <text>" under
// "Software\Kestrane\Quendel\<title>". FindPreviousVersion lists them, keeps those whose
// trimmed name starts with "VERSION " in any letter case, and returns the version text of
// the greatest one lower than the current major.minor, or "" when there is none.
//
// Version texts compare component by component after splitting at "."; the shorter text
// is padded with ".0" (1.2 equals 1.2.0), and a component counts as its number only when
// it is made of digits alone and fits a Long, else as 0 (so 1.10 > 1.9, and "0 beta"
// counts as 0). The sort is a stable selection sort: of two equal versions the one listed
// later by the registry ends up later and wins.
//
// Failures: registry failures read as "no earlier version"; only a failing support-library
// call raises.
#pragma once

#include <vector>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class qndRegistry;

namespace modPrevVersionFinder {

using automation::String;

String FindPreviousVersion(qndRegistry& registry, LONG RegistryRoot, const String& AppTitle, LONG VerMajor,
                           LONG VerMinor);
// Ascending, stable.
std::vector<String> SortVersionTexts(std::vector<String> texts);
// 0 when equal, 1 when a is greater, 2 when b is greater.
int CompareVersionTexts(const String& a, const String& b);
LONG VersionComponentValue(const String& text);

}  // namespace modPrevVersionFinder
}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
