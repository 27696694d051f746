// The type library TvFuncs0305: the fifteen public classes with their identifiers,
// instancing, help strings and members, and the enumerations the classes share.
//
//   const TypeLibDesc& tl = typeLibrary();
//   tl.findClass(u"qndRegistry")->create();
//
// Each class supplies its own member table (its describe() function); a class whose
// members are still to be written is listed with its identifiers and no members, and
// can be created all the same.
#pragma once

#include "automation/dispatch.h"

namespace quendel::toolvane {

const automation::TypeLibDesc& typeLibrary();

inline constexpr const char16_t* kLibraryName = u"TvFuncs0305";

}  // namespace quendel::toolvane
