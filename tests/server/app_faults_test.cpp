// Apps that misbehave over long runs: many that come and go, ones that never
// read their replies, ones that leave with requests still queued, more than
// the process has descriptors for, and uploads larger than the memory to be
// had. Each one's trouble ends at most its own connection; the listener goes
// on, keeps nothing of connections that have ended, and the stop completes.
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "allocation_watch.h"
#include "bridge/flight_record.h"
#include "bridge/shared_state.h"
#include "platform/test_process_usage.h"
#include "platform/test_socket_pair.h"
#include "platform/test_tcp_reset.h"
#include "server/app_protocol.h"
#include "server/listener.h"
#include "server/parked_record_request.h"
#include "server/shared_data_store.h"
#include "server_test_support.h"

namespace {

using AppFaultTest = ServerTest;
using Clock = ParkedRecordRequest::Clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Small enough that a reply of a few megabytes fills it and the bridge's send
// waits; the system rounds it up to its own minimum.
constexpr int kTinyReceiveBuffer = 4096;

bool countIs(int32_t expected, milliseconds timeout = milliseconds(5000)) {
  return waitUntil([&] { return connectedClientCount.load() == expected; }, timeout);
}

// Stores `size` bytes of FMC data through an app of its own.
void storeFmcData(uint16_t port, size_t size) {
  RawApp uploader(port);
  uploader.send(commandFrame(kUploadFmcData) + lengthPrefixed(std::string(size, 'F'), 7));
  uploader.sync();
}

TEST_F(AppFaultTest, ServingThreadsOfClosedConnectionsAreJoinedWhileTheListenerRuns) {
  // Warm up first: the allocator's per-thread arenas and the cache of thread
  // stacks reach their steady size with the first few dozen threads.
  {
    std::vector<std::unique_ptr<RawApp>> apps;
    for (int i = 0; i < 32; ++i) apps.push_back(std::make_unique<RawApp>(port()));
    for (auto& app : apps) app->sync();
  }
  ASSERT_TRUE(countIs(0));
  std::this_thread::sleep_for(milliseconds(500));  // two reap periods of the listener
  const ProcessUsage before = currentProcessUsage();

  for (int cycle = 0; cycle < 300; ++cycle) {
    RawApp app(port());
    app.sync();
  }
  ASSERT_TRUE(countIs(0));
  // Each unjoined thread keeps its stack (two maps) and, on Windows, its
  // handle: 300 cycles would leave hundreds of each.
  ProcessUsage after;
  const bool settled = waitUntil([&] {
    after = currentProcessUsage();
    return after.memoryMaps <= before.memoryMaps + 24 && after.descriptors <= before.descriptors + 16;
  });
  EXPECT_TRUE(settled) << "memory maps " << before.memoryMaps << " -> " << after.memoryMaps << ", descriptors "
                       << before.descriptors << " -> " << after.descriptors;
  RawApp next(port());
  next.sync();
}

TEST_F(AppFaultTest, StopReleasesAServingThreadBlockedSendingToAnAppThatDoesNotRead) {
  storeFmcData(port(), kMaxUploadLength);
  RawApp stalled(port(), kTinyReceiveBuffer);
  stalled.send(commandFrame(kRequestFmcData));
  ASSERT_TRUE(stalled.replyWaiting()) << "the reply never began";

  auto stopped = std::async(std::launch::async, stopListener);
  const bool completed = stopped.wait_for(seconds(5)) == std::future_status::ready;
  stalled.close();  // lets a stop that hangs end, so the test reports instead of waiting
  stopped.get();
  EXPECT_TRUE(completed) << "the stop waited for an app that does not read";
  EXPECT_TRUE(countIs(0));
}

TEST_F(AppFaultTest, AppsThatDoNotReadShareOneCopyOfTheFmcData) {
  constexpr size_t kFmcSize = 8 * 1024 * 1024;
  storeFmcData(port(), kFmcSize);
  resetLargeAllocatedBytes();

  std::vector<std::unique_ptr<RawApp>> stalled;
  for (int i = 0; i < 20; ++i) {
    stalled.push_back(std::make_unique<RawApp>(port(), kTinyReceiveBuffer));
    stalled.back()->send(commandFrame(kRequestFmcData));
  }
  for (auto& app : stalled) ASSERT_TRUE(app->replyWaiting()) << "a reply never began";
  // Every reply has taken its data by now and is held in its send.
  EXPECT_LT(largeAllocatedBytes(), kFmcSize) << "replies copied the FMC data";

  RawApp reader(port());
  reader.send(commandFrame(kRequestFmcData));
  const Bytes reply = reader.receive(4 + kFmcSize + 4, seconds(20));
  ASSERT_EQ(reply.size(), 4 + kFmcSize + 4);
  EXPECT_EQ(reply[4], 'F');
  EXPECT_EQ(reply[4 + kFmcSize - 1], 'F');
  EXPECT_EQ(reply[4 + kFmcSize], 7);
}

// An app that reads nothing of a large reply but has sent its next command:
// the send waiting for room must sleep until there is room, not wake for the
// command's bytes and spin.
TEST_F(AppFaultTest, ASendWaitingForRoomSleepsWhileTheAppsNextCommandWaits) {
  storeFmcData(port(), 4 * 1024 * 1024);
  RawApp stalled(port(), kTinyReceiveBuffer);
  stalled.send(commandFrame(kRequestFmcData) + commandFrame(kPeekFmcData));
  ASSERT_TRUE(stalled.replyWaiting()) << "the reply never began";
  std::this_thread::sleep_for(milliseconds(200));  // the buffers fill and the send waits
  const double cpuBefore = currentProcessUsage().cpuSeconds;
  std::this_thread::sleep_for(seconds(2));  // the window whose CPU time is measured
  const double cpuSpent = currentProcessUsage().cpuSeconds - cpuBefore;
  RecordProperty("cpuSecondsWhileASendWaits", std::to_string(cpuSpent));
  EXPECT_LT(cpuSpent, 0.3) << "a send waiting for room used " << cpuSpent << " s of CPU in 2 s";
}

TEST_F(AppFaultTest, AnUploadWhoseMemoryCannotBeHadEndsOnlyItsConnection) {
  RawApp bystander(port());
  bystander.sync();
  RawApp uploader(port());
  uploader.sync();

  refuseLargeAllocations(true);
  uploader.send(commandFrame(kUploadFmcData) + littleEndian32(4 * 1024 * 1024));
  const bool ended = uploader.closedByBridge();
  refuseLargeAllocations(false);

  EXPECT_TRUE(ended) << "the connection stayed open";
  bystander.sync();
  bystander.send(commandFrame(kPeekFmcData));
  EXPECT_EQ(bystander.receive(kFmcPeekSize), Bytes(kFmcPeekSize, 0xFF)) << "the store is left empty";
  EXPECT_TRUE(countIs(1));
}

// The session thread publishes every frame and a serving thread parks every
// request: neither may end the program when memory runs out.
TEST_F(AppFaultTest, WithoutMemoryABuildIsSkippedAndTheNextOneGoesOut) {
  publishFlightRecord();
  const FlightRecordBuild before = latestFlightRecord();
  refuseAllocationsOnThisThread(true);
  bool threw = false;
  try {
    publishFlightRecord();
  } catch (...) {
    threw = true;
  }
  refuseAllocationsOnThisThread(false);
  EXPECT_FALSE(threw) << "the publish let its failure out";
  EXPECT_EQ(latestFlightRecord(), before) << "a build was published without a copy of the record";
  publishFlightRecord();
  EXPECT_EQ(flightBuildCounter(), before->buildCounter + 1);
}

TEST_F(AppFaultTest, ParkingAndDeliveringNeedNoMemory) {
  TcpSocket bridgeEnd;
  TcpSocket appEnd;
  ASSERT_TRUE(makeConnectedSocketPair(bridgeEnd, appEnd));
  publishFlightRecord();
  const int32_t latest = flightBuildCounter();
  auto next = std::make_shared<PublishedFlightRecord>();
  next->buildCounter = latest + 1;
  const FlightRecordBuild build = std::move(next);
  // As many requests as apps a busy bridge serves, made where the memory
  // for the objects themselves is already there.
  std::vector<std::optional<ParkedRecordRequest>> requests(64);
  int parked = 0;
  bool threw = false;
  refuseAllocationsOnThisThread(true);
  try {
    for (auto& request : requests) parked += request.emplace(bridgeEnd).park(latest, Clock::now() + seconds(5));
    ParkedRecordRequest::deliverToParked(build);
    for (auto& request : requests) request.reset();
  } catch (...) {
    threw = true;
  }
  refuseAllocationsOnThisThread(false);
  EXPECT_FALSE(threw) << "listing, parking or delivering asked for memory";
  EXPECT_EQ(parked, 64);
  requests.clear();
  closeTcpSocket(bridgeEnd);
  closeTcpSocket(appEnd);
}

struct LeavingApp {
  const char* how;
  void (*leave)(TcpSocket);
};

class AppLeavingWithRequestsQueued : public ServerTest, public ::testing::WithParamInterface<LeavingApp> {};

// With a record built once and never again, every queued request waits its
// full freshness wait (100 ms): 300 of them would hold the thread for half a
// minute if each were carried out for an app that has gone.
TEST_P(AppLeavingWithRequestsQueued, EndsTheConnectionAtTheFirstSendThatFindsItGone) {
  publishFlightRecord();
  ASSERT_NE(flightBuildCounter(), 0);
  auto app = std::make_unique<RawApp>(port());
  app->send(commandFrame(kRequestFlightData));
  ASSERT_EQ(app->receive(kFlightRecordSize).size(), kFlightRecordSize);

  std::string queued;
  for (int i = 0; i < 300; ++i) queued += commandFrame(kRequestFlightData);
  app->send(queued);
  ASSERT_TRUE(app->replyWaiting()) << "the first queued request was not answered";
  GetParam().leave(app->releaseSocket());

  EXPECT_TRUE(countIs(0, milliseconds(3000))) << "the serving thread went on after its app had gone";
}

INSTANTIATE_TEST_SUITE_P(AppFaults, AppLeavingWithRequestsQueued,
                         ::testing::Values(LeavingApp{"close", closeTcpSocket},
                                           LeavingApp{"reset", resetTcpConnection}),
                         [](const ::testing::TestParamInfo<LeavingApp>& info) { return std::string(info.param.how); });

TEST_F(AppFaultTest, AcceptFailuresPauseInsteadOfSpinningAndTheListenerRecovers) {
  RawApp served(port());
  served.sync();
  // The log's lines are counted on standard output: its file cannot be
  // opened while descriptors are out.
  LogCapture log;
  ::testing::internal::CaptureStdout();
  if (!limitOpenDescriptors(1)) {
    ::testing::internal::GetCapturedStdout();
    GTEST_SKIP() << "no descriptor limit to lower here";
  }
  // The app takes the last descriptor, so its connection waits to be
  // accepted while every accept fails for want of one.
  RawApp waiting(port());
  const double cpuBefore = currentProcessUsage().cpuSeconds;
  std::this_thread::sleep_for(seconds(2));  // the window whose CPU time is measured
  const double cpuSpent = currentProcessUsage().cpuSeconds - cpuBefore;
  restoreDescriptorLimit();
  const std::string printed = ::testing::internal::GetCapturedStdout();
  RecordProperty("cpuSecondsWhileAcceptsFail", std::to_string(cpuSpent));
  // A pause after every failure allows about 20 in 2 s; the line for the
  // 100th in a row shows a listener that pauses only now and then.
  EXPECT_NE(printed.find("Orvx Socket: accept failed\n"), std::string::npos) << "no accept failed";
  EXPECT_EQ(printed.find("times in a row"), std::string::npos) << "accepts failed without a pause after each";

  EXPECT_TRUE(waiting.connected());
  EXPECT_LT(cpuSpent, 0.2) << "failing accepts used " << cpuSpent << " s of CPU in 2 s";
  waiting.sync();  // accepted once descriptors are there again
  served.sync();
}

}  // namespace
