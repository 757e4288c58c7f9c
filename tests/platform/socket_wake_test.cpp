// A socket wait that another thread can cut short: what ends it, that a
// signal is used up by the wait it ends, and that the socket is left
// blocking for the receives that follow.
#include "platform/socket_wake.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/socket_library.h"
#include "platform/test_socket_pair.h"

namespace {

class SocketWakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startSocketLibrary();
    ASSERT_TRUE(makeConnectedSocketPair(waiting_, peer_));
    wake_ = createSocketWake();
    ASSERT_NE(wake_, nullptr);
  }
  void TearDown() override {
    closeSocketWake(wake_);
    closeTcpSocket(waiting_);
    closeTcpSocket(peer_);
    stopSocketLibrary();
  }

  TcpSocket waiting_ = kInvalidTcpSocket;
  TcpSocket peer_ = kInvalidTcpSocket;
  SocketWake* wake_ = nullptr;
};

TEST_F(SocketWakeTest, EndsForDataOrASignalAndUsesTheSignalUp) {
  struct Row {
    const char* what;
    bool data;
    bool signal;
    SocketWaitEnd first;
    SocketWaitEnd second;  // a second wait, with nothing new
  };
  const Row rows[] = {
      {"nothing", false, false, SocketWaitEnd::timedOut, SocketWaitEnd::timedOut},
      {"data", true, false, SocketWaitEnd::readable, SocketWaitEnd::readable},
      {"a signal", false, true, SocketWaitEnd::woken, SocketWaitEnd::timedOut},
      {"both", true, true, SocketWaitEnd::woken, SocketWaitEnd::readable},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TearDown();
    SetUp();
    if (row.data) {
      ASSERT_EQ(sendOnTcpSocket(peer_, "x", 1), 1);
    }
    if (row.signal) signalSocketWake(wake_);
    // Data sent to a loopback peer may take a moment to be readable.
    EXPECT_EQ(waitTcpReadableOrWoken(waiting_, wake_, row.data && !row.signal ? 5000 : 50), row.first);
    EXPECT_EQ(waitTcpReadableOrWoken(waiting_, wake_, 50), row.second);
  }
}

// A wait as long as a minute must end when another thread signals; the
// receive after it must block until data comes rather than fail at once.
TEST_F(SocketWakeTest, ASignalFromAnotherThreadEndsALongWaitAndTheSocketStaysBlocking) {
  const auto start = std::chrono::steady_clock::now();
  std::thread signaller([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    signalSocketWake(wake_);
  });
  EXPECT_EQ(waitTcpReadableOrWoken(waiting_, wake_, 60000), SocketWaitEnd::woken);
  signaller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "the signal did not end the wait";

  std::thread sender([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    sendOnTcpSocket(peer_, "y", 1);
  });
  char byte = 0;
  EXPECT_EQ(receiveFromTcpSocket(waiting_, &byte, 1), 1) << "the receive did not wait for the data";
  EXPECT_EQ(byte, 'y');
  sender.join();
}

}  // namespace
