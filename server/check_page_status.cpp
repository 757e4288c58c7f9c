#include "server/check_page_status.h"

#include <algorithm>

#include "bridge/flight_record.h"
#include "bridge/shared_state.h"
#include "orvxlink_version.h"
#include "server/connection_registry.h"

namespace {

using Clock = std::chrono::steady_clock;

// Builds between two counter values, across the counter's wrap to 0.
int64_t buildsBetween(int32_t from, int32_t to) {
  constexpr int64_t kCounterValues = 2147483647;  // 0 .. 2147483646
  return ((static_cast<int64_t>(to) - from) % kCounterValues + kCounterValues) % kCounterValues;
}

std::chrono::milliseconds until(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

}  // namespace

double measureRecordsPerSecond(std::chrono::milliseconds window) {
  int32_t seen = flightBuildCounter();
  const int32_t first = waitForBuildCounterChange(seen, window);
  if (first == seen) return 0;
  const Clock::time_point firstAt = Clock::now();
  const Clock::time_point end = firstAt + window;
  Clock::time_point lastAt = firstAt;
  seen = first;
  while (buildsBetween(first, seen) < kRecordRateBuilds && Clock::now() < end && !connectionsReleased()) {
    const int32_t next = waitForBuildCounterChange(seen, until(end));
    if (next == seen) break;
    seen = next;
    lastAt = Clock::now();
  }
  const double seconds = std::chrono::duration<double>(lastAt - firstAt).count();
  return seconds > 0 ? static_cast<double>(buildsBetween(first, seen)) / seconds : 0;
}

CheckPageStatus takeCheckPageStatus(const std::string& requestFrom, std::chrono::milliseconds rateWindow) {
  CheckPageStatus status;
  status.program = "Orvxlink";
  status.version = ORVXLINK_VERSION;
  status.requestFrom = requestFrom;
  status.recordsPerSecond = measureRecordsPerSecond(rateWindow);
  // Read after the rate's wait, so that the page shows the newest values.
  status.simConnected = simConnected.load();
  status.appsConnected = connectedClientCount.load();
  const FlightRecordBuild build = latestFlightRecord();
  const FlightRecord& record = build->record;
  status.latitudeDeg = record.latitudeDeg;
  status.longitudeDeg = record.longitudeDeg;
  status.altitudeFt = record.altitudeFt;
  status.headingTrueDeg = record.headingTrueDeg;
  status.groundSpeedKt = record.groundSpeedKt;
  status.buildCounter = build->buildCounter;
  // The aircraft title and the note stay empty until the bridge shares them
  // with the serving threads.
  return status;
}
