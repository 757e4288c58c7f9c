// "rSIMDATA30" fanned out to many apps at once while the session thread
// publishes: every app gets whole records and never an older build after a
// newer one. Run under ThreadSanitizer by the tsan preset.
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "bridge/flight_record.h"
#include "server_test_support.h"
#include "tools/client/app_client.h"

namespace {

using FlightDataFanOut = ServerTest;

constexpr int kApps = 64;
constexpr int kRecordsPerApp = 30;

// A build in which every field the check reads carries the build's number.
void publishNumberedBuild(int number) {
  FlightRecord& r = flightRecordForBuild();
  const double value = number;
  r.latitudeDeg = r.longitudeDeg = r.altitudeFt = r.apAltitudeFt = r.sideMach[1] = value;
  r.engRpm[3] = value;
  r.reserved2096[175] = static_cast<uint8_t>(number);
  publishFlightRecord();
}

// What one app saw: records that were not one whole build, builds that went
// backwards, and the records it received.
struct AppView {
  int torn = 0;
  int backwards = 0;
  int received = 0;
  bool failed = false;
};

// Connects as a real app does when many start at once: a connection refused
// or reset because the listen backlog was full is tried again a little
// later, until the deadline.
bool connectRetrying(AppClient& app, uint16_t port, std::chrono::steady_clock::time_point deadline) {
  while (!app.connect("127.0.0.1", port)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

void pollRecords(uint16_t port, AppView& view) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  AppClient app;
  FlightRecord record{};
  // A connection the bridge never took up ends at the first request: that
  // app connects again, the others go on.
  bool first = false;
  while (connectRetrying(app, port, deadline)) {
    first = app.requestFlightRecord(record);
    if (first || std::chrono::steady_clock::now() > deadline) break;
  }
  if (!first) {
    view.failed = true;
    return;
  }
  double last = 0;
  for (int request = 0; request < kRecordsPerApp; ++request) {
    if (request > 0 && !app.requestFlightRecord(record)) {
      view.failed = true;
      return;
    }
    const double number = record.latitudeDeg;
    const bool whole = std::memcmp(record.tag, "ORVX30\0", 7) == 0 && record.longitudeDeg == number &&
                       record.altitudeFt == number && record.apAltitudeFt == number && record.sideMach[1] == number &&
                       record.engRpm[3] == number &&
                       record.reserved2096[175] == static_cast<uint8_t>(static_cast<int>(number));
    if (!whole) ++view.torn;
    if (number < last) ++view.backwards;
    last = number;
    ++view.received;
  }
}

TEST_F(FlightDataFanOut, SixtyFourAppsGetWholeRecordsInBuildOrder) {
  publishNumberedBuild(1);
  std::vector<AppView> views(kApps);
  std::atomic<int> finished{0};
  std::vector<std::thread> apps;
  for (int index = 0; index < kApps; ++index) {
    apps.emplace_back([&, index] {
      pollRecords(port(), views[index]);
      ++finished;
    });
  }
  // Publish until every app has its records; a build every 2 ms keeps the
  // readers' freshness waits short and the copies overlapping the publishes.
  for (int number = 2; finished.load() < kApps; ++number) {
    publishNumberedBuild(number);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (std::thread& app : apps) app.join();
  for (int index = 0; index < kApps; ++index) {
    const AppView& view = views[index];
    EXPECT_FALSE(view.failed) << "app " << index;
    EXPECT_EQ(view.received, kRecordsPerApp) << "app " << index;
    EXPECT_EQ(view.torn, 0) << "app " << index << " received records that were not one whole build";
    EXPECT_EQ(view.backwards, 0) << "app " << index << " received an older build after a newer one";
  }
}

}  // namespace
