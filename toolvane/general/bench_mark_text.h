// The text form shared by the benchmark timers' toString.
//
//   benchMarkText(2.5, 0, false, true)      // "2.5 sec."
//   benchMarkText(2.5, 1000, false, true)   // "0.0025 sec. / 1000 (2.5 sec.)"
//   benchMarkText(12.6, 4, true, false)     // "3 ms. / 4 (13 ms.)"
//
// elapsed is V, already in the unit UseSeconds chose ("sec." or else "ms."); numbers are
// written by asFormatInt64 when integerValues, else asFormatDouble; iterations ≤ 0 means
// no division. readElapsed is called once per number written, as the timers read their
// clocks anew for the quotient and for the total.
#pragma once

#include <functional>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

inline constexpr double kMsPerSecond = 1000;

automation::String benchMarkText(const std::function<double()>& readElapsed, LONG iterations, bool integerValues,
                                 bool useSeconds);

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
