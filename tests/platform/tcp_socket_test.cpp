// The timed send on a connection whose buffers are full: it waits for room,
// not for the app's bytes, for no longer than it was given, and sends as soon
// as the app reads.
#include "platform/tcp_socket.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/socket_library.h"
#include "platform/test_tcp_buffers.h"

namespace {

constexpr int kWaitMilliseconds = 300;

// A TCP connection over loopback, as apps make them, with small buffers on
// both sides so that they fill soon.
bool connectOverLoopback(TcpSocket& bridgeEnd, TcpSocket& appEnd) {
  const TcpSocket listening = createTcpSocket();
  const Ipv4Address loopback = ipv4AddressFromText("127.0.0.1");
  appEnd = createTcpSocket();
  bridgeEnd = kInvalidTcpSocket;
  if (listening != kInvalidTcpSocket && appEnd != kInvalidTcpSocket && bindTcpSocket(listening, loopback, 0) &&
      listenTcpSocket(listening, 1)) {
    setTcpReceiveBufferSize(appEnd, 8 * 1024);
    if (connectTcpSocket(appEnd, loopback, tcpLocalPort(listening))) bridgeEnd = acceptTcpConnection(listening);
  }
  if (listening != kInvalidTcpSocket) closeTcpSocket(listening);
  if (bridgeEnd != kInvalidTcpSocket) setTcpSendBufferSize(bridgeEnd, 16 * 1024);
  return bridgeEnd != kInvalidTcpSocket;
}

class TimedSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startSocketLibrary();
    ASSERT_TRUE(connectOverLoopback(bridgeEnd_, appEnd_));
    // Full once a pass finds no room even after the connection has settled.
    const std::vector<uint8_t> filler(64 * 1024, 0xAB);
    for (bool sentSome = true; sentSome;) {
      sentSome = false;
      for (size_t piece : {filler.size(), size_t{1}}) {
        while (sendOnTcpSocketWithin(bridgeEnd_, filler.data(), piece, 0) > 0) sentSome = true;
      }
      sleepMilliseconds(50);
    }
  }
  void TearDown() override {
    closeTcpSocket(bridgeEnd_);
    closeTcpSocket(appEnd_);
    stopSocketLibrary();
  }

  TcpSocket bridgeEnd_ = kInvalidTcpSocket;
  TcpSocket appEnd_ = kInvalidTcpSocket;
};

TEST_F(TimedSendTest, WithoutRoomItWaitsForRoomNotForTheAppsBytes) {
  struct Case {
    const char* what;
    bool appSends;  // bytes for the bridge to read arrive before the send
    bool appReads;  // the app reads while the send waits
    bool sends;
  };
  const Case cases[] = {
      {"the app is silent and reads nothing", false, false, false},
      {"the app sends but reads nothing", true, false, false},
      {"the app reads while the send waits", false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    if (c.appSends) {
      ASSERT_EQ(sendOnTcpSocket(appEnd_, "rSIMDATA30", 10), 10);
    }
    std::atomic<bool> sendReturned{false};
    std::thread reader;
    if (c.appReads) {
      reader = std::thread([&] {
        sleepMilliseconds(50);
        std::vector<uint8_t> piece(64 * 1024);
        while (!sendReturned.load() && waitTcpReadable(appEnd_, 10)) {
          receiveFromTcpSocket(appEnd_, piece.data(), piece.size());
        }
      });
    }
    const uint8_t record[2280] = {};
    const auto started = std::chrono::steady_clock::now();
    const long sent = sendOnTcpSocketWithin(bridgeEnd_, record, sizeof record, kWaitMilliseconds);
    const auto waited = std::chrono::steady_clock::now() - started;
    sendReturned = true;
    if (reader.joinable()) reader.join();
    if (c.sends) {
      EXPECT_GT(sent, 0) << "room came back during the wait but nothing was sent";
    } else {
      EXPECT_EQ(sent, 0);
      // A lower bound only: a loaded machine makes the wait longer, never shorter.
      EXPECT_GE(waited, std::chrono::milliseconds(kWaitMilliseconds - 20)) << "gave up before its time";
    }
  }
}

}  // namespace
