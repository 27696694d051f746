#include "support/formatted.h"

#include <gtest/gtest.h>

namespace {

TEST(Formatted, GivesTheWholeTextAtAnyLength) {
  EXPECT_EQ(quendel::formatted("%02X", 255u), "FF");
  EXPECT_EQ(quendel::formatted("%d.%02d.%04d", 3, 5, 301), "3.05.0301");
  EXPECT_EQ(quendel::formatted("%s", ""), "");
  // Longer than any fixed buffer a caller would have picked: 309 digits, a point, six decimals.
  const std::string huge = quendel::formatted("%.6f", 1e308);
  EXPECT_EQ(huge.size(), 309u + 7u);
  EXPECT_EQ(huge.substr(0, 3), "100");
  EXPECT_EQ(huge.substr(huge.size() - 7), ".000000");
  EXPECT_EQ(quendel::formatted("%.*f %s", 1, 2.25, "MB"), "2.2 MB");  // the C library rounds to even
}

}  // namespace
