#include "support/rounding.h"

#include <cmath>

namespace quendel {

double roundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  // Exact: v and its floor differ by less than one, and a double that large is whole.
  double whole = std::floor(v);
  double fraction = v - whole;
  if (fraction > 0.5) return whole + 1;
  if (fraction < 0.5) return whole;
  return std::fmod(whole, 2.0) == 0 ? whole : whole + 1;
}

}  // namespace quendel
