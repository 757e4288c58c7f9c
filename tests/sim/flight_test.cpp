// The scripted flight and the aircraft it flies: every phase in a loop,
// consistent motion, repeatable runs, and the shipped aircraft files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/sim/sim_test_support.h"
#include "tools/sim/aircraft_profile.h"
#include "tools/sim/cfg_file.h"
#include "tools/sim/emulator_core.h"
#include "tools/sim/flight_model.h"

namespace simtest {
namespace {

simemu::AircraftProfile loadProfile(const std::string& name) {
  simemu::AircraftProfile profile;
  std::string error;
  EXPECT_TRUE(simemu::loadAircraftProfile(aircraftRoot(), name, &profile, &error)) << error;
  return profile;
}

std::string fileText(const std::string& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(SimAircraftTest, ShippedAircraftHaveDistinctFlapDetentsFromTheirOwnFiles) {
  const simemu::AircraftProfile jet = loadProfile("orvx_jet");
  const simemu::AircraftProfile turboprop = loadProfile("orvx_turboprop");
  EXPECT_EQ(jet.flapDetentsDeg, (std::vector<double>{0, 1, 5, 15, 30, 40}));
  EXPECT_EQ(turboprop.flapDetentsDeg, (std::vector<double>{0, 15, 25, 35}));
  EXPECT_EQ(jet.title, "Orvx Jet 320 Demo");
  EXPECT_TRUE(jet.jet);
  EXPECT_FALSE(turboprop.jet);
  EXPECT_EQ(turboprop.engineCount, 2);
  // The MSFS-style aircraft keeps its flaps out of aircraft.cfg.
  const std::string cfg = fileText(aircraftRoot() + "/orvx_turboprop/aircraft.cfg");
  ASSERT_FALSE(cfg.empty());
  EXPECT_EQ(cfg.find("FLAPS."), std::string::npos);
  EXPECT_EQ(simemu::listAircraft(aircraftRoot()), (std::vector<std::string>{"orvx_jet", "orvx_turboprop"}));
}

// Values as aircraft files write them: quotes around a value are not part of
// it, so "" is an empty title, not two quote characters.
TEST(SimAircraftTest, CfgValuesLoseTheirEnclosingQuotesOnly) {
  const struct {
    const char* line;
    const char* value;
  } cases[] = {
      {"title = \"Orvx Jet\"", "Orvx Jet"},     {"title = \"\"", ""},         {"title = \"", "\""},
      {"title = Orvx \"Jet\"", "Orvx \"Jet\""}, {"title=  plain  ", "plain"},
  };
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvx-sim-quoted.cfg";
  for (const auto& c : cases) {
    { std::ofstream(path) << "[GENERAL]\n" << c.line << "\n"; }
    simemu::CfgFile file;
    ASSERT_TRUE(simemu::readCfgFile(path.string(), &file));
    ASSERT_NE(file.section("general"), nullptr);
    EXPECT_EQ(file.section("general")->value("title"), c.value) << c.line;
  }
  std::filesystem::remove(path);
}

// From the package tree the Community add-on wins over the official
// aircraft of the same folder, whatever the case, and every aircraft is
// reported by its relative path inside the packages.
TEST(SimAircraftTest, PackagedAircraftAreReportedAsTheSimulatorReportsThem) {
  simemu::SimEmulatorOptions options = testOptions();
  options.packagesRoot = packagesRoot();
  options.aircraftName = "ORVX_JET";
  std::unique_ptr<simemu::SimEmulator> emulator = startEmulator(options);
  ASSERT_TRUE(emulator);
  struct Case {
    const char* name;
    const char* reported;
    const char* title;
    int highestDetent;
  };
  const Case cases[] = {
      {"ORVX_JET", "SimObjects\\Airplanes\\ORVX_JET\\aircraft.CFG", "Orvx Jet 320 Demo STOL Kit", 5},
      {"orvx_turboprop", "SimObjects\\Airplanes\\orvx_turboprop\\aircraft.CFG", "Orvx TP-72 Demo", 3},
      {"Orvx_Jet", "SimObjects\\Airplanes\\Orvx_Jet\\aircraft.CFG", "Orvx Jet 320 Demo STOL Kit", 5},
  };
  for (const Case& c : cases) {
    std::string error;
    if (std::string(c.name) != options.aircraftName) {
      ASSERT_TRUE(emulator->selectAircraft(c.name, &error)) << error;
    }
    EXPECT_EQ(emulator->aircraftFilePath(), c.reported);
    EXPECT_EQ(emulator->snapshot().title, c.title);
    EXPECT_EQ(emulator->snapshot().flapsHandleCount, c.highestDetent) << c.name;
  }
  std::string error;
  EXPECT_FALSE(emulator->selectAircraft("orvx_glider", &error));
  EXPECT_NE(error.find("orvx_glider"), std::string::npos) << error;
  EXPECT_EQ(emulator->aircraftNames(), (std::vector<std::string>{"Orvx_Jet", "orvx_turboprop"}));
}

// Playing the 2024 simulator: the open reply names it, and the presets of a
// modular aircraft are aircraft of their own, reported by their own file or
// by their aircraft's folder, flying the flaps a reader of the files finds.
TEST(SimAircraftTest, ModularPresetsAreReportedByTheirOwnFileOrTheirAircraft) {
  const simemu::Message open = simemu::openMessage(simemu::SimulatorKind::kMsfs2024);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&open[12])), "SunRise");
  EXPECT_EQ(open[268], 12);
  const std::string root = packagesRoot() + "2024";
  for (bool presetPaths : {true, false}) {
    simemu::SimEmulatorOptions options = testOptions();
    options.packagesRoot = root;
    options.reportPresetPaths = presetPaths;
    options.aircraftName = "orvx_rj_100";
    std::unique_ptr<simemu::SimEmulator> emulator = startEmulator(options);
    ASSERT_TRUE(emulator);
    struct Case {
      const char* name;
      const char* presetPath;
      const char* folderPath;
      const char* title;
      int highestDetent;
    };
    const Case cases[] = {
        {"orvx_rj_100", "SimObjects\\Airplanes\\Orvx_RJ\\presets\\orvx\\orvx_rj_100\\config\\aircraft.cfg",
         "SimObjects\\Airplanes\\Orvx_RJ\\aircraft.CFG", "Orvx RJ-100 Demo", 3},
        {"Orvx_RJ_200", "SimObjects\\Airplanes\\Orvx_RJ\\presets\\orvx\\Orvx_RJ_200\\config\\aircraft.cfg",
         "SimObjects\\Airplanes\\Orvx_RJ\\aircraft.CFG", "Orvx RJ-200 Demo", 4},
        {"orvx_jet", "SimObjects\\Airplanes\\orvx_jet\\aircraft.CFG", "SimObjects\\Airplanes\\orvx_jet\\aircraft.CFG",
         "Orvx Jet 320 Demo", 5},
    };
    for (const Case& c : cases) {
      std::string error;
      if (std::string(c.name) != options.aircraftName) {
        ASSERT_TRUE(emulator->selectAircraft(c.name, &error)) << error;
      }
      EXPECT_EQ(emulator->aircraftFilePath(), presetPaths ? c.presetPath : c.folderPath);
      EXPECT_EQ(emulator->snapshot().title, c.title);
      EXPECT_EQ(emulator->snapshot().flapsHandleCount, c.highestDetent) << c.name;
    }
    std::string error;
    EXPECT_FALSE(emulator->selectAircraft("Orvx_RJ", &error)) << "a modular aircraft's own folder is no aircraft";
    EXPECT_EQ(emulator->aircraftNames(), (std::vector<std::string>{"Orvx_RJ_100", "Orvx_RJ_200", "orvx_jet"}));
  }
}

