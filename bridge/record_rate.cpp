#include "bridge/record_rate.h"

double RecordRateMeter::noteBuild(Clock::time_point at) {
  // Keep the builds within the span, oldest first: drop those that fell out
  // of it (and the oldest when the ring is full), then add this one.
  while (kept_ > 0 && (at - times_[oldest_] > kSpan || kept_ == kKept)) {
    oldest_ = (oldest_ + 1) % kKept;
    --kept_;
  }
  times_[(oldest_ + kept_) % kKept] = at;
  ++kept_;
  const double seconds = std::chrono::duration<double>(at - times_[oldest_]).count();
  return kept_ < 2 || seconds <= 0 ? 0.0 : static_cast<double>(kept_ - 1) / seconds;
}

double RecordRateMeter::rateAt(Clock::time_point now, Clock::time_point publishedAt, double rate) {
  return now - publishedAt > kSpan ? 0.0 : rate;
}
