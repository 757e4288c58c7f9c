// The listener: connections counted as they come and go, the stop with a
// silent app, the drain order, a port already taken, a peer that vanishes.
#include <future>
#include <mutex>
#include <vector>

#include "bridge/shared_state.h"
#include "platform/socket_library.h"
#include "server/app_protocol.h"
#include "server/listener.h"
#include "server_test_support.h"

namespace {

// The app ports of the serving threads the drain joined, in join order.
std::mutex joinedLock;
std::vector<uint16_t> joinedPorts;

void noteJoined(uint16_t peerPort) {
  std::lock_guard<std::mutex> hold(joinedLock);
  joinedPorts.push_back(peerPort);
}

const char* const kCreated = "Orvx Socket: successfully created client serving thread";

using ListenerTest = ServerTest;

bool countIs(int32_t expected) {
  return waitUntil([&] { return connectedClientCount.load() == expected; });
}

TEST_F(ListenerTest, ConnectedClientCountFollowsThreeAppsAtOnce) {
  LogCapture log;
  RawApp first(port());
  RawApp second(port());
  RawApp third(port());
  ASSERT_TRUE(countIs(3));
  for (RawApp* app : {&first, &second, &third}) app->sync();  // all three served at once
  EXPECT_EQ(log.countLines(kCreated), 3u);

  second.close();
  EXPECT_TRUE(countIs(2));
  first.close();
  third.close();
  EXPECT_TRUE(countIs(0));
}

TEST_F(ListenerTest, StopReleasesASilentAppAndJoinsInStartOrder) {
  LogCapture log;
  RawApp silent(port());
  ASSERT_TRUE(countIs(1));
  RawApp busy(port());
  ASSERT_TRUE(countIs(2));

  std::atomic<bool> busyRunning{true};
  std::thread polling([&] {
    while (busyRunning.load()) {
      busy.send(commandFrame(kPeekFmcData));
      if (busy.receive(kFmcPeekSize).size() != kFmcPeekSize) return;
    }
  });

  joinedPorts.clear();
  observeServingThreadJoins(noteJoined);
  auto stopped = std::async(std::launch::async, stopListener);
  const bool completed = stopped.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  busyRunning.store(false);
  polling.join();
  ASSERT_TRUE(completed) << "the stop never completed";

  observeServingThreadJoins(nullptr);
  EXPECT_EQ(joinedPorts, (std::vector<uint16_t>{silent.localPort(), busy.localPort()}));
  EXPECT_TRUE(silent.closedByBridge());
  EXPECT_EQ(connectedClientCount.load(), 0);
  EXPECT_FALSE(listenerRunning.load());
  EXPECT_EQ(log.countLines("Orvx Socket: listening socket was closed"), 1u);
  EXPECT_EQ(log.countLines("Orvx Socket: ended client serving thread"), 2u);
}

TEST_F(ListenerTest, SendToAnAppThatHasGoneLeavesTheProcessRunning) {
  {
    RawApp app(port());
    ASSERT_TRUE(countIs(1));
    std::string requests;
    for (int i = 0; i < 20; ++i) requests += commandFrame(kRequestFlightData);
    app.send(requests);
  }  // closed before the replies arrive: every send after the first meets a dead peer
  EXPECT_TRUE(countIs(0));
  RawApp next(port());
  next.sync();
}

// The bridge closes app connections first at a stop, leaving them in
// TIME_WAIT on its side; a new run must still bind the same port at once.
TEST_F(ListenerTest, SamePortBindsAgainRightAfterAStopThatClosedApps) {
  const uint16_t samePort = port();
  {
    RawApp app(samePort);
    app.sync();
    stopListener();
    EXPECT_TRUE(app.closedByBridge());
  }
  ASSERT_TRUE(startListenerThread(samePort));
  ASSERT_TRUE(waitUntil([&] { return listenerBoundPort() == samePort; })) << "port " << samePort << " not bound again";
  RawApp again(samePort);
  again.sync();
}

// The listener tells the log and the status display that it listens, and on
// which port and addresses.
TEST(ListenerPortTest, ListeningIsLoggedWithItsPortAndShownToTheDisplay) {
  startSocketLibrary();
  LogCapture log;
  ASSERT_TRUE(startListenerThread(0));
  ASSERT_TRUE(waitUntil([] { return listenerBoundPort() != 0; })) << "the listener never listened";
  const std::string port = std::to_string(listenerBoundPort());
  EXPECT_EQ(log.countLines("Orvx Socket: listening on port " + port + " (this PC's network addresses: "), 1u);
  EXPECT_EQ(appPortState().phase, AppPortPhase::kListening);
  stopListener();
  stopSocketLibrary();
}

// A port another program holds: the log keeps its own line and adds the
// system's reason after it; the display learns that it is the address in use,
// not some other failure, and the next listener that binds clears that.
TEST(ListenerPortTest, PortAlreadyTakenLogsBindFailedWithTheReasonAndStopStillCompletes) {
  startSocketLibrary();
  LogCapture log;
  const TcpSocket taken = createTcpSocket();
  ASSERT_TRUE(bindTcpSocket(taken, kIpv4AnyAddress, 0));
  ASSERT_TRUE(listenTcpSocket(taken, 1));
  const uint16_t takenPort = tcpLocalPort(taken);

  ASSERT_TRUE(startListenerThread(takenPort));
  ASSERT_TRUE(waitUntil([&] { return log.countLines("Orvx Socket: bind failed") == 1; }))
      << "the bind failure was never logged";
  EXPECT_EQ(listenerBoundPort(), 0);
  EXPECT_TRUE(listenerRunning.load()) << "the flag stays set, so the listener is not started again";
  const AppPortState state = appPortState();
  EXPECT_EQ(state.phase, AppPortPhase::kFailed);
  EXPECT_TRUE(state.addressInUse) << "the status display must learn that another program holds the port";
  EXPECT_FALSE(state.errorText.empty());
  EXPECT_EQ(log.messageAfter("Orvx Socket: bind failed")
                .find("Orvx Socket: port " + std::to_string(takenPort) + " cannot be opened: " + state.errorText +
                      " (error "),
            0u);

  auto stopped = std::async(std::launch::async, stopListener);
  EXPECT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the stop never completed";
  EXPECT_FALSE(listenerRunning.load());
  closeTcpSocket(taken);

  ASSERT_TRUE(startListenerThread(0));
  EXPECT_TRUE(waitUntil([] { return listenerBoundPort() != 0; })) << "the listener never listened";
  EXPECT_EQ(appPortState().phase, AppPortPhase::kListening);
  stopListener();
  stopSocketLibrary();
}

}  // namespace