TEST(SimAircraftTest, AircraftWhosePathDoesNotFitItsFieldIsRefused) {
  namespace fs = std::filesystem;
  fs::path root = fs::temp_directory_path() / "orvx-sim-long-path";
  std::error_code failure;
  fs::remove_all(root, failure);
  fs::path deep = root;
  while (deep.string().size() < 270) deep /= "a-folder-name-that-makes-the-path-long";
  fs::create_directories(deep / "plane", failure);
  fs::copy_file(aircraftRoot() + "/orvx_jet/aircraft.cfg", deep / "plane" / "aircraft.cfg", failure);
  if (failure) GTEST_SKIP() << "this system cannot make so long a path: " << failure.message();
  simemu::EmulatorCore core;
  simemu::Outbox out;
  std::string error;
  EXPECT_FALSE(core.selectAircraft(deep.string(), "plane", &error, &out));
  EXPECT_NE(error.find("longer than 259"), std::string::npos) << error;
  EXPECT_TRUE(core.selectAircraft(aircraftRoot(), "orvx_jet", &error, &out)) << error;
  fs::remove_all(root, failure);
}

struct FlightLog {
  std::set<std::string> phases;
  std::set<int> markers;
  bool localizerAndGlideSlope = false;
  bool gearWasUp = false;
  int maxFlapsIndex = 0;
  double maxFlapsAngle = 0;
  double fuelAtTakeoff = -1;
  double fuelBeforeRestart = -1;
  double fuelAfterRestart = -1;
  double maxAltitude = 0;
};

double totalFuelGal(const simemu::SimState& s) {
  double gallons = 0;
  for (const simemu::TankState& tank : s.tanks) gallons += tank.level * tank.capacityGal;
  return gallons;
}

