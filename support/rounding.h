// Rounding half to even, as the automation runtime rounds every conversion to a whole
// number (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
//
// The result does not depend on the floating-point rounding mode a client may have set.
// Infinities and NaN are returned as given.
#pragma once

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel {

double roundHalfEven(double v);

}  // namespace quendel

QUENDEL_EXPORT_END
