// The bridge end to end, against the simulator emulator: the handshake on the
// wire, data flowing to apps, an autopilot round trip, re-opening a lost link
// with apps kept, aircraft changes, hostile simulator input and shutdown.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bridge/aircraft_packages.h"
#include "bridge/shared_state.h"
#include "bridge/sim_catalogue.h"
#include "platform/clock.h"
#include "platform/known_folders.h"
#include "platform/test_listener.h"
#include "simlink/wire.h"
#include "tests/bridge/catalogue_reference.h"
#include "tests/e2e/bridge_fixture.h"
#include "tools/client/client_tool.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

uint32_t u32At(const std::vector<uint8_t>& raw, size_t offset) {
  uint32_t value;
  std::memcpy(&value, raw.data() + offset, 4);
  return value;
}

std::string textAt(const std::vector<uint8_t>& raw, size_t offset) {
  return std::string(reinterpret_cast<const char*>(raw.data()) + offset);
}

// The first link's requests, in order, as the emulator received them.
std::vector<simemu::LoggedRequest> firstClientRequests(const simemu::SimEmulator& emulator) {
  std::vector<simemu::LoggedRequest> requests;
  int firstClient = 0;
  for (const simemu::LoggedRequest& request : emulator.requestLog()) {
    if (firstClient == 0) firstClient = request.clientId;
    if (request.clientId == firstClient) requests.push_back(request);
  }
  return requests;
}

class Handshake : public BridgeEndToEnd {};

TEST_F(Handshake, OpenDefinitionsMappingsAndSubscriptionsAreByteExact) {
  startEmulator(tcpEmulator(0));
  pointBridgeAtEmulatorTcp();
  startBridgeHere();
  ASSERT_TRUE(emulator_->waitForRequests(simwire::kSubscribeToSystemEvent, 3, 20000));

  const std::vector<simemu::LoggedRequest> requests = firstClientRequests(*emulator_);
  ASSERT_GE(requests.size(), 1u + 182u + 17u + 3u);
  for (size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].sendId, i + 1) << "send ids run 1, 2, 3, ...";
    EXPECT_EQ(requests[i].version, simwire::kProtocolVersion);
  }

  const std::vector<uint8_t>& open = requests[0].raw;
  ASSERT_EQ(open.size(), simwire::kOpenSize);
  EXPECT_EQ(u32At(open, 0), simwire::kOpenSize);
  EXPECT_EQ(u32At(open, 8), simwire::kOpen);
  EXPECT_EQ(textAt(open, 16), "Orvxlink");
  for (size_t i = 16 + 8; i < 272; ++i) ASSERT_EQ(open[i], 0) << "name field zero-filled at " << i;
  const uint32_t fixedTail[] = {0, 0x004B4800u, 11, 0, 62651, 3};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(u32At(open, 272 + 4 * i), fixedTail[i]);

  // Against the published catalogue, not the bridge's own table.
  for (size_t i = 0; i < 182; ++i) {
    const catalogue_reference::Entry& expected = catalogue_reference::kEntries[i];
    const std::vector<uint8_t>& add = requests[1 + i].raw;
    ASSERT_EQ(add.size(), simwire::kAddToDataDefinitionSize) << "definition " << i + 1;
    EXPECT_EQ(u32At(add, 8), simwire::kAddToDataDefinition);
    EXPECT_EQ(u32At(add, 16), 0u) << "data definition 0";
    EXPECT_EQ(textAt(add, 20), expected.name);
    EXPECT_EQ(textAt(add, 276), expected.unit ? expected.unit : "") << expected.name;
    EXPECT_EQ(u32At(add, 532), expected.dataType) << expected.name;
    EXPECT_EQ(u32At(add, 536), 0u) << "epsilon 0.0f";
    EXPECT_EQ(u32At(add, 540), 0xFFFFFFFFu);
  }

  const char* const* events = catalogue_reference::kClientEvents;
  for (size_t i = 0; i < 17; ++i) {
    const std::vector<uint8_t>& map = requests[183 + i].raw;
    ASSERT_EQ(map.size(), simwire::kMapClientEventToSimEventSize);
    EXPECT_EQ(u32At(map, 8), simwire::kMapClientEventToSimEvent);
    EXPECT_EQ(u32At(map, 16), 3 + i);
    EXPECT_EQ(textAt(map, 20), events[i]);
  }
  const char* const* subscriptions = catalogue_reference::kSystemEvents;
  for (size_t i = 0; i < 3; ++i) {
    const std::vector<uint8_t>& subscribe = requests[200 + i].raw;
    ASSERT_EQ(subscribe.size(), simwire::kSubscribeToSystemEventSize);
    EXPECT_EQ(u32At(subscribe, 8), simwire::kSubscribeToSystemEvent);
    EXPECT_EQ(u32At(subscribe, 16), i);
    EXPECT_EQ(textAt(subscribe, 20), subscriptions[i]);
  }
}