void record(const simemu::SimState& s, const std::string& previousPhase, FlightLog* log) {
  log->phases.insert(s.phase);
  log->markers.insert(s.markerBeacon);
  log->localizerAndGlideSlope |= s.nav[0].hasLocalizer && s.nav[0].hasGlideSlope && s.phase == "final";
  log->gearWasUp |= s.gearPosition[1] == 0.0;
  log->maxFlapsIndex = std::max(log->maxFlapsIndex, s.flapsHandleIndex);
  log->maxFlapsAngle = std::max(log->maxFlapsAngle, s.flapsAngleDeg);
  log->maxAltitude = std::max(log->maxAltitude, s.altitudeFt);
  if (s.phase == "take-off roll" && log->fuelAtTakeoff < 0) log->fuelAtTakeoff = totalFuelGal(s);
  if (previousPhase == "taxi in" && s.phase == "gate") log->fuelAfterRestart = totalFuelGal(s);
  if (s.phase == "taxi in") log->fuelBeforeRestart = totalFuelGal(s);
}

TEST(SimFlightTest, ScriptFliesEveryPhaseAndStartsOverAtTheGate) {
  simemu::FlightModel flight;
  flight.load(loadProfile("orvx_turboprop"));
  const double fullFuel = totalFuelGal(flight.state());
  FlightLog log;
  std::string previous = flight.state().phase;
  for (int i = 0; i < 2 * 3600 * 2 && log.fuelAfterRestart < 0; ++i) {
    flight.advance(0.5);
    record(flight.state(), previous, &log);
    previous = flight.state().phase;
  }
  for (const char* phase : {"gate", "taxi out", "line up", "take-off roll", "rotate", "initial climb", "climb",
                            "cruise", "descent", "approach", "final", "flare", "roll-out", "taxi in"}) {
    EXPECT_EQ(log.phases.count(phase), 1u) << "never in phase " << phase;
  }
  EXPECT_EQ(log.markers, (std::set<int>{0, 1, 2, 3}));
  EXPECT_TRUE(log.localizerAndGlideSlope);
  EXPECT_TRUE(log.gearWasUp);
  EXPECT_EQ(log.maxFlapsIndex, 3);
  EXPECT_NEAR(log.maxFlapsAngle, 35.0, 1e-9);
  EXPECT_GT(log.maxAltitude, 13000.0);
  EXPECT_LT(log.fuelBeforeRestart, log.fuelAtTakeoff - 50) << "the engines burnt no fuel";
  EXPECT_NEAR(log.fuelAfterRestart, fullFuel, 1e-6) << "the tanks were not refilled for the next flight";
}

TEST(SimFlightTest, PositionAndAltitudeFollowTheVelocities) {
  simemu::FlightModel flight;
  flight.load(loadProfile("orvx_jet"));
  while (flight.state().phase != "climb") flight.advance(1);
  flight.advance(20);
  const simemu::SimState before = flight.state();
  flight.advance(1);
  const simemu::SimState after = flight.state();
  const double feetPerDegree = 60 * 6076.11549;
  const double northFt = (after.latitudeDeg - before.latitudeDeg) * feetPerDegree;
  const double eastFt = (after.longitudeDeg - before.longitudeDeg) * feetPerDegree *
                        std::cos(before.latitudeDeg * 3.14159265358979 / 180);
  const double averageNorth = (before.velocityNorthFps + after.velocityNorthFps) / 2;
  const double averageEast = (before.velocityEastFps + after.velocityEastFps) / 2;
  EXPECT_NEAR(northFt, averageNorth, 0.02 * std::fabs(averageNorth) + 2);
  EXPECT_NEAR(eastFt, averageEast, 0.02 * std::fabs(averageEast) + 2);
  EXPECT_NEAR(after.altitudeFt - before.altitudeFt, (before.verticalSpeedFpm + after.verticalSpeedFpm) / 120, 2);
  EXPECT_NEAR(std::hypot(averageNorth, averageEast) / 1.68780986, after.groundSpeedKt, 3);
  EXPECT_GT(after.engines[0].n1Pct, 60);
  EXPECT_GT(after.engines[0].fuelFlowPph, after.engines[0].n1Pct);
}

TEST(SimFlightTest, SameStepsGiveTheSameFlight) {
  simemu::FlightModel first;
  simemu::FlightModel second;
  first.load(loadProfile("orvx_jet"));
  second.load(loadProfile("orvx_jet"));
  for (int i = 0; i < 30 * 200; ++i) {
    first.advance(1.0 / 30);
    second.advance(1.0 / 30);
  }
  EXPECT_FALSE(first.state().onGround) << "after 200 s the aircraft should fly";
  EXPECT_EQ(first.state().latitudeDeg, second.state().latitudeDeg);
  EXPECT_EQ(first.state().longitudeDeg, second.state().longitudeDeg);
  EXPECT_EQ(first.state().engines[1].egtC, second.state().engines[1].egtC);
  EXPECT_EQ(first.state().tanks[simemu::kTankCenter].level, second.state().tanks[simemu::kTankCenter].level);
}

}  // namespace
}  // namespace simtest
