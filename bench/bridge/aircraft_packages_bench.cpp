// What an aircraft change costs the session thread when the simulator
// reports the aircraft by its path inside a tree of 3,000 packages (half in
// Community, half in Official\OneStore, each with one aircraft folder and the
// files a package carries), the aircraft sought in the last package of all:
//   Cold: the first read after the packages changed, which walks the tree.
//   Warm: a later aircraft change with the index kept.
// The operating system's cache of folders is warm in both (the tree was just
// written); a disk that has never been read adds its own seek times to the
// cold figure. Prints figures only; asserts nothing about time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "bridge/aircraft_config.h"
#include "bridge/aircraft_packages.h"
#include "bridge/package_index.h"
#include "bridge/shared_state.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPackagesPerLayer = 1500;

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

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

// A package added and removed again: the packages have changed, so the next
// read builds the index anew.
void changePackages() {
  const fs::path added = tree().root / "Community" / "orvx-added";
  fs::create_directory(added);
  fs::remove(added);
}

void BM_ResolveAircraftCold(benchmark::State& state) {
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