class DataFlow : public BridgeEndToEnd {};

TEST_F(DataFlow, RecordsAgreeWithTheSimulatorFrameAfterFrame) {
  std::unique_ptr<AppClient> app = startFlightToApp();
  ASSERT_TRUE(app);

  for (int round = 0; round < 3; ++round) {
    // Hold the script still, let the last requested block arrive, compare.
    emulator_->setFrameRate(0);
    const int32_t settled = flightBuildCounter();
    eventually([&] { return flightBuildCounter() != settled; }, milliseconds(300));
    FlightRecord record{};
    ASSERT_TRUE(app->requestFlightRecord(record));
    const simemu::SimState state = emulator_->snapshot();
    EXPECT_NEAR(record.latitudeDeg, state.latitudeDeg, 1e-9);
    EXPECT_NEAR(record.longitudeDeg, state.longitudeDeg, 1e-9);
    EXPECT_NEAR(record.altitudeFt, state.altitudeFt, 1e-6);
    EXPECT_NEAR(record.groundSpeedKt, state.groundSpeedKt, 1e-6);
    EXPECT_NEAR(record.headingTrueDeg, state.headingTrueDeg, 1e-6);
    EXPECT_NEAR(record.verticalSpeedFpm, state.verticalSpeedFpm, 1e-6);
    EXPECT_NEAR(record.engN1Pct[0], state.engines[0].n1Pct, 1e-6);
    EXPECT_NEAR(record.apAltitudeFt, state.autopilot.altitudeFt, 1e-6);
    emulator_->setFrameRate(30);
    const int32_t before = flightBuildCounter();
    ASSERT_TRUE(eventually([&] { return flightBuildCounter() >= before + 10; }, seconds(20)));
  }
}

TEST_F(DataFlow, AutopilotRoundTripThroughTheClientTool) {
  std::unique_ptr<AppClient> app = startFlightToApp();
  ASSERT_TRUE(app);

  std::ostringstream out, err;
  const std::string endpoint = "127.0.0.1:" + std::to_string(appPort_);
  ASSERT_EQ(
      runOrvxlinkClient({endpoint, "set", "--ap-master", "on", "--alt", "12000", "--hdg", "270"}, out, err, false),
      kClientExitOk)
      << err.str();

  ASSERT_TRUE(emulator_->waitFor(
      [&] {
        const simemu::SimState state = emulator_->snapshot();
        return state.autopilot.master && state.autopilot.altitudeFt == 12000 && state.autopilot.headingDeg == 270;
      },
      20000))
      << "the client events never reached the simulator";
  // Each event as the simulator received it: for the user aircraft, the
  // priority given as the group, with the flag that says so.
  struct Transmitted {
    std::string eventId, data, objectId, groupId, flags;
    bool operator==(const Transmitted& o) const {
      return eventId == o.eventId && data == o.data && objectId == o.objectId && groupId == o.groupId &&
             flags == o.flags;
    }
  };
  std::vector<Transmitted> transmitted;
  for (const simemu::LoggedRequest& sent : emulator_->requestsOfKind(simwire::kTransmitClientEvent)) {
    transmitted.push_back({sent.field("eventId"), sent.field("data"), sent.field("objectId"), sent.field("groupId"),
                           sent.field("flags")});
  }
  const std::vector<Transmitted> expected = {{"3", "1", "0", "1900000000", "16"},
                                             {"14", "12000", "0", "1900000000", "16"},
                                             {"18", "270", "0", "1900000000", "16"}};
  EXPECT_TRUE(transmitted == expected) << transmitted.size() << " client events sent";

  const int32_t applied = flightBuildCounter();
  const FlightRecord record = recordAfterBuild(*app, applied + 1);
  EXPECT_EQ(record.apEngaged, 1);
  EXPECT_EQ(record.apDisengaged, 0);
  EXPECT_EQ(record.apAltitudeFt, 12000.0);
  EXPECT_EQ(record.apHeadingDeg, 270.0);
}

