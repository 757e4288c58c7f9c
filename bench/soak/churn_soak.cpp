// Churn and soak run of the whole bridge against the simulator emulator, both
// in this process, on loopback only. It connects and closes apps by the
// thousand, holds many at once, leaves apps that never read and apps that
// leave with requests queued, and has the emulator drop the bridge's link
// again and again; then it checks that the process's threads, descriptors,
// memory maps and RSS are back where they started, that apps still get fresh
// records, and that the stop completes within a second.
//
// usage: orvx_churn_soak [--cycles N] [--apps N] [--drops N] [--stalled N]
//                        [--pipelined N] [--max-seconds N]
// Defaults are the full run (100,000 cycles, 1,000 apps at once, 10,000 link
// drops); every phase stops at the time limit and the run then fails.
// Prints each phase's figures; exit status 0 when every check held.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bridge/bridge.h"
#include "bridge/flight_record.h"
#include "bridge/shared_state.h"
#include "bridge/sim_messages.h"
#include "platform/socket_library.h"
#include "platform/tcp_socket.h"
#include "platform/test_process_usage.h"
#include "platform/test_tcp_buffers.h"
#include "platform/test_user_folders.h"
#include "server/app_protocol.h"
#include "tests/free_tcp_port.h"
#include "tools/client/app_client.h"
#include "tools/sim/sim_emulator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct SoakOptions {
  long cycles = 100000;
  long apps = 1000;
  long drops = 10000;
  long stalled = 20;
  long pipelined = 100;
  long maxSeconds = 3600;
};

// Allowed growth from the start to the end of the run: the allocator's
// per-thread arenas and its cache of thread stacks settle at a few maps and
// megabytes, whatever the number of connections served.
constexpr int64_t kSpareThreads = 2;
constexpr int64_t kSpareDescriptors = 4;
constexpr int64_t kSpareMaps = 48;
constexpr int64_t kSpareResidentBytes = 32 * 1024 * 1024;
constexpr double kStopLimitSeconds = 1.0;

SoakOptions options;
Clock::time_point deadline;
uint16_t appPort = 0;
int failures = 0;

bool timeLeft() { return Clock::now() < deadline; }

void check(bool held, const std::string& what) {
  if (held) return;
  ++failures;
  std::printf("FAILED: %s\n", what.c_str());
  std::fflush(stdout);
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void printUsage(const char* when, const ProcessUsage& usage) {
  std::printf("%-22s threads %4lld  descriptors %5lld  maps %5lld  RSS %7.1f MB  CPU %8.2f s\n", when,
              static_cast<long long>(usage.threads), static_cast<long long>(usage.descriptors),
              static_cast<long long>(usage.memoryMaps), static_cast<double>(usage.residentBytes) / (1024.0 * 1024.0),
              usage.cpuSeconds);
  std::fflush(stdout);
}

// A connection that speaks raw bytes, for apps that misbehave.
class RawConnection {
 public:
  explicit RawConnection(int receiveBufferBytes = 0) : socket_(createTcpSocket()) {
    if (receiveBufferBytes > 0) setTcpReceiveBufferSize(socket_, receiveBufferBytes);
    if (!connectTcpSocket(socket_, ipv4AddressFromText("127.0.0.1"), appPort)) {
      closeTcpSocket(socket_);
      socket_ = kInvalidTcpSocket;
    }
  }
  ~RawConnection() {
    if (socket_ != kInvalidTcpSocket) closeTcpSocket(socket_);
  }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return socket_ != kInvalidTcpSocket; }
  bool send(const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
      const long result = sendOnTcpSocket(socket_, bytes.data() + sent, bytes.size() - sent);
      if (result <= 0) return false;
      sent += static_cast<size_t>(result);
    }
    return true;
  }
  bool replyWaiting() { return waitTcpReadable(socket_, 5000); }

 private:
  TcpSocket socket_;
};

std::string frames(const char* frame, int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes.append(frame, kCommandFrameSize);
  return bytes;
}

// A record whose tag is right and whose build is newer than `after`.
bool freshRecord(AppClient& app, int32_t after) {
  FlightRecord record{};
  if (!waitFor([&] { return flightBuildCounter() != after; }, std::chrono::seconds(10))) return false;
  return app.requestFlightRecord(record) && std::memcmp(record.tag, "ORVX30", 7) == 0;
}

