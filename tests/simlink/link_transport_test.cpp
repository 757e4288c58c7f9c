// The link's engine over both transports: framing of what the simulator
// sends, delivery by SimConnect_CallDispatch, failures and their codes, and
// closing.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "link_test_support.h"
#include "platform/notify_event.h"
#include "platform/test_socket_options.h"
#include "simlink/client_client.h"
#include "simlink/link_process.h"
#include "simlink/simconnect.h"

namespace {

enum class Transport { kTcp, kPipe };

class LinkTransportTest : public ::testing::TestWithParam<Transport> {
 protected:
  void SetUp() override { ASSERT_TRUE(folders.ready()); }

  void TearDown() override {
    if (link != nullptr) {
      EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
    }
    EXPECT_TRUE(eventually([] { return liveClientObjectCount() == 0; })) << "a link object was never freed";
  }

  // Serves the chosen transport, points the configuration at it (with any
  // extra lines) and opens a link, taking its open request.
  void open(const std::string& extraConfig = std::string(), HANDLE notifyEvent = nullptr) {
    std::string config = "[SimConnect]\n" + extraConfig;
    if (GetParam() == Transport::kTcp) {
      simulator = ScriptedSimulator::onTcp(IpVersion::kIpv4);
      ASSERT_NE(simulator, nullptr);
      config += ipv4ConfigLines(*simulator);
    } else {
      const std::string pipeName = uniqueName("orvx-transport");
      simulator = ScriptedSimulator::onPipe(localPipePath(pipeName));
      ASSERT_NE(simulator, nullptr);
      config += "Protocol=Pipe\nPort=" + pipeName + "\n";
    }
    folders.writeConfig(folders.currentDirectory(), config);
    ASSERT_EQ(SimConnect_Open(&link, "Orvxlink", nullptr, 0, notifyEvent, 0), kSimConnectOk);
    ASSERT_TRUE(simulator->accept());
    ASSERT_EQ(simulator->readPacket().size(), 296u);
  }

  uint32_t failureReason() const { return static_cast<ClientClient*>(link)->failureReason(); }

