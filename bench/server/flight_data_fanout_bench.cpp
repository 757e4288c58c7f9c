// Fan-out of the flight-data record: 64 apps poll "rSIMDATA30" back to back
// against a builder that publishes 60 records a second for 10 seconds, all in
// one process over loopback (usage: server_fanout_bench [APPS [SECONDS [PAGES]]]). Prints whether every app got every
// build exactly once, the delay from a publish to each app's receipt (median, 99th percentile, maximum) and the
// process's CPU time per second of wall time. With PAGES, a browser meanwhile fetches the check page ("/" and
// "/status.json" in turn) PAGES times a second, and the time from its connect to the answer's end is printed too. A
// plain timed program rather than a Google Benchmark case: the figure of interest is a distribution of delays under a
// fixed load, not a loop rate.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "bridge/flight_record.h"
#include "platform/socket_library.h"
#include "platform/tcp_socket.h"
#include "server/listener.h"
#include "tools/client/app_client.h"

namespace {

constexpr int kBuildsPerSecond = 60;

// Defaults: 64 apps for 10 seconds; the command line may give other numbers.
int appCount = 64;
int seconds = 10;
int64_t buildCount() { return static_cast<int64_t>(kBuildsPerSecond) * seconds; }

using Clock = std::chrono::steady_clock;

int64_t nowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// The builder's marks in a reserved area of the record: sequence number and
// publish time.
struct BuildMark {
  int64_t sequence;
  int64_t publishedNs;
};

BuildMark markOf(const FlightRecord& record) {
  BuildMark mark;
  std::memcpy(&mark, record.reserved2096, sizeof mark);
  return mark;
}

std::atomic<int64_t> latestPublished{0};
std::atomic<bool> appsRunning{true};

void publishBuild(int64_t sequence) {
  FlightRecord& record = flightRecordForBuild();
  const BuildMark mark{sequence, nowNanoseconds()};
  std::memcpy(record.reserved2096, &mark, sizeof mark);
  publishFlightRecord();
  latestPublished.store(sequence);
}

void runBuilder() {
  const auto period = std::chrono::nanoseconds(1000000000 / kBuildsPerSecond);
  auto next = Clock::now();
  for (int64_t sequence = 2; sequence <= buildCount(); ++sequence) {
    next += period;
    std::this_thread::sleep_until(next);
    publishBuild(sequence);
  }
}

// The browser's page views: each one's time from connect to the bridge's
// close, and how many got no complete 200 answer.
struct PageTally {
  std::vector<int64_t> responseNs;
  int64_t failed = 0;
};

bool fetchPage(uint16_t port, const char* request) {
  const TcpSocket browser = createTcpSocket();
  bool answered = connectTcpSocket(browser, ipv4AddressFromText("127.0.0.1"), port) &&
                  sendOnTcpSocket(browser, request, std::strlen(request)) == static_cast<long>(std::strlen(request));
  std::string answer;
  char piece[4096];
  for (long got; answered && (got = receiveFromTcpSocket(browser, piece, sizeof piece)) > 0;) answer.append(piece, got);
  closeTcpSocket(browser);
  return answered && answer.compare(0, 12, "HTTP/1.1 200") == 0;
}

void runBrowser(uint16_t port, int pagesPerSecond, PageTally& tally) {
  const char* const requests[] = {"GET / HTTP/1.1\r\nHost: bridge\r\n\r\n",
                                  "GET /status.json HTTP/1.1\r\nHost: bridge\r\n\r\n"};
  const auto period = std::chrono::nanoseconds(1000000000 / pagesPerSecond);
  auto next = Clock::now();
  for (int view = 0; appsRunning.load(); ++view) {
    next += period;
    std::this_thread::sleep_until(next);
    const int64_t start = nowNanoseconds();
    if (!fetchPage(port, requests[view % 2])) ++tally.failed;
    tally.responseNs.push_back(nowNanoseconds() - start);
  }
}

struct AppTally {
  int64_t first = 0;  // first build seen; counting starts after it
  int64_t received = 0;
  int64_t skipped = 0;
  int64_t duplicates = 0;  // the same build again while a newer one existed
  bool failed = false;
  std::vector<int64_t> delaysNs;
};

void runApp(uint16_t port, AppTally& tally) {
  AppClient client;
  client.setReplyTimeoutMilliseconds(-1);  // measure the bridge, not the client's readiness checks
  FlightRecord record;
  if (!client.connect("127.0.0.1", port) || !client.requestFlightRecord(record)) {
    tally.failed = true;
    return;
  }
  int64_t last = markOf(record).sequence;
  tally.first = last;
  tally.delaysNs.reserve(static_cast<size_t>(buildCount()));
  while (appsRunning.load()) {
    if (!client.requestFlightRecord(record)) {
      tally.failed = true;
      return;
    }
    const int64_t receivedNs = nowNanoseconds();
    const BuildMark mark = markOf(record);
    if (mark.sequence == last) {
      if (latestPublished.load() > last) ++tally.duplicates;
      continue;
    }
    tally.skipped += mark.sequence - last - 1;
    ++tally.received;
    tally.delaysNs.push_back(receivedNs - mark.publishedNs);
    last = mark.sequence;
  }
}

double percentileMicroseconds(std::vector<int64_t>& sorted, double fraction) {
  if (sorted.empty()) return 0.0;
  const size_t index = std::min(sorted.size() - 1, static_cast<size_t>(fraction * static_cast<double>(sorted.size())));
  return static_cast<double>(sorted[index]) / 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) appCount = std::max(1, std::atoi(argv[1]));
  if (argc > 2) seconds = std::max(1, std::atoi(argv[2]));
  const int pagesPerSecond = argc > 3 ? std::max(0, std::atoi(argv[3])) : 0;
  startSocketLibrary();
  resetFlightRecord();
  if (!startListenerThread(0)) return 1;
  while (listenerBoundPort() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const uint16_t port = listenerBoundPort();
  publishBuild(1);  // so the apps' first request has a build to wait after

  std::vector<AppTally> tallies(static_cast<size_t>(appCount));
  std::vector<std::thread> apps;
  for (int app = 0; app < appCount; ++app) apps.emplace_back(runApp, port, std::ref(tallies[app]));
  PageTally pages;
  std::thread browser;
  if (pagesPerSecond > 0) browser = std::thread(runBrowser, port, pagesPerSecond, std::ref(pages));

  const std::clock_t cpuStart = std::clock();
  const auto wallStart = Clock::now();
  runBuilder();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the last build reach every app
  const double wallSeconds = std::chrono::duration<double>(Clock::now() - wallStart).count();
  const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  appsRunning.store(false);
  for (std::thread& app : apps) app.join();
  if (browser.joinable()) browser.join();
  stopListener();
  stopSocketLibrary();

  std::vector<int64_t> delays;
  int64_t expected = 0, received = 0, skipped = 0, duplicates = 0, failed = 0;
  for (AppTally& tally : tallies) {
    expected += buildCount() - tally.first;
    received += tally.received;
    skipped += tally.skipped;
    duplicates += tally.duplicates;
    failed += tally.failed ? 1 : 0;
    delays.insert(delays.end(), tally.delaysNs.begin(), tally.delaysNs.end());
  }
  std::sort(delays.begin(), delays.end());

  const bool exact = failed == 0 && skipped == 0 && duplicates == 0 && received == expected;
  std::printf("apps %d, builds %lld at %d Hz over %.1f s\n", appCount, static_cast<long long>(buildCount()),
              kBuildsPerSecond, wallSeconds);
  std::printf("receipts %lld of %lld expected, skipped %lld, duplicates %lld, failed apps %lld: %s\n",
              static_cast<long long>(received), static_cast<long long>(expected), static_cast<long long>(skipped),
              static_cast<long long>(duplicates), static_cast<long long>(failed),
              exact ? "every app got every build exactly once" : "NOT EXACT");
  std::printf("publish-to-receipt delay: median %.1f us, p99 %.1f us, max %.1f us\n",
              percentileMicroseconds(delays, 0.5), percentileMicroseconds(delays, 0.99),
              percentileMicroseconds(delays, 1.0));
  std::printf("process CPU time: %.3f s per second (bridge and all %d apps together)\n", cpuSeconds / wallSeconds,
              appCount);
  if (pagesPerSecond > 0) {
    std::sort(pages.responseNs.begin(), pages.responseNs.end());
    std::printf(
        "check page: %zu views, %lld without a 200 answer; connect to answer's end: median %.1f ms, p90 %.1f "
        "ms, max %.1f ms\n",
        pages.responseNs.size(), static_cast<long long>(pages.failed),
        percentileMicroseconds(pages.responseNs, 0.5) / 1000.0, percentileMicroseconds(pages.responseNs, 0.9) / 1000.0,
        percentileMicroseconds(pages.responseNs, 1.0) / 1000.0);
  }
  return exact && pages.failed == 0 ? 0 : 1;
}
