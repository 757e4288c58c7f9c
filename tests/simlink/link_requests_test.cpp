// The request packets a link writes, byte for byte, with their send ids, over
// a named pipe reached through a "SimConnect.cfg" in the current directory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link_test_support.h"
#include "simlink/link_process.h"
#include "simlink/simconnect.h"
#include "simlink/wire.h"

namespace {

class LinkRequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folders.ready());
    const std::string pipeName = uniqueName("orvx-requests");
    simulator = ScriptedSimulator::onPipe(localPipePath(pipeName));
    ASSERT_NE(simulator, nullptr);
    folders.writeConfig(folders.currentDirectory(), "[SimConnect]\nProtocol=Pipe\nPort=" + pipeName + "\n");
  }

  void TearDown() override {
    if (link != nullptr) {
      EXPECT_EQ(SimConnect_Close(link), kSimConnectOk);
    }
  }

  // Opens the link and checks the open request it sends first.
  void openAs(const std::string& name) {
    ASSERT_EQ(SimConnect_Open(&link, name.c_str(), nullptr, 0, nullptr, 0), kSimConnectOk);
    ASSERT_TRUE(simulator->accept());
    Bytes expected = requestImage(296, simwire::kOpen, 1);
    putText(expected, 16, name);
    const uint8_t magic[4] = {0x00, 'H', 'K', 0x00};
    std::memcpy(expected.data() + 276, magic, 4);
    putU32(expected, 280, 11);
    putU32(expected, 284, 0);
    putU32(expected, 288, 62651);
    putU32(expected, 292, 3);
    EXPECT_EQ(simulator->readPacket(), expected);
  }

  ScratchFolders folders;
  std::unique_ptr<ScriptedSimulator> simulator;
  HANDLE link = nullptr;
};

TEST_F(LinkRequestsTest, EveryRequestKindIsWrittenByteForByteWithConsecutiveSendIds) {
  openAs("Orvxlink");

  ASSERT_EQ(SimConnect_AddToDataDefinition(link, 7, "PLANE ALTITUDE", "Feet", SIMCONNECT_DATATYPE_FLOAT64, 0.25f, 9),
            kSimConnectOk);
  Bytes expected = requestImage(544, simwire::kAddToDataDefinition, 2);
  putU32(expected, 16, 7);
  putText(expected, 20, "PLANE ALTITUDE");
  putText(expected, 276, "Feet");
  putU32(expected, 532, SIMCONNECT_DATATYPE_FLOAT64);
  putU32(expected, 536, 0x3E800000u);  // 0.25 as an IEEE single
  putU32(expected, 540, 9);
  EXPECT_EQ(simulator->readPacket(), expected);

  ASSERT_EQ(SimConnect_MapClientEventToSimEvent(link, 3, "AP_MASTER"), kSimConnectOk);
  expected = requestImage(276, simwire::kMapClientEventToSimEvent, 3);
  putU32(expected, 16, 3);
  putText(expected, 20, "AP_MASTER");
  EXPECT_EQ(simulator->readPacket(), expected);

  ASSERT_EQ(SimConnect_TransmitClientEvent(link, 0, 5, 0xFFFFFFFEu, 1, 0x10), kSimConnectOk);
  expected = requestImage(36, simwire::kTransmitClientEvent, 4);
  putU32(expected, 16, 0);
  putU32(expected, 20, 5);
  putU32(expected, 24, 0xFFFFFFFEu);
  putU32(expected, 28, 1);
  putU32(expected, 32, 0x10);
  EXPECT_EQ(simulator->readPacket(), expected);

  ASSERT_EQ(SimConnect_RequestDataOnSimObjectType(link, 1, 0, 0, SIMCONNECT_SIMOBJECT_TYPE_USER), kSimConnectOk);
  expected = requestImage(32, simwire::kRequestDataOnSimObjectType, 5);
  putU32(expected, 16, 1);
  EXPECT_EQ(simulator->readPacket(), expected);

  ASSERT_EQ(SimConnect_SubscribeToSystemEvent(link, 0, "Frame"), kSimConnectOk);
  expected = requestImage(276, simwire::kSubscribeToSystemEvent, 6);
  putText(expected, 20, "Frame");
  EXPECT_EQ(simulator->readPacket(), expected);

  ASSERT_EQ(SimConnect_RequestSystemState(link, 2, "AircraftLoaded"), kSimConnectOk);
  expected = requestImage(276, simwire::kRequestSystemState, 7);
  putU32(expected, 16, 2);
  putText(expected, 20, "AircraftLoaded");
  EXPECT_EQ(simulator->readPacket(), expected);
}

TEST_F(LinkRequestsTest, NullUnitsGiveAnEmptyFieldAndEpsilonIsASingle) {
  openAs("Orvxlink");
  ASSERT_EQ(
      SimConnect_AddToDataDefinition(link, 0, "Title", nullptr, SIMCONNECT_DATATYPE_STRING256, -1.5f, 0xFFFFFFFFu),
      kSimConnectOk);
  Bytes expected = requestImage(544, simwire::kAddToDataDefinition, 2);
  putText(expected, 20, "Title");
  putU32(expected, 532, SIMCONNECT_DATATYPE_STRING256);
  putU32(expected, 536, 0xBFC00000u);  // -1.5f
  putU32(expected, 540, 0xFFFFFFFFu);
  EXPECT_EQ(simulator->readPacket(), expected);
}

TEST_F(LinkRequestsTest, OverlongNameIsRefusedButUsesUpItsSendId) {
  openAs("Orvxlink");
  const std::string longest(255, 'L');
  const std::string overlong(256, 'X');

  ASSERT_EQ(SimConnect_MapClientEventToSimEvent(link, 3, longest.c_str()), kSimConnectOk);
  Bytes expected = requestImage(276, simwire::kMapClientEventToSimEvent, 2);
  putU32(expected, 16, 3);
  putText(expected, 20, longest);
  EXPECT_EQ(simulator->readPacket(), expected);

  EXPECT_EQ(SimConnect_SubscribeToSystemEvent(link, 1, overlong.c_str()), kSimConnectNameTooLong);

  // The refused request sent nothing; the next one has id 4, not 3.
  ASSERT_EQ(SimConnect_TransmitClientEvent(link, 0, 3, 1, 1, 0), kSimConnectOk);
  const Bytes next = simulator->readPacket();
  ASSERT_EQ(next.size(), 36u);
  EXPECT_EQ(getU32(next, 8), simwire::kTransmitClientEvent);
  EXPECT_EQ(getU32(next, 12), 4u);
}

TEST_F(LinkRequestsTest, UnterminatedNameIsReadNoFurtherThanItsField) {
  openAs("Orvxlink");
  // 256 characters and no terminator at all: only those 256 may be read.
  auto* unterminated = new char[256];
  std::memset(unterminated, 'U', 256);
  EXPECT_EQ(SimConnect_RequestSystemState(link, 2, unterminated), kSimConnectNameTooLong);
  delete[] unterminated;
}

TEST_F(LinkRequestsTest, OverlongApplicationNameLeavesNoLinkOpen) {
  const std::string overlong(256, 'A');
  HANDLE refused = reinterpret_cast<HANDLE>(1);
  EXPECT_EQ(SimConnect_Open(&refused, overlong.c_str(), nullptr, 0, nullptr, 0), kSimConnectNameTooLong);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(openLinkCount(), 0);
  ASSERT_TRUE(simulator->accept());
  EXPECT_TRUE(simulator->sawClientClose());  // connected, then closed without a packet
}

}  // namespace
