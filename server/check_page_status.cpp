#include "server/check_page_status.h"

#include <chrono>

#include "bridge/aircraft_packages.h"
#include "bridge/flight_record.h"
#include "bridge/record_rate.h"
#include "bridge/shared_state.h"
#include "orvxlink_version.h"

CheckPageStatus takeCheckPageStatus(const std::string& requestFrom) {
  CheckPageStatus status;
  status.program = "Orvxlink";
  status.version = ORVXLINK_VERSION;
  status.requestFrom = requestFrom;
  status.simConnected = simConnected.load();
  status.appsConnected = connectedClientCount.load();
  const FlightRecordBuild build = latestFlightRecord();
  const FlightRecord& record = build->record;
  status.aircraftTitle = build->aircraftTitle;
  status.latitudeDeg = record.latitudeDeg;
  status.longitudeDeg = record.longitudeDeg;
  status.altitudeFt = record.altitudeFt;
  status.headingTrueDeg = record.headingTrueDeg;
  status.groundSpeedKt = record.groundSpeedKt;
  status.buildCounter = build->buildCounter;
  status.recordsPerSecond =
      RecordRateMeter::rateAt(std::chrono::steady_clock::now(), build->publishedAt, build->recordsPerSecond);
  status.note = aircraftFilesNote();
  return status;
}
