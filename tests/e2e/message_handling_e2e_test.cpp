// The bridge's handling of the simulator's messages, end to end: a "Frame"
// of either kind asks for data, the first delivery only starts the app
// listener, data answering another request is ignored, and the aircraft's
// file is read once per change rather than on every frame.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bridge/flight_record.h"
#include "bridge/shared_state.h"
#include "server/listener.h"
#include "tests/e2e/bridge_fixture.h"
#include "tools/sim/sim_messages.h"

namespace {

using std::chrono::seconds;

// A data block the emulator never sends: a title of its own and a latitude
// no flight reaches.
std::vector<uint8_t> foreignBlock() {
  std::vector<uint8_t> block(1688, 0);
  std::memcpy(block.data(), "Foreign", 7);
  const double latitude = 12.5;
  std::memcpy(block.data() + 256, &latitude, sizeof latitude);
  return block;
}

class MessageHandling : public BridgeEndToEnd {
 protected:
  bool sendFrame(int client) { return emulator_->sendRaw(client, simemu::frameMessage(0, 30.0f, 1.0f)); }
};

TEST_F(MessageHandling, FrameOfEitherKindAsksForData) {
  for (simemu::FrameEventKind kind : {simemu::FrameEventKind::kFrameEvent, simemu::FrameEventKind::kPlainEvent}) {
    SCOPED_TRACE(kind == simemu::FrameEventKind::kFrameEvent ? "frame record" : "plain event record");
    startEmulator(tcpEmulator());
    emulator_->setFrameEventKind(kind);
    pointBridgeAtEmulatorTcp();
    startBridgeHere();
    EXPECT_TRUE(eventually([] { return flightBuildCounter() >= 5; }, seconds(20)))
        << "frames never led to built records";
    stopBridgeHere();
    emulator_->stop();
    emulator_.reset();
  }
}

TEST_F(MessageHandling, FirstDeliveryOnlyStartsTheListenerAndOtherRequestsAreIgnored) {
  const int client = startSilentLink();
  ASSERT_NE(client, 0);
  ASSERT_TRUE(eventually([] { return simConnected.load(); }, seconds(20)));
  AppClient early;
  EXPECT_FALSE(early.connect("127.0.0.1", appPort_)) << "no listener before the first data block";

  ASSERT_TRUE(sendFrame(client));
  ASSERT_TRUE(eventually([] { return listenerBoundPort() != 0; }, seconds(20))) << "the listener never started";
  EXPECT_EQ(flightBuildCounter(), 0) << "the first delivery builds no record";
  EXPECT_NE(connectApp(), nullptr) << "no app could connect once the listener started";

  // Data for request 3 and a state answer for request 5 come first, then a
  // real frame: only the frame's answer may be built.
  ASSERT_TRUE(emulator_->sendRaw(client, simemu::objectDataMessage(3, 0, 182, foreignBlock())));
  ASSERT_TRUE(emulator_->sendRaw(
      client, simemu::systemStateMessage(5, 0, 0.0f, "X:\\Other\\aircraft.cfg", simemu::TextEnding::kTerminated)));
  ASSERT_TRUE(sendFrame(client));
  FlightRecord record{};
  ASSERT_TRUE(eventually([&] { return readFlightRecord(record) >= 1 && record.latitudeDeg != 12.5; }, seconds(20)))
      << "the frame's data was never built";
  EXPECT_EQ(readFlightRecord(record), 1) << "data answering request 3 was built too";
  EXPECT_NE(record.latitudeDeg, 12.5);
}

// The aircraft's file in a folder of the test's own, named the way the
// simulator names it (with backslashes).
class AircraftFile {
 public:
  explicit AircraftFile(const std::string& folder) : folder_(folder) {}

  // Every detent at the same angle, so the record's angles show it whatever
  // the emulator's flap lever does.
  void write(double angle) const {
    std::ofstream file(folder_ + "/aircraft.cfg", std::ios::trunc);
    file << "[FLAPS.0]\ntype = 1\n";
    for (int detent = 0; detent < 20; ++detent) file << "flaps-position." << detent << " = " << angle << "\n";
  }

  std::string simulatorPath() const {
    std::string path = folder_ + "/aircraft.cfg";
    for (char& c : path)
      if (c == '/') c = '\\';
    return path;
  }

 private:
  std::string folder_;
};

TEST_F(MessageHandling, AircraftFileIsReadOncePerChange) {
  const AircraftFile aircraft(scratch_);
  aircraft.write(33.0);
  std::unique_ptr<AppClient> app = startFlightToApp();
  ASSERT_TRUE(app);
  const int client = emulator_->clientIds().front();
  const simemu::Message loaded = simemu::fileNameMessage(1, aircraft.simulatorPath(), simemu::TextEnding::kTerminated);

  ASSERT_TRUE(emulator_->sendRaw(client, loaded));
  FlightRecord record{};
  ASSERT_TRUE(
      eventually([&] { return readFlightRecord(record) > 0 && record.flapMaxDetentAngleDeg == 33.0; }, seconds(20)))
      << "the aircraft's file was never read";

  // Changed on disk without a new "AircraftLoaded": frames keep the angles.
  aircraft.write(44.0);
  const int32_t changedAt = flightBuildCounter();
  ASSERT_TRUE(eventually([&] { return readFlightRecord(record) >= changedAt + 10; }, seconds(20)));
  EXPECT_EQ(record.flapMaxDetentAngleDeg, 33.0) << "the file was read again without an aircraft change";

  ASSERT_TRUE(emulator_->sendRaw(client, loaded));
  EXPECT_TRUE(
      eventually([&] { return readFlightRecord(record) > 0 && record.flapMaxDetentAngleDeg == 44.0; }, seconds(20)))
      << "a new \"AircraftLoaded\" did not bring the file's new angles";
}

}  // namespace
