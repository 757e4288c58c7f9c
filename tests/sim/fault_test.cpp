// The emulator's fault injection: each fault puts exactly the bytes it
// promises on the wire, or holds, splits, joins or cuts the stream.
#include <gtest/gtest.h>

#include <algorithm>

#include "simlink/simconnect.h"
#include "simlink/wire.h"
#include "tests/sim/sim_test_support.h"
#include "tests/sim/test_sim_client.h"

namespace simtest {
namespace {

constexpr unsigned kDeadlineMs = 5000;

// Every fault is checked over TCP and over the local pipe.
class SimFaultTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    simemu::SimEmulatorOptions options = testOptions();
    options.listenPipe = GetParam();
    options.listenTcp4 = !GetParam();
    options.pipeName = uniquePipeName();
    emulator_ = startEmulator(options);
    ASSERT_NE(emulator_, nullptr);
    client_ =
        GetParam() ? TestSimClient::overPipe(emulator_->pipeName()) : TestSimClient::overTcp(4, emulator_->tcp4Port());
    ASSERT_NE(client_, nullptr);
    client_->send(openRequest(1, "fault test"));
    ASSERT_FALSE(client_->takeMessage(SIMCONNECT_RECV_ID_OPEN, kDeadlineMs).empty());
    clientId_ = emulator_->clientIds().at(0);
    openBytes_ = client_->rawBytes(0, 0).size();
  }

  // The bytes that arrived after the OPEN reply.
  Bytes bytesAfterOpen(size_t atLeast) {
    const Bytes raw = client_->rawBytes(openBytes_ + atLeast, kDeadlineMs);
    return Bytes(raw.begin() + static_cast<std::ptrdiff_t>(openBytes_), raw.end());
  }

  std::unique_ptr<simemu::SimEmulator> emulator_;
  std::unique_ptr<TestSimClient> client_;
  int clientId_ = 0;
  size_t openBytes_ = 0;
};

TEST_P(SimFaultTest, OversizeMessageIsAHeaderWithTooLargeASize) {
  ASSERT_TRUE(emulator_->sendOversizeMessage(clientId_));
  const Bytes bytes = bytesAfterOpen(12);
  ASSERT_EQ(bytes.size(), 12u);
  EXPECT_EQ(u32At(bytes, 0), 41089u);
  EXPECT_EQ(u32At(bytes, 8), static_cast<uint32_t>(SIMCONNECT_RECV_ID_EVENT));
}

TEST_P(SimFaultTest, UndersizeMessageHasASizeBelowFour) {
  ASSERT_TRUE(emulator_->sendUndersizeMessage(clientId_, 3));
  const Bytes bytes = bytesAfterOpen(12);
  ASSERT_EQ(bytes.size(), 12u);
  EXPECT_EQ(u32At(bytes, 0), 3u);
}

TEST_P(SimFaultTest, ShortMessagesAreWholeButHeaderless) {
  for (uint32_t length : {4u, 11u}) {
    const size_t before = client_->rawBytes(0, 0).size();
    ASSERT_TRUE(emulator_->sendShortMessage(clientId_, length));
    const Bytes raw = client_->rawBytes(before + length, kDeadlineMs);
    ASSERT_EQ(raw.size(), before + length);
    EXPECT_EQ(u32At(raw, before), length);
  }
}

TEST_P(SimFaultTest, UnknownKindIsAWellFramedMessage) {
  ASSERT_TRUE(emulator_->sendUnknownKindMessage(clientId_, 0x7777));
  const Bytes message = client_->takeMessage(0x7777, kDeadlineMs);
  ASSERT_EQ(message.size(), 16u);
  EXPECT_EQ(u32At(message, 0), 16u);
}

TEST_P(SimFaultTest, UnterminatedTextsFillTheirFieldsToTheEnd) {
  ASSERT_TRUE(emulator_->sendUnterminatedFileName(clientId_, 1));
  const Bytes fileName = client_->takeMessage(SIMCONNECT_RECV_ID_EVENT_FILENAME, kDeadlineMs);
  ASSERT_EQ(fileName.size(), 24u + 260u) << "the message must end with its text field";
  EXPECT_TRUE(std::none_of(fileName.begin() + 24, fileName.end(), [](uint8_t b) { return b == 0; }));

  ASSERT_TRUE(emulator_->sendUnterminatedSystemState(clientId_, 2));
  const Bytes state = client_->takeMessage(SIMCONNECT_RECV_ID_SYSTEM_STATE, kDeadlineMs);
  ASSERT_EQ(state.size(), 284u);
  EXPECT_TRUE(std::none_of(state.begin() + 24, state.end(), [](uint8_t b) { return b == 0; }));

  emulator_->setUnterminatedText(true);
  client_->send(addToDataDefinitionRequest(2, 0, "Title", "", SIMCONNECT_DATATYPE_STRING256));
  client_->send(requestDataRequest(3, 1, 0));
  const Bytes data = client_->takeMessage(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, kDeadlineMs);
  ASSERT_EQ(data.size(), 40u + 256u);
  EXPECT_TRUE(std::none_of(data.begin() + 40, data.end(), [](uint8_t b) { return b == 0; }));
}