class LinkRecovery : public BridgeEndToEnd {
 protected:
  // Breaks the bridge's link with `fault`, then checks that the bridge opens
  // a new one, the app's connection survives and records resume.
  void expectRecoveryFrom(const std::function<void(int clientId)>& fault) {
    std::unique_ptr<AppClient> app = startFlightToApp();
    ASSERT_TRUE(app);
    ASSERT_EQ(emulator_->clientIds().size(), 1u);

    const uint64_t opens = emulator_->counters().opens;
    fault(emulator_->clientIds().front());
    ASSERT_TRUE(emulator_->waitFor([&] { return emulator_->counters().opens > opens; }, 20000))
        << "the bridge never opened a new link";
    const int32_t reopened = flightBuildCounter();
    const FlightRecord record = recordAfterBuild(*app, reopened + 2);  // the same app connection
    EXPECT_EQ(std::memcmp(record.tag, "ORVX30", 7), 0);
    EXPECT_EQ(connectedClientCount.load(), 1);
  }
};

TEST_F(LinkRecovery, DroppedLinkIsReopenedWithAppsKept) {
  expectRecoveryFrom([&](int client) { emulator_->dropClient(client); });
}

TEST_F(LinkRecovery, OversizeMessageFailsTheLinkAndItIsReopened) {
  expectRecoveryFrom([&](int client) { emulator_->sendOversizeMessage(client); });
}

TEST_F(LinkRecovery, UndersizeMessageFailsTheLinkAndItIsReopened) {
  expectRecoveryFrom([&](int client) { emulator_->sendUndersizeMessage(client); });
}

TEST_F(LinkRecovery, HostileMessagesAreSurvived) {
  expectRecoveryFrom([&](int client) {
    emulator_->sendShortMessage(client);
    emulator_->sendUnknownKindMessage(client);
    emulator_->sendUnterminatedFileName(client, 1);
    emulator_->sendUnterminatedSystemState(client, 2);
    emulator_->setSplitWrites(client, 7);
    emulator_->dropClient(client);
  });
}

TEST_F(LinkRecovery, UnterminatedTitleDropsTheDeliveryOnly) {
  std::unique_ptr<AppClient> app = startFlightToApp();
  ASSERT_TRUE(app);

  emulator_->setUnterminatedText(true);
  const uint64_t answered = emulator_->counters().dataRequestsAnswered;
  ASSERT_TRUE(emulator_->waitFor([&] { return emulator_->counters().dataRequestsAnswered > answered + 2; }, 20000));
  const int32_t frozen = flightBuildCounter();
  ASSERT_TRUE(emulator_->waitFor([&] { return emulator_->counters().dataRequestsAnswered > answered + 10; }, 20000));
  EXPECT_LE(flightBuildCounter(), frozen + 1) << "blocks with an unterminated title are not built";

  emulator_->setUnterminatedText(false);
  recordAfterBuild(*app, flightBuildCounter() + 2);
}

class Aircraft : public BridgeEndToEnd {};

TEST_F(Aircraft, ChangingAircraftBringsItsFlapAngles) {
  startEmulator(tcpEmulator());
  pointBridgeAtEmulatorTcp();
  startBridgeHere();
  std::unique_ptr<AppClient> app = connectApp();
  ASSERT_TRUE(app);
  // orvx_jet: detents 0, 1, 5, 15, 30, 40 in aircraft.cfg, so five is the
  // highest handle position and its angle 40.
  ASSERT_TRUE(eventually(
      [&] {
        FlightRecord record{};
        return app->requestFlightRecord(record) && record.flapMaxDetentAngleDeg == 40.0;
      },
      seconds(20)));

  std::string error;
  ASSERT_TRUE(emulator_->selectAircraft("orvx_turboprop", &error)) << error;
  FlightRecord record{};
  ASSERT_TRUE(
      eventually([&] { return app->requestFlightRecord(record) && record.flapMaxDetentAngleDeg != 40.0; }, seconds(20)))
      << "the new aircraft's flap angles never appeared";
  EXPECT_GT(record.flapMaxDetentAngleDeg, 0.0);
}

