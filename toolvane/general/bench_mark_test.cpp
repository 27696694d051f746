#include <gtest/gtest.h>

#include "support/testing.h"
#include "toolvane/general/bench_mark_text.h"
#include "toolvane/general/qnd_bench_mark.h"
#include "toolvane/general/qnd_bench_mark_hp.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;

// A clock the test moves by hand.
struct ManualClock {
  std::int64_t now = 0;
  std::int64_t frequency = 1000000;
  int beeps = 0;
  std::vector<std::string> events;  // "beep" and "tick", in order
};

std::shared_ptr<qndBenchMark> tickTimer(ManualClock& c) {
  return std::make_shared<qndBenchMark>(
      [&c] {
        c.events.push_back("tick");
        return static_cast<DWORD>(c.now);
      },
      [&c] {
        ++c.beeps;
        c.events.push_back("beep");
      });
}

std::shared_ptr<qndBenchMarkHP> counterTimer(ManualClock& c) {
  return std::make_shared<qndBenchMarkHP>([&c] { return c.now; }, [&c] { return c.frequency; }, [&c] { ++c.beeps; });
}

TEST(BenchMark, TheBeepComesBeforeTheFirstMarkAndOnlyWhenAsked) {
  ManualClock c;
  auto b = tickTimer(c);
  b->FirstMark();
  b->LastMark();
  EXPECT_EQ(c.events, (std::vector<std::string>{"beep", "tick", "tick"}));
  b->FirstMark(false);
  EXPECT_EQ(c.beeps, 1);
  auto hp = counterTimer(c);
  hp->FirstMark(false);
  hp->LastMark();
  EXPECT_EQ(c.beeps, 1);
  hp->FirstMark(true);
  EXPECT_EQ(c.beeps, 2);
}

TEST(BenchMark, TickDifferences) {
  struct Case {
    const char* what;
    std::int64_t first, last;
    bool takeLast;
    double ms;
  } cases[] = {
      {"plain interval", 1000, 3500, true, 2500},
      {"same tick", 77, 77, true, 0},
      {"upper half of the tick range", 0x80000000LL, 0x80000010LL, true, 16},
      {"wrap between the marks", 0xFFFFFFF0LL, 0x10, true, 32},
      {"last mark never taken", 5000, 0, false, -5000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ManualClock clock;
    auto b = tickTimer(clock);
    clock.now = c.first;
    b->FirstMark(false);
    clock.now = c.last;
    if (c.takeLast) b->LastMark();
    EXPECT_DOUBLE_EQ(b->GetTickDifferenceMS(), c.ms);
    EXPECT_DOUBLE_EQ(b->GetTickDifferenceSec(), c.ms / 1000);
  }
}

TEST(BenchMark, ALastMarkTakenBeforeTheFirstStaysNegative) {
  ManualClock clock;
  auto b = tickTimer(clock);
  clock.now = 100;
  b->LastMark();
  clock.now = 400;
  b->FirstMark(false);
  EXPECT_DOUBLE_EQ(b->GetTickDifferenceMS(), -300);
}

TEST(BenchMarkHP, CounterDifferencesAndFrequency) {
  ManualClock clock;
  clock.frequency = 3579545;  // an odd frequency, so the divisions are checked
  auto b = counterTimer(clock);
  clock.now = 1000000000000LL;
  b->FirstMark(false);
  clock.now += 7159090;
  b->LastMark();
  EXPECT_DOUBLE_EQ(b->GetTickDifference(), 7159090);
  EXPECT_DOUBLE_EQ(b->GetTickFrequencyPerSec(), 3579545);
  EXPECT_DOUBLE_EQ(b->GetTickFrequencyPerMS(), 3579.545);
  EXPECT_DOUBLE_EQ(b->GetTickDifferenceSec(), 2);
  EXPECT_DOUBLE_EQ(b->GetTickDifferenceMS(), 7159090 / 3579.545);
  clock.frequency = 1000;  // read anew on every call
  EXPECT_DOUBLE_EQ(b->GetTickDifferenceSec(), 7159.09);
}

TEST(BenchMarkHP, AZeroFrequencyRaisesDivisionByZero) {
  ManualClock clock;
  clock.frequency = 0;
  auto b = counterTimer(clock);
  b->FirstMark(false);
  clock.now = 10;
  b->LastMark();
  EXPECT_DOUBLE_EQ(b->GetTickFrequencyPerSec(), 0);
  for (auto f : {&qndBenchMarkHP::GetTickDifferenceMS, &qndBenchMarkHP::GetTickDifferenceSec}) {
    EXPECT_EQ(errorOf([&] { ((*b).*f)(); }), 11);
  }
  EXPECT_THROW(b->toString(), RuntimeError);
}

TEST(BenchMarkText, Forms) {
  struct Case {
    double elapsed;
    LONG iterations;
    bool integers, seconds;
    const char16_t* text;
  } cases[] = {
      {2.5, 0, false, true, u"2.5 sec."},
      {2.5, 0, false, false, u"2.5 ms."},
      {0, 0, false, true, u"0 sec."},
      {0, 0, true, false, u"0 ms."},
      {2.5, -3, false, true, u"2.5 sec."},  // negative: no division
      {2.5, 1000, false, true, u"0.0025 sec. / 1000 (2.5 sec.)"},
      {12.6, 4, true, false, u"3 ms. / 4 (13 ms.)"},
      {1234.5678, 1, false, false, u"1234.5678 ms. / 1 (1234.5678 ms.)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(benchMarkText([&] { return c.elapsed; }, c.iterations, c.integers, c.seconds), c.text)
        << c.elapsed << " " << c.iterations;
  }
}

TEST(BenchMarkText, TheTimerReadsItsClockForTheQuotientAndForTheTotal) {
  ManualClock clock;
  auto b = tickTimer(clock);
  b->FirstMark(false);
  clock.now = 2000;
  b->LastMark();
  EXPECT_EQ(b->toString(), u"2 sec.");
  EXPECT_EQ(b->toString(4, false, false), u"500 ms. / 4 (2000 ms.)");
  int reads = 0;
  benchMarkText([&] { return ++reads * 1.0; }, 2, false, true);
  EXPECT_EQ(reads, 2);
}

TEST(BenchMark, LateBoundDefaults) {
  ManualClock clock;
  auto b = tickTimer(clock);
  b->call(u"FirstMark");
  EXPECT_EQ(clock.beeps, 1);  // DoBeep defaults to True
  clock.now = 1500;
  b->call(u"LastMark");
  EXPECT_EQ(b->call(u"toString").toString(), u"1.5 sec.");
  EXPECT_EQ(b->call(u"toString", {Variant(LONG{3}), Variant(true), Variant(false)}).toString(),
            u"500 ms. / 3 (1500 ms.)");
}

}  // namespace
}  // namespace quendel::toolvane