TEST_P(SimFaultTest, SplitWritesDeliverAMessageInSeveralReads) {
  ASSERT_TRUE(emulator_->setSplitWrites(clientId_, 7));
  const size_t readsBefore = client_->readSizes().size();
  client_->send(systemStateRequest(2, 4, "AircraftLoaded"));
  const Bytes state = client_->takeMessage(SIMCONNECT_RECV_ID_SYSTEM_STATE, kDeadlineMs);
  ASSERT_EQ(state.size(), 284u);
  EXPECT_EQ(textAt(state, 24, 260), emulator_->aircraftFilePath());
  EXPECT_GE(client_->readSizes().size() - readsBefore, 2u) << "the message came in one piece";
}

TEST_P(SimFaultTest, MergedWritesJoinSeveralMessagesInOneWrite) {
  ASSERT_TRUE(emulator_->setMergedWrites(clientId_, 3));
  Bytes threeRequests;
  for (uint32_t i = 0; i < 3; ++i) {
    const Bytes request = systemStateRequest(2 + i, 10 + i, "AircraftLoaded");
    threeRequests.insert(threeRequests.end(), request.begin(), request.end());
  }
  const size_t readsBefore = client_->readSizes().size();
  client_->send(threeRequests);
  for (uint32_t i = 0; i < 3; ++i) {
    const Bytes state = client_->takeMessage(SIMCONNECT_RECV_ID_SYSTEM_STATE, kDeadlineMs);
    ASSERT_EQ(state.size(), 284u);
    EXPECT_EQ(u32At(state, 12), 10 + i) << "answers out of order";
  }
  const std::vector<size_t> reads = client_->readSizes();
  const size_t largest = *std::max_element(reads.begin() + static_cast<std::ptrdiff_t>(readsBefore), reads.end());
  EXPECT_GE(largest, 2u * 284u) << "no read carried more than one message";
}

TEST_P(SimFaultTest, StallHoldsMessagesBackThenSendsThem) {
  ASSERT_TRUE(emulator_->stallClient(clientId_, 600));
  client_->send(systemStateRequest(2, 5, "AircraftLoaded"));
  ASSERT_TRUE(emulator_->waitForRequests(simwire::kRequestSystemState, 1, kDeadlineMs));
  // The stall began before the request, so its answer cannot come this early.
  EXPECT_TRUE(client_->takeMessage(SIMCONNECT_RECV_ID_SYSTEM_STATE, 100).empty());
  EXPECT_EQ(client_->takeMessage(SIMCONNECT_RECV_ID_SYSTEM_STATE, kDeadlineMs).size(), 284u);
}

TEST_P(SimFaultTest, ClientThatTakesNothingIsCutOffRatherThanQueuedForEver) {
  ASSERT_TRUE(emulator_->stallClient(clientId_, 60000));
  for (int i = 0; i < 20001 && emulator_->sendUnknownKindMessage(clientId_); ++i) {
  }
  EXPECT_TRUE(client_->waitForClose(kDeadlineMs)) << "the emulator kept queueing for a client that reads nothing";
  EXPECT_TRUE(emulator_->waitForClients(0, kDeadlineMs));
}

TEST_P(SimFaultTest, DropLinkClosesTheConnection) {
  ASSERT_TRUE(emulator_->dropClient(clientId_));
  EXPECT_TRUE(client_->waitForClose(kDeadlineMs));
  EXPECT_TRUE(emulator_->waitForClients(0, kDeadlineMs));
  EXPECT_FALSE(emulator_->dropClient(clientId_));
}

INSTANTIATE_TEST_SUITE_P(TcpAndPipe, SimFaultTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Pipe" : "Tcp"; });

}  // namespace
}  // namespace simtest