// The emulator reports its aircraft as the simulator does, by a relative path
// inside its packages; the bridge finds the packages through the Steam
// edition's UserCfg.opt. Its copy of the packages lacks the turboprop, as a
// packages folder lacks an aircraft it cannot read (an encrypted one, or one
// on another PC).
TEST_F(Aircraft, PackagedAircraftBringsItsFlapAnglesAndAMissingOneKeepsThem) {
  namespace fs = std::filesystem;
  const fs::path shipped = fs::path(std::getenv("ORVXLINK_SOURCE_DIR")) / "tools" / "sim" / "packages";
  const fs::path simulatorPackages = fs::path(scratch_) / "simulator packages";
  const fs::path bridgePackages = fs::path(scratch_) / "Bridge Packages (copy)";
  fs::copy(shipped, simulatorPackages, fs::copy_options::recursive);
  fs::copy(shipped, bridgePackages, fs::copy_options::recursive);
  fs::remove_all(bridgePackages / "Official/OneStore/orvx-aircraft/SimObjects/Airplanes/orvx_turboprop");
  std::string roaming;
  ASSERT_TRUE(roamingAppDataFolder(roaming));
  fs::create_directories(fs::path(roaming) / "Microsoft Flight Simulator");
  std::ofstream(fs::path(roaming) / "Microsoft Flight Simulator" / "UserCfg.opt")
      << "Version 63\nInstalledPackagesPath \"" << bridgePackages.string() << "\"\n";
  setAircraftPackagesFolder("");

  simemu::SimEmulatorOptions options = tcpEmulator();
  options.packagesRoot = simulatorPackages.string();
  startEmulator(options);
  ASSERT_EQ(emulator_->aircraftFilePath(), "SimObjects\\Airplanes\\orvx_jet\\aircraft.CFG");
  pointBridgeAtEmulatorTcp();
  startBridgeHere();
  std::unique_ptr<AppClient> app = connectApp();
  ASSERT_TRUE(app);
  // The Community flap kit replaces the official jet: detents 0, 2, 10, 20,
  // 32, 45 in its flight_model.cfg, with "; remarks"; five is the highest.
  FlightRecord record{};
  ASSERT_TRUE(
      eventually([&] { return app->requestFlightRecord(record) && record.flapMaxDetentAngleDeg == 45.0; }, seconds(20)))
      << "the packaged aircraft's flap angles never appeared; last " << record.flapMaxDetentAngleDeg;

  // The turboprop's highest detent is 3: still looked up in the jet's table
  // (20), not the turboprop's own (35), which the bridge cannot find.
  std::string error;
  ASSERT_TRUE(emulator_->selectAircraft("orvx_turboprop", &error)) << error;
  ASSERT_TRUE(
      eventually([&] { return app->requestFlightRecord(record) && record.flapMaxDetentAngleDeg != 45.0; }, seconds(20)))
      << "the aircraft change never reached the record";
  EXPECT_EQ(record.flapMaxDetentAngleDeg, 20.0);
}

class Transport : public BridgeEndToEnd {};

TEST_F(Transport, WithoutConfigurationTheDefaultPipeIsFound) {
  simemu::SimEmulatorOptions options = tcpEmulator();
  options.listenTcp4 = false;
  options.listenPipe = true;  // the simulator's default local pipe
  startEmulator(options);
  startBridgeHere();  // no SimConnect.cfg anywhere
  std::unique_ptr<AppClient> app = connectApp();
  ASSERT_TRUE(app);
  recordAfterBuild(*app, 0);
  EXPECT_EQ(emulator_->snapshot().aircraftName, "orvx_jet");
}

// While the simulator is away the bridge tries again every 100 ms. Here the
// simulator takes each link, drops it at once and stays away for a moment
// longer than the close takes, so every new link needs an open that failed
// first: about ten links in 4 s with 100 ms between attempts, at most two
// with 2 s.
TEST_F(Transport, AnAbsentSimulatorIsTriedAgainEveryTenthOfASecond) {
  const std::string pipeName = "orvx-retry-" + std::filesystem::path(scratch_).filename().string();
  std::ofstream("SimConnect.cfg") << "[SimConnect]\nProtocol=Pipe\nAddress=.\nPort=" << pipeName << "\n";
  startBridgeHere();
  int links = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
    TestListener* simulator = listenLocalPipe("\\\\.\\pipe\\" + pipeName);
    ASSERT_NE(simulator, nullptr);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
    TestConnection* link = acceptTestConnection(simulator, static_cast<uint32_t>(left));
    closeTestListener(simulator);
    if (link != nullptr) {
      ++links;
      closeTestConnection(link);
    }
    sleepMilliseconds(300);
  }
  RecordProperty("linksIn4Seconds", links);
  EXPECT_GE(links, 4) << "the bridge waited too long between attempts to open";
}

class Shutdown : public BridgeEndToEnd {};

TEST_F(Shutdown, SilentAppDoesNotHoldTheStop) {
  std::unique_ptr<AppClient> talking = startFlightToApp();
  ASSERT_TRUE(talking);
  AppClient silent;
  ASSERT_TRUE(silent.connect("127.0.0.1", appPort_));
  ASSERT_TRUE(eventually([] { return connectedClientCount.load() == 2; }, seconds(10)));

  const auto start = std::chrono::steady_clock::now();
  stopBridgeHere();
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1500));
  EXPECT_EQ(connectedClientCount.load(), 0);
  EXPECT_FALSE(simConnected.load());
}

}  // namespace
