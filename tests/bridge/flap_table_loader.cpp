#include "tests/bridge/flap_table_loader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bridge/shared_state.h"

namespace fs = std::filesystem;

namespace {

// A folder no other test run uses at the same time.
std::string scratchFolder() {
  static std::atomic<unsigned> used{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path folder =
      fs::temp_directory_path() / ("orvx-flaps-" + std::to_string(stamp) + "-" + std::to_string(used++));
  fs::create_directories(folder);
  return folder.string();
}

}  // namespace

bool loadFlapDetentTable(const FlapDetentTable& table) {
  const std::string folder = scratchFolder();
  {
    std::ofstream file(folder + "/aircraft.cfg", std::ios::trunc);
    file << "[FLAPS.0]\ntype = 1\n";
    char angle[32];
    for (size_t detent = 0; detent < table.size(); ++detent) {
      if (table[detent] == kNoFlapAngle) continue;
      std::snprintf(angle, sizeof angle, "%.9g", static_cast<double>(table[detent]));
      file << "flaps-position." << detent << " = " << angle << "\n";
    }
  }
  const std::string previousPath = aircraftFilePath;
  aircraftFilePath = folder + "/aircraft.cfg";
  std::replace(aircraftFilePath.begin(), aircraftFilePath.end(), '/', '\\');
  readAircraftConfig();
  aircraftFilePath = previousPath;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return flapDetentTable() == table;
}

bool loadZeroFlapDetentTable() {
  FlapDetentTable zero;
  zero.fill(0.0f);
  return loadFlapDetentTable(zero);
}
