// Records per second as the status page shows it: the session thread notes
// the time of every build it publishes, and the rate is the builds over the
// last two seconds. Kept by the session thread alone; the result travels
// with each build, so readers never wait for builds to measure it.
#pragma once

#include <chrono>
#include <cstddef>

class RecordRateMeter {
 public:
  using Clock = std::chrono::steady_clock;

  // The span the rate is measured over. A build older than this no longer
  // counts, so a simulator that stops shows its rate falling to 0.
  static constexpr std::chrono::seconds kSpan{2};

  // Notes a build published at `at` (times never go back) and returns the
  // rate up to it: builds a second between the oldest noted build still
  // within the span and this one; 0 until two builds fall within it.
  double noteBuild(Clock::time_point at);

  // The rate a reader shows at `now` for a build that reported `rate` when
  // it was published at `publishedAt`: 0 once that build is older than the
  // span, since no build has come since.
  static double rateAt(Clock::time_point now, Clock::time_point publishedAt, double rate);

 private:
  static constexpr size_t kKept = 256;  // more than two seconds' builds at any rate a simulator gives
  Clock::time_point times_[kKept];      // a ring: kept_ builds from oldest_ on
  size_t oldest_ = 0;
  size_t kept_ = 0;
};
