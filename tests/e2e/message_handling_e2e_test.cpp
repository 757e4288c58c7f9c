// The bridge's handling of the simulator's messages, end to end: a "Frame"
// of either kind asks for data, the first delivery only starts the app
// listener, data answering another request is ignored, a title must end
// inside its field, the aircraft's file is read once per change rather than on
// every frame, and an aircraft path keeps every byte of its field.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bridge/flight_record.h"
#include "bridge/shared_state.h"
#include "bridge/sim_catalogue.h"
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

// A block whose title has `letters` letters: zero-terminated when shorter
// than its 256-byte field, filling it otherwise. The latitude 12.5 marks it
// in the record; its low four bytes, right after the title field, are zero,
// where a check that looked past the field would find a terminator.
std::vector<uint8_t> titledBlock(size_t letters) {
  std::vector<uint8_t> block = foreignBlock();
  std::memset(block.data(), 'T', letters);
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

TEST_F(MessageHandling, TitleMustEndInsideItsField) {
  struct Case {
    const char* what;
    size_t letters;
    bool built;
  };
  const Case cases[] = {{"255 letters and the terminator", 255, true}, {"256 letters, no terminator", 256, false}};
  const int client = startSilentLink();
  ASSERT_NE(client, 0);
  ASSERT_TRUE(sendFrame(client));
  ASSERT_TRUE(eventually([] { return listenerBoundPort() != 0; }, seconds(20))) << "the listener never started";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int32_t before = flightBuildCounter();
    ASSERT_TRUE(emulator_->sendRaw(
        client, simemu::objectDataMessage(kRequestUserAircraftData, kSimDataDefinition, 182, titledBlock(c.letters))));
    // The frame's own answer comes after the titled block on the link.
    ASSERT_TRUE(sendFrame(client));
    FlightRecord record{};
    ASSERT_TRUE(
        eventually([&] { return readFlightRecord(record) > before && record.latitudeDeg != 12.5; }, seconds(20)))
        << "the frame's data was never built";
    EXPECT_EQ(readFlightRecord(record) - before, c.built ? 2 : 1);
  }
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

TEST_F(MessageHandling, AircraftPathKeepsEveryByteOfItsField) {
  // Folders whose paths, with a final separator, fill the 260-byte field
  // exactly or leave one byte for the terminator. A byte lost at the end
  // would turn the path into its parent folder's, which holds other angles.
  const std::string outer = scratch_ + "/outer";
  std::filesystem::create_directories(outer);
  AircraftFile(outer).write(11.0);
  struct Case {
    const char* what;
    size_t length;
    simemu::TextEnding ending;
    double angle;
  };
  const Case cases[] = {{"259 bytes and the terminator", 259, simemu::TextEnding::kTerminated, 44.0},
                        {"all 260 bytes, no terminator", 260, simemu::TextEnding::kUnterminated, 33.0}};
  std::unique_ptr<AppClient> app = startFlightToApp();
  ASSERT_TRUE(app);
  const int client = emulator_->clientIds().front();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t folderNameLength = c.length - outer.size() - 2;  // two separators
    const std::string folder = outer + "/" + std::string(folderNameLength, 'f');
    std::filesystem::create_directories(folder);
    AircraftFile(folder).write(c.angle);
    std::string path = folder + "/";
    std::replace(path.begin(), path.end(), '/', '\\');
    ASSERT_EQ(path.size(), c.length);
    ASSERT_TRUE(emulator_->sendRaw(client, simemu::fileNameMessage(1, path, c.ending)));
    FlightRecord record{};
    EXPECT_TRUE(eventually([&] { return readFlightRecord(record) > 0 && record.flapMaxDetentAngleDeg == c.angle; },
                           seconds(20)))
        << "the angles of the folder the whole path names were never read; last seen " << record.flapMaxDetentAngleDeg;
  }
}

}  // namespace
