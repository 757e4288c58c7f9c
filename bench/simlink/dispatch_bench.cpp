// The link's receive path under load: 1688-byte data messages (the bridge's
// per-frame delivery) through receive, cutting, the receive queue and
// SimConnect_CallDispatch, over the local pipe and over TCP; and the delay
// from the arrival of a message's last byte to the dispatch procedure's call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/socket_library.h"
#include "platform/test_listener.h"
#include "platform/test_user_folders.h"
#include "simlink/simconnect.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kDataMessageSize = 1688;
constexpr int kMessagesPerRound = 20000;

std::vector<uint8_t> dataMessage() {
  std::vector<uint8_t> message(kDataMessageSize, 0x5A);
  const uint32_t header[3] = {kDataMessageSize, 5, SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE};
  std::memcpy(message.data(), header, sizeof header);
  return message;
}

// A link to a simulator stand-in served by this process, configured through
// a "SimConnect.cfg" in a scratch current directory.
class BenchLink {
 public:
  explicit BenchLink(bool tcp) {
    root_ = fs::temp_directory_path() / ("orvx-simlink-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(root_ / "work");
    redirectUserFolders(root_.string());
    previous_ = fs::current_path();
    fs::current_path(root_ / "work");
    startSocketLibrary();
    std::string config = "[SimConnect]\n";
    if (tcp) {
      uint16_t port = 0;
      listener_ = listenTcpLoopback(IpVersion::kIpv4, port);
      config += "Protocol=IPv4\nAddress=127.0.0.1\nPort=" + std::to_string(port) + "\n";
    } else {
      const std::string name = "orvx-bench-" + std::to_string(std::random_device{}());
      listener_ = listenLocalPipe("\\\\.\\pipe\\" + name);
      config += "Protocol=Pipe\nPort=" + name + "\n";
    }
    std::ofstream(root_ / "work" / "SimConnect.cfg") << config;
    if (listener_ != nullptr && SimConnect_Open(&link_, "Bench", nullptr, 0, nullptr, 0) == 0) {
      connection_ = acceptTestConnection(listener_, 5000);
    }
  }

  ~BenchLink() {
    if (link_ != nullptr) SimConnect_Close(link_);
    closeTestConnection(connection_);
    closeTestListener(listener_);
    stopSocketLibrary();
    restoreUserFolders();
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  bool ready() const { return connection_ != nullptr; }
  HANDLE link() const { return link_; }
  bool send(const uint8_t* data, size_t length) { return writeTestConnection(connection_, data, length); }

 private:
  fs::path root_;
  fs::path previous_;
  TestListener* listener_ = nullptr;
  TestConnection* connection_ = nullptr;
  HANDLE link_ = nullptr;
};

void countMessage(SIMCONNECT_RECV*, DWORD, void* context) { ++*static_cast<int*>(context); }

void BM_DataMessagesThroughDispatch(benchmark::State& state) {
  BenchLink bench(state.range(0) != 0);
  if (!bench.ready()) {
    state.SkipWithError("no link");
    return;
  }
  std::vector<uint8_t> stream;
  const std::vector<uint8_t> message = dataMessage();
  for (int i = 0; i < kMessagesPerRound; ++i) stream.insert(stream.end(), message.begin(), message.end());

  for (auto _ : state) {
    std::thread writer([&] { bench.send(stream.data(), stream.size()); });
    int delivered = 0;
    while (delivered < kMessagesPerRound) {
      if (SimConnect_CallDispatch(bench.link(), countMessage, &delivered) < 0) break;
    }
    writer.join();
    if (delivered < kMessagesPerRound) state.SkipWithError("link failed");
  }
  state.SetItemsProcessed(state.iterations() * kMessagesPerRound);
  state.SetBytesProcessed(state.iterations() * kMessagesPerRound * static_cast<int64_t>(kDataMessageSize));
}
BENCHMARK(BM_DataMessagesThroughDispatch)->ArgName("tcp")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void recordCallTime(SIMCONNECT_RECV*, DWORD, void* context) {
  *static_cast<Clock::time_point*>(context) = Clock::now();
}

// The message's first bytes are sent ahead, so that the link holds a partial
// message; the clock starts just before the last byte is written (it arrives
// somewhere inside that write, which the figure therefore includes).
void BM_LastByteToDispatchCall(benchmark::State& state) {
  BenchLink bench(state.range(0) != 0);
  if (!bench.ready()) {
    state.SkipWithError("no link");
    return;
  }
  const std::vector<uint8_t> message = dataMessage();
  std::vector<double> delaysMicroseconds;
  for (auto _ : state) {
    bench.send(message.data(), message.size() - 1);
    sleepMilliseconds(1);
    const Clock::time_point arrived = Clock::now();
    bench.send(&message.back(), 1);
    Clock::time_point called{};
    while (called == Clock::time_point{}) {
      if (SimConnect_CallDispatch(bench.link(), recordCallTime, &called) < 0) break;
    }
    const std::chrono::duration<double> delay = called - arrived;
    state.SetIterationTime(delay.count());
    delaysMicroseconds.push_back(delay.count() * 1e6);
  }
  std::sort(delaysMicroseconds.begin(), delaysMicroseconds.end());
  if (!delaysMicroseconds.empty()) {
    state.counters["p50_us"] = delaysMicroseconds[delaysMicroseconds.size() / 2];
    state.counters["p99_us"] = delaysMicroseconds[delaysMicroseconds.size() * 99 / 100];
  }
}
BENCHMARK(BM_LastByteToDispatchCall)
    ->ArgName("tcp")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
