// What an aircraft change costs the session thread when the simulator
// reports the aircraft by its path inside a tree of 3,000 packages (half in
// Community, half in Official\OneStore, each with one aircraft folder and the
// files a package carries), the aircraft sought in the last package of all:
//   Cold: the first read after the packages changed, which walks the tree.
//   Warm: a later aircraft change with the index kept.
// And the same with both simulators installed, each with its own tree of
// 3,000 packages named by its UserCfg.opt (2020: Community and
// Official\OneStore; 2024: Community2024, Community, Official2024\OneStore
// and Official2020\OneStore), the simulator not yet known: the aircraft, a
// modular one reported by a preset's file, is the last package of the 2024
// tree, so the 2020 tree is searched in vain first. Cold walks both trees.
// The operating system's cache of folders is warm in all (the trees were
// just written); a disk that has never been read adds its own seek times to
// the cold figures. The log is off, as it is by default. Prints figures
// only; asserts nothing about time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "bridge/aircraft_config.h"
#include "bridge/aircraft_packages.h"
#include "bridge/package_index.h"
#include "bridge/shared_state.h"
#include "bridge/sim_installations.h"
#include "log/log.h"
#include "platform/known_folders.h"
#include "platform/test_user_folders.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPackagesPerLayer = 1500;

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A package holding the modular aircraft Modular_<number>: common flaps 0,
// 10 and a preset without flaps of its own.
void addModularPackage(const fs::path& layer, int number) {
  const fs::path aircraft = layer / ("orvx-modular-" + std::to_string(number)) / "SimObjects" / "Airplanes" /
                            ("Modular_" + std::to_string(number));
  fs::create_directories(aircraft / "common" / "config");
  fs::create_directories(aircraft / "presets" / "orvx" / "standard" / "config");
  writeFile(aircraft / "common" / "config" / "aircraft.cfg", "[GENERAL]\natc_type = \"ORVX\"\n");
  writeFile(aircraft / "common" / "config" / "flight_model.cfg",
            "[FLAPS.0]\ntype = 1 ; trailing edge\nflaps-position.0 = 0\nflaps-position.1 = 10\n");
  writeFile(aircraft / "presets" / "orvx" / "standard" / "config" / "aircraft.cfg", "[FLTSIM.0]\ntitle = \"M\"\n");
}

void addPackage(const fs::path& layer, int number) {
  const std::string name = "orvx-package-" + std::to_string(number);
  const fs::path package = layer / name;
  const fs::path aircraft = package / "SimObjects" / "Airplanes" / ("Plane_" + std::to_string(number));
  fs::create_directories(aircraft);
  writeFile(package / "manifest.json", "{}");
  writeFile(package / "layout.json", "{}");
  writeFile(aircraft / "aircraft.cfg", "[GENERAL]\natc_type = \"ORVX\"\n");
  writeFile(aircraft / "flight_model.cfg",
            "[FLAPS.0]\ntype = 1 ; trailing edge\nflaps-position.0 = 0\nflaps-position.1 = 10\n");
}

// The tree, written once for the whole run and removed at exit.
struct PackageTree {
  PackageTree() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root = fs::temp_directory_path() / ("orvxlink-bench-packages-" + std::to_string(stamp));
    for (int i = 0; i < kPackagesPerLayer; ++i) {
      addPackage(root / "Community", i);
      addPackage(root / "Official" / "OneStore", kPackagesPerLayer + i);
    }
    reported = "SimObjects\\Airplanes\\PLANE_" + std::to_string(2 * kPackagesPerLayer - 1) + "\\aircraft.CFG";
  }
  ~PackageTree() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  fs::path root;
  std::string reported;
};

PackageTree& tree() {
  static PackageTree packages;
  return packages;
}

