#include "bridge/record_rate.h"

double RecordRateMeter::noteBuild(Clock::time_point at) {
  times_[next_] = at;
  next_ = (next_ + 1) % kKept;
  if (kept_ < kKept) ++kept_;
  // Walk back from the newest to the oldest build still within the span.
  size_t within = 1;
  Clock::time_point oldest = at;
  for (size_t back = 2; back <= kept_; ++back) {
    const Clock::time_point t = times_[(next_ + kKept - back) % kKept];
    if (at - t > kSpan) break;
    oldest = t;
    ++within;
  }
  const double seconds = std::chrono::duration<double>(at - oldest).count();
  return within < 2 || seconds <= 0 ? 0.0 : static_cast<double>(within - 1) / seconds;
}

double RecordRateMeter::rateAt(Clock::time_point now, Clock::time_point publishedAt, double rate) {
  return now - publishedAt > kSpan ? 0.0 : rate;
}
