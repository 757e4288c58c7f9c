// The server-side stream layer the emulator stands on: prompt stop of a
// blocked accept, shutdown of a blocked read, end of stream, bulk transfer,
// on TCP and on the local pipe.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <vector>

#include "platform/socket_library.h"
#include "platform/stream_server.h"
#include "tests/sim/sim_test_support.h"

namespace simtest {
namespace {

constexpr auto kDeadline = std::chrono::seconds(10);

struct Endpoint {
  std::unique_ptr<StreamListener> listener;
  std::string pipePath;  // empty for TCP
};

class StreamLayerTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    startSocketLibrary();
    std::string error;
    if (GetParam()) {
      endpoint_.pipePath = uniquePipeName();
      endpoint_.listener = StreamListener::listenPipe(endpoint_.pipePath, &error);
    } else {
      endpoint_.listener = StreamListener::listenTcp(4, "127.0.0.1", 0, &error);
    }
    ASSERT_NE(endpoint_.listener, nullptr) << error;
  }
  void TearDown() override {
    endpoint_.listener.reset();
    stopSocketLibrary();
  }

  std::unique_ptr<StreamConnection> connectClient() {
    return GetParam() ? StreamConnection::connectPipe(endpoint_.pipePath, nullptr)
                      : StreamConnection::connectTcp(4, "127.0.0.1", endpoint_.listener->boundPort(), nullptr);
  }

  // Connects a client and accepts it on the server side.
  bool connectPair(std::unique_ptr<StreamConnection>* client, std::unique_ptr<StreamConnection>* server) {
    auto accepted = std::async(std::launch::async, [&] { return endpoint_.listener->acceptNext(); });
    *client = connectClient();
    if (accepted.wait_for(kDeadline) != std::future_status::ready) return false;
    *server = accepted.get();
    return *client != nullptr && *server != nullptr;
  }

  Endpoint endpoint_;
};

TEST_P(StreamLayerTest, StopEndsABlockedAccept) {
  auto accepting = std::async(std::launch::async, [&] { return endpoint_.listener->acceptNext(); });
  EXPECT_EQ(accepting.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  endpoint_.listener->stop();
  ASSERT_EQ(accepting.wait_for(kDeadline), std::future_status::ready) << "stop() left accept blocked";
  EXPECT_EQ(accepting.get(), nullptr);
}

TEST_P(StreamLayerTest, ShutdownEndsABlockedReadAndPeerCloseReadsAsEnd) {
  std::unique_ptr<StreamConnection> client, server;
  ASSERT_TRUE(connectPair(&client, &server));
  char byte = 0;
  auto reading = std::async(std::launch::async, [&] { return server->readSome(&byte, 1); });
  EXPECT_EQ(reading.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  server->shutdownBoth();
  ASSERT_EQ(reading.wait_for(kDeadline), std::future_status::ready) << "shutdownBoth() left a read blocked";
  EXPECT_EQ(reading.get(), -1);
  EXPECT_FALSE(server->writeAll("x", 1));

  char buffer[16];
  auto clientReading = std::async(std::launch::async, [&] { return client->readSome(buffer, sizeof buffer); });
  server.reset();  // the server closes
  ASSERT_EQ(clientReading.wait_for(kDeadline), std::future_status::ready);
  EXPECT_LE(clientReading.get(), 0);
}

TEST_P(StreamLayerTest, LargeTransfersArriveWholeAndInOrder) {
  std::unique_ptr<StreamConnection> client, server;
  ASSERT_TRUE(connectPair(&client, &server));
  std::vector<uint8_t> sent(1 << 20);
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(i * 7 + i / 251);
  auto writing = std::async(std::launch::async, [&] { return server->writeAll(sent.data(), sent.size()); });
  std::vector<uint8_t> received;
  std::vector<uint8_t> chunk(70000);
  while (received.size() < sent.size()) {
    const long got = client->readSome(chunk.data(), chunk.size());
    ASSERT_GT(got, 0) << "stream ended after " << received.size() << " bytes";
    received.insert(received.end(), chunk.begin(), chunk.begin() + got);
  }
  ASSERT_EQ(writing.wait_for(kDeadline), std::future_status::ready);
  EXPECT_TRUE(writing.get());
  EXPECT_EQ(received, sent);
}

INSTANTIATE_TEST_SUITE_P(TcpAndPipe, StreamLayerTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Pipe" : "Tcp"; });

}  // namespace
}  // namespace simtest