bool connectApp(AppClient& app) { return app.connect("127.0.0.1", appPort); }

// --- Phases ------------------------------------------------------------------

void churnConnections() {
  const auto start = Clock::now();
  constexpr int kWorkers = 4;
  std::vector<long> done(kWorkers, 0);
  std::vector<long> failed(kWorkers, 0);
  std::vector<std::thread> workers;
  for (int worker = 0; worker < kWorkers; ++worker) {
    workers.emplace_back([&, worker] {
      for (long cycle = worker; cycle < options.cycles && timeLeft(); cycle += kWorkers) {
        AppClient app;
        if (!connectApp(app)) {
          ++failed[worker];
          continue;
        }
        // A round trip before the close paces the workers to the listener,
        // whose backlog of 6 would otherwise overflow and hold connects up
        // for a SYN retry; every hundredth app fetches a record instead.
        FlightRecord record;
        uint8_t first[kFmcPeekSize];
        const bool served = cycle % 100 == 0 ? app.requestFlightRecord(record) : app.peekFmcData(first);
        if (!served) ++failed[worker];
        ++done[worker];
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  long cycles = 0, failedCycles = 0;
  for (int worker = 0; worker < kWorkers; ++worker) {
    cycles += done[worker];
    failedCycles += failed[worker];
  }
  std::printf("churn: %ld connect/close cycles in %.1f s, %ld failed\n", cycles, secondsSince(start), failedCycles);
  check(cycles == options.cycles && failedCycles == 0, "every churn cycle connects (and fetches where asked)");
  check(waitFor([] { return connectedClientCount.load() == 0; }, std::chrono::seconds(10)),
        "every churned connection has ended");
}

void holdManyApps() {
  if (options.apps == 0) return;
  const auto start = Clock::now();
  std::vector<std::unique_ptr<AppClient>> apps;
  for (long i = 0; i < options.apps && timeLeft(); ++i) {
    apps.push_back(std::make_unique<AppClient>());
    // Each one served before the next comes, as the backlog is short.
    if (!connectApp(*apps.back()) ||
        !waitFor([&] { return connectedClientCount.load() == static_cast<int32_t>(i + 1); }, std::chrono::seconds(5))) {
      break;
    }
  }
  check(static_cast<long>(apps.size()) == options.apps, "every app of the crowd connects");
  check(waitFor([&] { return connectedClientCount.load() == static_cast<int32_t>(apps.size()); },
                std::chrono::seconds(30)),
        "the bridge serves the whole crowd at once");
  printUsage("crowd connected", currentProcessUsage());
  long served = 0;
  const int32_t seen = flightBuildCounter();
  for (auto& app : apps) {
    if (!timeLeft()) break;
    FlightRecord record;
    if (app->requestFlightRecord(record) && std::memcmp(record.tag, "ORVX30", 7) == 0) ++served;
  }
  std::printf("crowd: %zu apps at once, %ld served a record, in %.1f s\n", apps.size(), served, secondsSince(start));
  check(served == static_cast<long>(apps.size()), "every app of the crowd gets a record");
  check(!apps.empty() && freshRecord(*apps.front(), seen), "records go on being built while the crowd is there");
  apps.clear();
  check(waitFor([] { return connectedClientCount.load() == 0; }, std::chrono::seconds(30)),
        "the crowd's connections have ended");
}

void stallAndLeave() {
  constexpr size_t kFmcBytes = 4 * 1024 * 1024;
  AppClient uploader;
  check(connectApp(uploader) && uploader.uploadFmcData(std::vector<uint8_t>(kFmcBytes, 0x5A), 1) &&
            uploader.confirmUploads(),
        "FMC data is stored");
  const ProcessUsage before = currentProcessUsage();
  {
    std::vector<std::unique_ptr<RawConnection>> stalled;
    for (long i = 0; i < options.stalled; ++i) {
      stalled.push_back(std::make_unique<RawConnection>(4096));
      stalled.back()->send(frames(kRequestFmcData, 1));
    }
    long waiting = 0;
    for (auto& app : stalled) waiting += app->replyWaiting() ? 1 : 0;
    const ProcessUsage held = currentProcessUsage();
    const double growthMb = static_cast<double>(held.residentBytes - before.residentBytes) / (1024.0 * 1024.0);
    std::printf("stalled: %ld apps hold a 4 MB reply unread; RSS grew by %.1f MB\n", waiting, growthMb);
    check(waiting == options.stalled, "every stalled app's reply began");
    check(growthMb < 16, "apps that never read share one copy of the FMC data");
  }
  check(uploader.uploadFmcData(std::vector<uint8_t>(1, 0), 0) && uploader.confirmUploads(), "the FMC data shrinks");
  uploader.close();

  {
    // All connected and served first (the backlog is short), then all gone
    // at once with their requests queued.
    std::vector<std::unique_ptr<RawConnection>> leaving;
    for (long i = 0; i < options.pipelined && timeLeft(); ++i) {
      leaving.push_back(std::make_unique<RawConnection>());
      leaving.back()->send(frames(kRequestFlightData, 300));
      waitFor([&] { return connectedClientCount.load() == static_cast<int32_t>(i + 1); }, std::chrono::seconds(5));
    }
    check(connectedClientCount.load() == static_cast<int32_t>(leaving.size()), "every pipelining app is served");
  }
  const auto start = Clock::now();
  const bool ended = waitFor([] { return connectedClientCount.load() == 0; }, std::chrono::seconds(10));
  std::printf("pipelined: %ld apps left 300 requests each; all ended after %.2f s\n", options.pipelined,
              secondsSince(start));
  check(ended, "apps that left with requests queued are ended at once");
}

// The emulator drops the bridge's link; the bridge opens a new one at once.
// An app stays connected throughout and keeps getting fresh records.
void dropLinks(simemu::SimEmulator& emulator) {
  if (options.drops == 0) return;
  const auto start = Clock::now();
  AppClient app;
  check(connectApp(app), "the watching app connects");
  long dropped = 0, missed = 0;
  for (long drop = 0; drop < options.drops && timeLeft(); ++drop) {
    const std::vector<int> clients = emulator.clientIds();
    if (clients.empty() || !emulator.dropClient(clients.front())) {
      ++missed;
      continue;
    }
    const int droppedId = clients.front();
    // Back once the new link is dispatching and has delivered a record.
    const int32_t before = flightBuildCounter();
    const bool back = waitFor(
        [&] {
          const std::vector<int> now = emulator.clientIds();
          return !now.empty() && now.front() != droppedId && flightBuildCounter() != before;
        },
        std::chrono::seconds(20));
    if (!back) {
      ++missed;
      continue;
    }
    ++dropped;
    if (drop % 100 == 0 && !freshRecord(app, flightBuildCounter() - 1)) ++missed;
    if ((drop + 1) % std::max(1L, options.drops / 10) == 0) {
      printUsage(("after " + std::to_string(drop + 1) + " drops").c_str(), currentProcessUsage());
    }
  }
  std::printf("link drops: %ld of %ld, the link back and building each time, in %.1f s; %ld missed\n", dropped,
              options.drops, secondsSince(start), missed);
  check(dropped == options.drops && missed == 0, "every dropped link comes back and the app keeps its records");
  check(freshRecord(app, flightBuildCounter()), "the watching app still gets fresh records");
}

bool settledNear(const ProcessUsage& start, ProcessUsage& now) {
  return waitFor(
      [&] {
        now = currentProcessUsage();
        return now.threads <= start.threads + kSpareThreads &&
               now.descriptors <= start.descriptors + kSpareDescriptors &&
               now.memoryMaps <= start.memoryMaps + kSpareMaps &&
               now.residentBytes <= start.residentBytes + kSpareResidentBytes;
      },
      std::chrono::seconds(10));
}

// The stop with apps still there: one silent, one stalled in a send.
void stopWithAppsConnected() {
  AppClient silent;
  check(connectApp(silent), "the silent app connects");
  AppClient uploader;
  check(connectApp(uploader) && uploader.uploadFmcData(std::vector<uint8_t>(8 * 1024 * 1024, 1), 2) &&
            uploader.confirmUploads(),
        "large FMC data is stored");
  RawConnection stalled(4096);
  stalled.send(frames(kRequestFmcData, 1));
  check(stalled.replyWaiting(), "the stalled app's reply began");
  const auto start = Clock::now();
  stopBridge();
  const double stopSeconds = secondsSince(start);
  std::printf("stop with a silent and a stalled app: %.3f s\n", stopSeconds);
  check(stopSeconds < kStopLimitSeconds, "the stop completes within a second");
  check(connectedClientCount.load() == 0, "no serving thread outlives the stop");
}

bool parseOptions(int argc, char** argv) {
  struct Flag {
    const char* name;
    long* value;
  } flags[] = {{"--cycles", &options.cycles},       {"--apps", &options.apps},
               {"--drops", &options.drops},         {"--stalled", &options.stalled},
               {"--pipelined", &options.pipelined}, {"--max-seconds", &options.maxSeconds}};
  for (int i = 1; i < argc; i += 2) {
    auto flag = std::find_if(std::begin(flags), std::end(flags),
                             [&](const Flag& f) { return std::strcmp(f.name, argv[i]) == 0; });
    if (flag == std::end(flags) || i + 1 >= argc) return false;
    *flag->value = std::max(0L, std::atol(argv[i + 1]));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!parseOptions(argc, argv)) {
    std::fprintf(stderr,
                 "usage: orvx_churn_soak [--cycles N] [--apps N] [--drops N] [--stalled N] [--pipelined N] "
                 "[--max-seconds N]\n");
    return 2;
  }
  deadline = Clock::now() + std::chrono::seconds(options.maxSeconds);
  raiseDescriptorLimit();
  startSocketLibrary();

  const fs::path scratch =
      fs::temp_directory_path() / ("orvx-soak-" + std::to_string(Clock::now().time_since_epoch().count() % 1000000000));
  fs::create_directories(scratch / "work");
  redirectUserFolders((scratch / "user").string());
  const fs::path previous = fs::current_path();
  fs::current_path(scratch / "work");

  simemu::SimEmulatorOptions simOptions;
  simOptions.frameRateHz = 60;
  simOptions.fixedStepSeconds = 1.0 / 30;
  simOptions.startSeconds = 600;
  simOptions.aircraftRoot = ORVX_AIRCRAFT_ROOT;
  simOptions.requestsKept = 1000;
  simemu::SimEmulator emulator(simOptions);
  std::string error;
  if (!emulator.start(&error)) {
    std::printf("FAILED: the emulator did not start: %s\n", error.c_str());
    return 1;
  }
  std::ofstream("SimConnect.cfg") << "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" << emulator.tcp4Port()
                                  << "\n";
  appPort = freeLoopbackTcpPort();
  setListenerPort(appPort);
  startBridge();

  AppClient first;
  check(waitFor([&] { return connectApp(first); }, std::chrono::seconds(30)), "the bridge accepts apps");
  check(freshRecord(first, 0), "the first app gets a built record");
  first.close();
  check(waitFor([] { return connectedClientCount.load() == 0; }, std::chrono::seconds(10)), "the first app ended");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the listener joins the ended thread
  const ProcessUsage start = currentProcessUsage();
  printUsage("start", start);

  if (failures == 0) churnConnections();
  printUsage("after churn", currentProcessUsage());
  if (failures == 0) holdManyApps();
  printUsage("after the crowd", currentProcessUsage());
  if (failures == 0) stallAndLeave();
  printUsage("after stalls", currentProcessUsage());
  if (failures == 0) dropLinks(emulator);

  ProcessUsage end;
  const bool settled = settledNear(start, end);
  printUsage("end", end);
  check(settled, "threads, descriptors, memory maps and RSS are back near their start");
  check(timeLeft(), "the run finished within its time limit");

  stopWithAppsConnected();
  emulator.stop();
  fs::current_path(previous);
  restoreUserFolders();
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
  stopSocketLibrary();
  std::printf("%s\n", failures == 0 ? "soak: every check held" : "soak: FAILED");
  return failures == 0 ? 0 : 1;
}
