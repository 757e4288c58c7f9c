// The bridge against the emulator playing the 2024 simulator: its open reply
// says so, it reports a modular aircraft's presets by their own files, and
// the bridge reads the flap angles from the 2024 installation's packages
// while a 2020 installation with other angles sits beside it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bridge/aircraft_packages.h"
#include "platform/known_folders.h"
#include "tests/e2e/bridge_fixture.h"

namespace {

using std::chrono::seconds;
namespace fs = std::filesystem;

class Msfs2024 : public BridgeEndToEnd {
 protected:
  void TearDown() override {
    BridgeEndToEnd::TearDown();
    setConnectedSimulator(SimGeneration::kUnknown);
  }

  static void writeUserCfg(const fs::path& place, const fs::path& packages) {
    fs::create_directories(place.parent_path());
    std::ofstream(place) << "Version 66\nInstalledPackagesPath \"" << packages.string() << "\"\n";
  }

  // The record once its highest detent's angle is `angle`.
  bool maxAngleBecomes(AppClient& app, double angle, FlightRecord& record) {
    return eventually([&] { return app.requestFlightRecord(record) && record.flapMaxDetentAngleDeg == angle; },
                      seconds(20));
  }
};

TEST_F(Msfs2024, FlapAnglesFollowPresetsAndAClassicAircraft) {
  const fs::path tools = fs::path(std::getenv("ORVXLINK_SOURCE_DIR")) / "tools" / "sim";
  const fs::path packages2024 = fs::path(scratch_) / "Packages 2024";
  const fs::path packages2020 = fs::path(scratch_) / "Packages 2020";
  fs::copy(tools / "packages2024", packages2024, fs::copy_options::recursive);
  fs::copy(tools / "packages", packages2020, fs::copy_options::recursive);
  std::string local;
  std::string roaming;
  ASSERT_TRUE(localAppDataFolder(local) && roamingAppDataFolder(roaming));
  // 2020 (Steam) is tried first when the simulator is not known: its jet
  // carries the Community flap kit (45 degrees at the top), the 2024 one not.
  writeUserCfg(fs::path(roaming) / "Microsoft Flight Simulator" / "UserCfg.opt", packages2020);
  writeUserCfg(fs::path(local) / "Packages/Microsoft.Limitless_8wekyb3d8bbwe/LocalCache/UserCfg.opt", packages2024);
  setAircraftPackagesFolder("");

  simemu::SimEmulatorOptions options = tcpEmulator();
  options.packagesRoot = packages2024.string();
  options.simulatorKind = simemu::SimulatorKind::kMsfs2024;
  options.reportPresetPaths = true;
  options.aircraftName = "Orvx_RJ_100";
  startEmulator(options);
  ASSERT_EQ(emulator_->aircraftFilePath(),
            "SimObjects\\Airplanes\\Orvx_RJ\\presets\\orvx\\Orvx_RJ_100\\config\\aircraft.cfg");
  pointBridgeAtEmulatorTcp();
  startBridgeHere();
  std::unique_ptr<AppClient> app = connectApp();
  ASSERT_TRUE(app);

  // Worked from the files: RJ-100 takes the common flaps 0, 8, 18, 30; RJ-200
  // its own 0, 6, 12, 22, 38; the 2024 tree's jet 0, 1, 5, 15, 30, 40.
  FlightRecord record{};
  ASSERT_TRUE(maxAngleBecomes(*app, 30.0, record)) << "RJ-100: last " << record.flapMaxDetentAngleDeg;

  std::string error;
  ASSERT_TRUE(emulator_->selectAircraft("Orvx_RJ_200", &error)) << error;
  ASSERT_TRUE(maxAngleBecomes(*app, 38.0, record)) << "RJ-200: last " << record.flapMaxDetentAngleDeg;

  ASSERT_TRUE(emulator_->selectAircraft("orvx_jet", &error)) << error;
  ASSERT_TRUE(maxAngleBecomes(*app, 40.0, record))
      << "the classic jet, from the 2024 installation: last " << record.flapMaxDetentAngleDeg;

  ASSERT_TRUE(emulator_->selectAircraft("Orvx_RJ_100", &error)) << error;
  ASSERT_TRUE(maxAngleBecomes(*app, 30.0, record)) << "back to RJ-100: last " << record.flapMaxDetentAngleDeg;
  const std::string note = aircraftFilesNote();
  EXPECT_NE(note.find("Orvx_RJ_100"), std::string::npos) << note;
  EXPECT_NE(note.find("(Community2024, MSFS 2024 (Microsoft Store))"), std::string::npos) << note;
}

}  // namespace