  ScratchFolders folders;
  std::unique_ptr<ScriptedSimulator> simulator;
  HANDLE link = nullptr;
  DispatchLog log;
};

INSTANTIATE_TEST_SUITE_P(BothTransports, LinkTransportTest, ::testing::Values(Transport::kTcp, Transport::kPipe),
                         [](const ::testing::TestParamInfo<Transport>& info) {
                           return info.param == Transport::kTcp ? "Tcp" : "Pipe";
                         });

bool gotMessages(const DispatchLog& log, size_t count) { return log.messages.size() >= count; }

// Far more request bytes than the transport buffers hold (about 1.6 MB), made
// while the simulator reads nothing: the writes wait for room, each one starts
// the next, and nothing is lost, repeated or reordered.
constexpr int kStalledRequests = 3000;

void queueStalledRequests(HANDLE link) {
  for (int i = 0; i < kStalledRequests; ++i) {
    ASSERT_EQ(SimConnect_AddToDataDefinition(link, 7, "PLANE ALTITUDE", "Feet", SIMCONNECT_DATATYPE_FLOAT64, 0.0f,
                                             static_cast<DWORD>(i)),
              kSimConnectOk);
  }
}

TEST_P(LinkTransportTest, WritesBeyondTheTransportBufferAllArriveInOrder) {
  open();
  queueStalledRequests(link);
  for (int i = 0; i < kStalledRequests; ++i) {
    const Bytes packet = simulator->readPacket();
    ASSERT_EQ(packet.size(), 544u) << "request " << i;
    EXPECT_EQ(getU32(packet, 12), static_cast<uint32_t>(i + 2)) << "send ids follow the open's";
    ASSERT_EQ(getU32(packet, 540), static_cast<uint32_t>(i)) << "the requests' own order";
  }
}

TEST_P(LinkTransportTest, CloseWithWritesPendingFreesTheLink) {
  open();
  queueStalledRequests(link);
  EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
  link = nullptr;  // TearDown: the link object must still be freed
}

TEST_P(LinkTransportTest, DisableNagleSwitchesNagleOffOnTheLinksSocket) {
  if (GetParam() != Transport::kTcp) GTEST_SKIP() << "sockets only";
  const int before = tcpSocketsWithNoDelay();
  if (before < 0) GTEST_SKIP() << "this platform cannot list its sockets";
  open();
  EXPECT_EQ(tcpSocketsWithNoDelay(), before) << "Nagle stays on unless asked";
  EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
  link = nullptr;
  open("DisableNagle=1\n");
  EXPECT_EQ(tcpSocketsWithNoDelay(), before + 1);
}

TEST_P(LinkTransportTest, MessagesArriveWholeAndInOrderAndIdleDispatchIsOk) {
  open();
  EXPECT_EQ(SimConnect_CallDispatch(
                link, [](SIMCONNECT_RECV*, DWORD, void*) { FAIL() << "nothing was sent"; }, nullptr),
            kSimConnectOk);

  const Bytes small = simulatorMessage(12, SIMCONNECT_RECV_ID_OPEN, 1);
  const Bytes event = simulatorMessage(24, SIMCONNECT_RECV_ID_EVENT, 2);
  const Bytes data = simulatorMessage(1688, SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, 3);
  ASSERT_TRUE(simulator->send(concat({small, event, data})));  // several messages in one write
  ASSERT_TRUE(dispatchUntil(link, log, [](const DispatchLog& l) { return gotMessages(l, 3); }));
  EXPECT_EQ(log.lastResult, kSimConnectOk);
  EXPECT_EQ(log.messages, (std::vector<Bytes>{small, event, data}));
}

TEST_P(LinkTransportTest, MessageSplitOverManyWritesIsDeliveredOnceWhole) {
  open();
  const Bytes large = simulatorMessage(6000, SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, 4);
  const Bytes after = simulatorMessage(16, SIMCONNECT_RECV_ID_EVENT, 5);
  for (size_t offset = 0; offset < large.size(); offset += 500) {
    const size_t end = offset + 500 < large.size() ? offset + 500 : large.size();
    ASSERT_TRUE(
        simulator->send(Bytes(large.begin() + static_cast<long>(offset), large.begin() + static_cast<long>(end))));
    ASSERT_TRUE(dispatchUntil(link, log, [](const DispatchLog&) { return true; }));  // interleave dispatches
  }
  ASSERT_TRUE(simulator->send(after));
  ASSERT_TRUE(dispatchUntil(link, log, [](const DispatchLog& l) { return gotMessages(l, 2); }));
  EXPECT_EQ(log.messages, (std::vector<Bytes>{large, after}));
}

TEST_P(LinkTransportTest, MessagesOfFourToElevenBytesAreNeverDelivered) {
  open();
  const Bytes delivered = simulatorMessage(12, SIMCONNECT_RECV_ID_QUIT, 6);
  ASSERT_TRUE(simulator->send(
      concat({simulatorMessage(4, 0, 7), simulatorMessage(8, 0, 8), simulatorMessage(11, 0, 9), delivered})));
  ASSERT_TRUE(dispatchUntil(link, log, [](const DispatchLog& l) { return gotMessages(l, 1); }));
  EXPECT_EQ(log.messages, std::vector<Bytes>{delivered});
  EXPECT_EQ(log.lastResult, kSimConnectOk);
}

// A size field above the limit (reason 1) or below four (reason 2) fails the
// link once what was queued before it is delivered.
TEST_P(LinkTransportTest, BadSizeFieldFailsTheLinkAfterWhatWasQueuedIsDelivered) {
  struct Case {
    uint32_t size;
    uint32_t reason;
  };
  for (const Case c : {Case{41089, 1}, Case{3, 2}}) {
    SCOPED_TRACE(c.size);
    open();
    log = DispatchLog{};
    const Bytes before = simulatorMessage(20, SIMCONNECT_RECV_ID_EVENT, 10);
    Bytes bad(8, 0);
    putU32(bad, 0, c.size);
    ASSERT_TRUE(simulator->send(concat({before, bad})));
    ASSERT_TRUE(dispatchUntilFailure(link, log));
    EXPECT_EQ(log.lastResult, kSimConnectAbort);
    EXPECT_EQ(failureReason(), c.reason);
    EXPECT_EQ(log.messages, std::vector<Bytes>{before});

    // From now on every request and dispatch reports the failure and nothing
    // more reaches the simulator, which sees the link close.
    EXPECT_EQ(SimConnect_RequestSystemState(link, 2, "AircraftLoaded"), kSimConnectAbort);
    EXPECT_EQ(SimConnect_CallDispatch(
                  link, [](SIMCONNECT_RECV*, DWORD, void*) {}, nullptr),
              kSimConnectAbort);
    EXPECT_TRUE(simulator->sawClientClose());
    EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
    link = nullptr;
  }
}

TEST_P(LinkTransportTest, PeerCloseFailsTheLinkWithTheTransportsCode) {
  open();
  const Bytes last = simulatorMessage(16, SIMCONNECT_RECV_ID_EVENT, 11);
  ASSERT_TRUE(simulator->send(last));
  simulator->closeConnection();
  ASSERT_TRUE(dispatchUntilFailure(link, log));
  EXPECT_EQ(log.messages, std::vector<Bytes>{last});
  if (GetParam() == Transport::kTcp) {
    EXPECT_EQ(static_cast<uint32_t>(log.lastResult), 0xC000013Eu);  // an empty read: the link failed
    EXPECT_EQ(failureReason(), 4u);
  } else {
    EXPECT_EQ(static_cast<uint32_t>(log.lastResult), 0xC000014Bu);  // the pipe broke
    EXPECT_EQ(failureReason(), 5u);
  }
}

// The simulator sends a message and then fails the link while the dispatch
// procedure is still busy with the message before it: the dispatch call that
// reports the failure must have delivered that message too.
enum class LateFault { kOversizedMessage, kPeerClose };

struct LateFaultContext {
  ScriptedSimulator* simulator;
  ClientClient* link;
  LateFault fault;
  Bytes late;
  DispatchLog log;
};

void sendLateMessageThenFail(SIMCONNECT_RECV* data, DWORD size, void* context) {
  auto& c = *static_cast<LateFaultContext*>(context);
  const auto* bytes = reinterpret_cast<const uint8_t*>(data);
  c.log.messages.emplace_back(bytes, bytes + size);
  if (c.log.messages.size() != 1) return;
  if (c.fault == LateFault::kOversizedMessage) {
    Bytes oversized(8, 0);
    putU32(oversized, 0, 41089);
    EXPECT_TRUE(c.simulator->send(concat({c.late, oversized})));
  } else {
    EXPECT_TRUE(c.simulator->send(c.late));
    c.simulator->closeConnection();
  }
  EXPECT_TRUE(eventually([&c] { return c.link->linkFailed(); })) << "the simulator's fault never failed the link";
}

TEST_P(LinkTransportTest, DispatchReportingAFailureHasDeliveredEverythingQueuedBeforeIt) {
  for (const LateFault fault : {LateFault::kOversizedMessage, LateFault::kPeerClose}) {
    SCOPED_TRACE(fault == LateFault::kOversizedMessage ? "oversized message" : "peer close");
    open();
    LateFaultContext context{simulator.get(), static_cast<ClientClient*>(link), fault,
                             simulatorMessage(20, SIMCONNECT_RECV_ID_EVENT, 30), DispatchLog{}};
    const Bytes first = simulatorMessage(16, SIMCONNECT_RECV_ID_EVENT, 31);
    ASSERT_TRUE(simulator->send(first));
    HRESULT result = kSimConnectOk;
    EXPECT_TRUE(eventually([&] {
      result = SimConnect_CallDispatch(link, sendLateMessageThenFail, &context);
      return result < 0;
    })) << "no dispatch reported the failure";
    EXPECT_EQ(context.log.messages, (std::vector<Bytes>{first, context.late}));
    EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
    link = nullptr;
  }
}

// A procedure that closes its own link is given nothing more of the batch,
// and its close neither waits for the link object the dispatch call still
// holds nor leaves the socket library started.
struct ClosingContext {
  HANDLE link;
  int calls = 0;
  HRESULT closeResult = kSimConnectFail;
  std::chrono::steady_clock::duration closeTook{};
};

void closeOwnLink(SIMCONNECT_RECV*, DWORD, void* context) {
  auto& c = *static_cast<ClosingContext*>(context);
  if (++c.calls != 1) return;
  const auto start = std::chrono::steady_clock::now();
  c.closeResult = SimConnect_Close(c.link);
  c.closeTook = std::chrono::steady_clock::now() - start;
}

TEST_P(LinkTransportTest, ClosingTheLinkInsideItsDispatchProcedureIsPromptAndEndsTheBatch) {
  open();
  ASSERT_TRUE(simulator->send(
      concat({simulatorMessage(16, SIMCONNECT_RECV_ID_EVENT, 40), simulatorMessage(16, SIMCONNECT_RECV_ID_EVENT, 41),
              simulatorMessage(16, SIMCONNECT_RECV_ID_EVENT, 42)})));
  auto* client = static_cast<ClientClient*>(link);
  ASSERT_TRUE(eventually([client] { return client->queuedMessageCount() == 3; }));
  ClosingContext context{link};
  link = nullptr;  // closed by the procedure
  EXPECT_EQ(SimConnect_CallDispatch(context.link, closeOwnLink, &context), kSimConnectOk);
  EXPECT_EQ(context.calls, 1);
  EXPECT_EQ(context.closeResult, kSimConnectOk);
  // The close pauses 100 ms; the object wait it must skip lasts 5 s.
  EXPECT_LT(context.closeTook, std::chrono::seconds(2));
  EXPECT_EQ(openLinkCount(), 0);
  EXPECT_EQ(liveClientObjectCount(), 0) << "the dispatch call returned before the last link object was freed";
  EXPECT_FALSE(linkSocketsStarted());
  EXPECT_TRUE(simulator->sawClientClose());
}

TEST_P(LinkTransportTest, PacketHandedOverAfterTheFailureIsDroppedUnwritten) {
  open();
  simulator->closeConnection();
  ASSERT_TRUE(dispatchUntilFailure(link, log));
  auto* node = new PacketNode;
  node->data = static_cast<uint8_t*>(std::malloc(16));
  node->size = 16;
  EXPECT_FALSE(static_cast<ClientClient*>(link)->enqueueSend(node));  // freed, not queued
}

TEST_P(LinkTransportTest, LargerConfiguredLimitAdmitsLargerMessagesButNeverBeyondTheBuffer) {
  open("MaxReceiveSize=4000000\n");
  const Bytes large = simulatorMessage(100000, SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, 12);
  ASSERT_TRUE(simulator->send(large));
  ASSERT_TRUE(dispatchUntil(link, log, [](const DispatchLog& l) { return gotMessages(l, 1); }));
  EXPECT_EQ(log.messages, std::vector<Bytes>{large});

  Bytes unholdable(8, 0);
  putU32(unholdable, 0, 2000000);  // allowed by the limit, larger than the buffer can ever grow
  ASSERT_TRUE(simulator->send(unholdable));
  ASSERT_TRUE(dispatchUntilFailure(link, log));
  EXPECT_EQ(log.lastResult, kSimConnectAbort);
  EXPECT_EQ(failureReason(), 1u);
}

TEST_P(LinkTransportTest, NotifyEventIsSignalledForEachArrival) {
  HANDLE event = createNotifyEvent();
  ASSERT_NE(event, nullptr);
  open(std::string(), event);
  ASSERT_TRUE(simulator->send(simulatorMessage(16, SIMCONNECT_RECV_ID_EVENT, 13)));
  EXPECT_TRUE(waitNotifyEvent(event, kTestWaitMilliseconds));
  ASSERT_TRUE(dispatchUntil(link, log, [](const DispatchLog& l) { return gotMessages(l, 1); }));
  EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
  link = nullptr;
  closeNotifyEvent(event);  // the closed link signals it no more
}

// A link that fails wakes the application through its event as an arrival
// does; its session would otherwise sleep until its next safety dispatch.
TEST_P(LinkTransportTest, NotifyEventIsSignalledWhenTheLinkFails) {
  struct Case {
    const char* what;
    uint32_t sizeField;  // of a message sent first; 0: none
    bool closeAfter;
  };
  const Case cases[] = {{"the simulator closes its end", 0, true},
                        {"a size field above the limit", 41089, false},
                        {"a size field below a header", 2, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HANDLE event = createNotifyEvent();
    ASSERT_NE(event, nullptr);
    open(std::string(), event);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(waitNotifyEvent(event, 0)) << "signalled before anything happened";
    if (c.sizeField != 0) {
      Bytes message(8, 0);
      putU32(message, 0, c.sizeField);
      ASSERT_TRUE(simulator->send(message));
    }
    if (c.closeAfter) simulator->closeConnection();
    EXPECT_TRUE(waitNotifyEvent(event, kTestWaitMilliseconds)) << "the failure woke nobody";
    EXPECT_TRUE(eventually([&] { return static_cast<ClientClient*>(link)->linkFailed(); }));
    EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
    link = nullptr;
    closeNotifyEvent(event);
  }
}

TEST_P(LinkTransportTest, CloseAcceptsLiveHandlesAndRefusesNull) {
  EXPECT_EQ(SimConnect_Close(nullptr), kSimConnectFail);
  EXPECT_EQ(SimConnect_CallDispatch(
                nullptr, [](SIMCONNECT_RECV*, DWORD, void*) {}, nullptr),
            kSimConnectFail);
  EXPECT_EQ(SimConnect_RequestSystemState(nullptr, 2, "Sim"), kSimConnectFail);
  open();
  EXPECT_EQ(SimConnect_CallDispatch(link, nullptr, nullptr), kSimConnectFail);  // no procedure
  EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
  link = nullptr;
  EXPECT_TRUE(simulator->sawClientClose());
  EXPECT_EQ(openLinkCount(), 0);
}

TEST(LinkSocketLibraryTest, OnlyTheLastLinkToCloseCleansTheSocketLibraryUp) {
  ScratchFolders folders;
  ASSERT_TRUE(folders.ready());
  auto simulator = serveConfiguredIpv4(folders);
  ASSERT_NE(simulator, nullptr);
  HANDLE first = nullptr;
  HANDLE second = nullptr;
  ASSERT_EQ(SimConnect_Open(&first, "One", nullptr, 0, nullptr, 0), kSimConnectOk);
  ASSERT_EQ(SimConnect_Open(&second, "Two", nullptr, 0, nullptr, 0), kSimConnectOk);
  EXPECT_TRUE(linkSocketsStarted());
  EXPECT_EQ(SimConnect_Close(first), kSimConnectOk);
  EXPECT_TRUE(linkSocketsStarted());
  EXPECT_EQ(SimConnect_Close(second), kSimConnectOk);
  EXPECT_FALSE(linkSocketsStarted());
  EXPECT_EQ(liveClientObjectCount(), 0);
}

}  // namespace
