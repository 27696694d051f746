// The type library TvFuncs0305: the fifteen public classes with their identifiers,
// instancing, help strings and members, and the enumerations the classes share.
//
//   const TypeLibDesc& tl = typeLibrary();
//   tl.findClass(u"qndRegistry")->create();
//
// Each class supplies its own member table (its describe() function, registered with
// ClassRegistration). A listed class that registered none is a packaging fault: the
// library stops at the first call rather than hand out a type library without it.
#pragma once

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

const automation::TypeLibDesc& typeLibrary();

inline constexpr const char16_t* kLibraryName = u"TvFuncs0305";

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
