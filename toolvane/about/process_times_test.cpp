#include "toolvane/about/process_times.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "platform/time/file_time.h"
#include "support/codepage.h"

namespace tv = quendel::toolvane;
using quendel::automation::String;

namespace {

constexpr double kMs = 10000.0;  // 100-ns units in a millisecond

// The local time zone for one test.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (old_)
      setenv("TZ", old_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(DurationToText, TextsAndRounding) {
  struct Row {
    double t;
    const char16_t* text;
  } rows[] = {
      {0, u"0:00:00.0"},
      {5 * kMs, u"0:00:00.5"},  // the milliseconds as a plain number
      {((1 * 60 + 2) * 60 + 3.045) * 1000 * kMs, u"1:02:03.45"},
      {450 * kMs, u"0:00:00.450"},
      {59 * 1000 * kMs, u"0:00:59.0"},
      {2.5 * kMs, u"0:00:00.2"},  // halves to the even neighbour
      {3.5 * kMs, u"0:00:00.4"},
      {0.5 * kMs, u"0:00:00.0"},
      {0.5001 * kMs, u"0:00:00.1"},
      {59999.6 * kMs, u"0:01:00.0"},    // carries into the minute
      {3599999.5 * kMs, u"1:00:00.0"},  // and into the hour, never "0:60:00.0"
      {100.0 * 3600 * 1000 * kMs, u"100:00:00.0"},
      {9.0e17, u"25000000:00:00.0"},
      {-1, u"*Error*"},
      {std::numeric_limits<double>::quiet_NaN(), u"*Error*"},
      {std::numeric_limits<double>::infinity(), u"*Error*"},
      {1e300, u"*Error*"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.t);
    EXPECT_EQ(tv::DurationToText(row.t), row.text);
  }
}

TEST(FileTimeToText, ZeroLocalTimeAndErrors) {
  ScopedTimeZone tz("UTC");
  FILETIME t = fileTimeFromUnix(1765244942, 0);  // 2025-12-09 01:49:02 UTC
  EXPECT_EQ(tv::FileTimeToText(t), u"09.12.2025, 01:49:02");
  EXPECT_EQ(tv::FileTimeToText(FILETIME{0, 0}), u"N/A");
  EXPECT_EQ(tv::FileTimeToText(FILETIME{0, 0x80000000u}), u"*Error*");
  EXPECT_EQ(tv::FileTimeToText(FILETIME{1, 0}), u"01.01.1601, 00:00:00");
  {
    ScopedTimeZone moscow("MSK-3");
    EXPECT_EQ(tv::FileTimeToText(t), u"09.12.2025, 04:49:02");
  }
}

TEST(ProcessTimesTexts, TheFiveValues) {
  ScopedTimeZone tz("UTC");
  FILETIME creation = fileTimeFromUnix(1765244942, 0);
  FILETIME now = fileTimeFromUnix(1765244942 + 3723, 45000000);  // 1:02:03.045 later
  FILETIME kernel = fileTimeFromQuad(25000);                     // 2.5 ms
  FILETIME user = fileTimeFromQuad(35000);                       // 3.5 ms
  auto running = tv::processTimesTexts(creation, FILETIME{0, 0}, kernel, user, now);
  EXPECT_EQ(running[0], u"09.12.2025, 01:49:02");
  EXPECT_EQ(running[1], u"1:02:03.45");
  EXPECT_EQ(running[2], u"0:00:00.2");
  EXPECT_EQ(running[3], u"0:00:00.4");
  EXPECT_EQ(running[4], u"0:00:00.6");  // 6 ms: the sum is rounded, not the parts added
  // An exit time, when there is one, ends the time since start.
  FILETIME exit = fileTimeFromUnix(1765244942 + 1, 0);
  EXPECT_EQ(tv::processTimesTexts(creation, exit, kernel, user, now)[1], u"0:00:01.0");
  // A clock set back below the start time: no negative duration.
  EXPECT_EQ(tv::processTimesTexts(now, FILETIME{0, 0}, kernel, user, creation)[1], u"*Error*");
}

TEST(FillProcessTimes, ThisProcess) {
  std::array<String, 5> values;
  ASSERT_TRUE(tv::FillProcessTimes(&values));
  for (const auto& v : values) EXPECT_NE(v, u"*Error*");
  EXPECT_NE(values[0], u"N/A");
  EXPECT_EQ(values[0].size(), 20u);          // dd.mm.yyyy, hh:mm:ss
  EXPECT_EQ(values[1].substr(0, 2), u"0:");  // the test program started within the hour
  EXPECT_FALSE(tv::FillProcessTimes(nullptr));
}

}  // namespace