// Both simulators' trees and their UserCfg.opt, in user folders of the
// run's own.
struct TwoSimulators {
  TwoSimulators() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root = fs::temp_directory_path() / ("orvxlink-bench-two-sims-" + std::to_string(stamp));
    int number = 0;
    for (int i = 0; i < kPackagesPerLayer; ++i) {
      addPackage(root / "2020" / "Community", number++);
      addPackage(root / "2020" / "Official" / "OneStore", number++);
    }
    for (const char* layer : {"Community2024", "Community", "Official2024/OneStore", "Official2020/OneStore"}) {
      for (int i = 0; i < 3000 / 4; ++i) addPackage(root / "2024" / layer, number++);
    }
    addModularPackage(root / "2024" / "Official2020" / "OneStore", number);
    reported =
        "SimObjects\\Airplanes\\Modular_" + std::to_string(number) + "\\presets\\orvx\\standard\\config\\aircraft.cfg";
    redirectUserFolders((root / "user").string());
    std::string local;
    std::string roaming;
    localAppDataFolder(local);
    roamingAppDataFolder(roaming);
    writeUserCfg(fs::path(roaming) / "Microsoft Flight Simulator" / "UserCfg.opt", root / "2020");
    writeUserCfg(fs::path(local) / "Packages/Microsoft.Limitless_8wekyb3d8bbwe/LocalCache/UserCfg.opt", root / "2024");
  }
  ~TwoSimulators() {
    restoreUserFolders();
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  static void writeUserCfg(const fs::path& place, const fs::path& packages) {
    fs::create_directories(place.parent_path());
    writeFile(place, "InstalledPackagesPath \"" + packages.string() + "\"\n");
  }
  fs::path root;
  std::string reported;
};

TwoSimulators& twoSimulators() {
  static TwoSimulators trees;
  return trees;
}

void useBothSimulators() {
  logEnabled = false;
  setAircraftPackagesFolder("");
  setConnectedSimulator(SimGeneration::kUnknown);
  aircraftFilePath = twoSimulators().reported;
}

void BM_ResolveBothSimulatorsCold(benchmark::State& state) {
  useBothSimulators();
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* layer : {"2020/Community", "2024/Community2024"}) {
      const fs::path added = twoSimulators().root / layer / "orvx-added";
      fs::create_directory(added);
      fs::remove(added);
    }
    state.ResumeTiming();
    readAircraftConfig();
  }
  if (flapDetentTable()[1] != 10.0f) state.SkipWithError("the aircraft was not found");
}
BENCHMARK(BM_ResolveBothSimulatorsCold)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ResolveBothSimulatorsWarm(benchmark::State& state) {
  useBothSimulators();
  readAircraftConfig();
  for (auto _ : state) readAircraftConfig();
  if (flapDetentTable()[1] != 10.0f) state.SkipWithError("the aircraft was not found");
}
BENCHMARK(BM_ResolveBothSimulatorsWarm)->Unit(benchmark::kMicrosecond);

// A package added and removed again: the packages have changed, so the next
// read builds the index anew.
void changePackages() {
  const fs::path added = tree().root / "Community" / "orvx-added";
  fs::create_directory(added);
  fs::remove(added);
}

void BM_ResolveAircraftCold(benchmark::State& state) {
  logEnabled = false;
  setAircraftPackagesFolder(tree().root.string());
  aircraftFilePath = tree().reported;
  for (auto _ : state) {
    state.PauseTiming();
    changePackages();
    state.ResumeTiming();
    readAircraftConfig();
  }
  if (flapDetentTable()[1] != 10.0f) state.SkipWithError("the aircraft was not found");
}
BENCHMARK(BM_ResolveAircraftCold)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ResolveAircraftWarm(benchmark::State& state) {
  logEnabled = false;
  setAircraftPackagesFolder(tree().root.string());
  aircraftFilePath = tree().reported;
  readAircraftConfig();
  for (auto _ : state) readAircraftConfig();
  if (flapDetentTable()[1] != 10.0f) state.SkipWithError("the aircraft was not found");
}
BENCHMARK(BM_ResolveAircraftWarm)->Unit(benchmark::kMicrosecond);

void BM_BuildIndexOnly(benchmark::State& state) {
  for (auto _ : state) {
    const AircraftPackageIndex index = AircraftPackageIndex::build(tree().root.string());
    benchmark::DoNotOptimize(index.folderCount());
  }
}
BENCHMARK(BM_BuildIndexOnly)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
