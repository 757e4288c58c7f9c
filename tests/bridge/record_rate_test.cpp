#include "bridge/record_rate.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using std::chrono::milliseconds;
using Clock = RecordRateMeter::Clock;

// Builds at the given milliseconds after a start; the rate reported with the
// last one, worked out by hand.
struct RateCase {
  const char* what;
  std::vector<int> buildsAtMs;
  double expected;
};

TEST(RecordRateMeter, RateIsTheBuildsOverTheLastTwoSeconds) {
  const RateCase cases[] = {
      {"one build gives no rate", {0}, 0.0},
      {"two builds 100 ms apart", {0, 100}, 10.0},
      {"sixty a second", {0, 16, 33, 50, 66, 83, 100, 116, 133, 150, 166}, 10 / 0.166},
      {"builds older than two seconds no longer count", {0, 100, 3000, 3050}, 20.0},
      {"a build exactly two seconds back still counts", {0, 1000, 2000}, 1.0},
      {"a pause longer than the span leaves one build", {0, 10, 20, 5000}, 0.0},
  };
  for (const RateCase& c : cases) {
    RecordRateMeter meter;
    const Clock::time_point start{};
    double rate = -1;
    for (int at : c.buildsAtMs) rate = meter.noteBuild(start + milliseconds(at));
    EXPECT_NEAR(rate, c.expected, 1e-9) << c.what;
  }
}

TEST(RecordRateMeter, ManyMoreBuildsThanItKeepsStillGiveTheRate) {
  RecordRateMeter meter;
  double rate = 0;
  for (int i = 0; i <= 2000; ++i) rate = meter.noteBuild(Clock::time_point{} + milliseconds(i));  // 1000 a second
  // Only the newest builds it keeps are within reach, at the same spacing.
  EXPECT_NEAR(rate, 1000.0, 1e-6);
}

TEST(RecordRateMeter, ReaderShowsZeroOnceTheLatestBuildIsOlderThanTheSpan) {
  const Clock::time_point published{};
  EXPECT_EQ(RecordRateMeter::rateAt(published + milliseconds(1999), published, 30.0), 30.0);
  EXPECT_EQ(RecordRateMeter::rateAt(published + milliseconds(2001), published, 30.0), 0.0);
}

}  // namespace
