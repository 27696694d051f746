#include "support/rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace {

TEST(Rounding, HalfToEvenInEveryRoundingMode) {
  struct Case {
    double in, out;
  } cases[] = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {2.4, 2},
      {2.6, 3},
      {-2.6, -3},
      {0.49999999999999994, 0},
      {4503599627370495.5, 4503599627370496.0},
      {4503599627370497.0, 4503599627370497.0},
      {1e300, 1e300},
      {-7, -7},
  };
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    for (const auto& c : cases) EXPECT_EQ(c.out, quendel::roundHalfEven(c.in)) << c.in << " mode " << mode;
  }
  std::fesetround(FE_TONEAREST);
  EXPECT_TRUE(std::isnan(quendel::roundHalfEven(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_EQ(-std::numeric_limits<double>::infinity(), quendel::roundHalfEven(-std::numeric_limits<double>::infinity()));
}

}  // namespace
