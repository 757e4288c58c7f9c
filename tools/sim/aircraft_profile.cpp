#include "tools/sim/aircraft_profile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "platform/file_location.h"
#include "tools/sim/cfg_file.h"

namespace simemu {

namespace {

const char* const kTankKeys[kTankCount] = {"center1", "center2",  "center3", "leftmain", "rightmain",
                                           "leftaux", "rightaux", "lefttip", "righttip"};

bool fileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(path, ignored);
}

// Flap detents of the first file that has flap sections of type 1.
std::vector<double> readFlapDetents(const CfgFile& file) {
  std::map<int, double> byIndex;
  for (const CfgSection& section : file.sections) {
    if (section.name.compare(0, 6, "flaps.") != 0) continue;
    if (static_cast<int>(leadingNumber(section.value("type"), -1)) != 1) continue;
    for (const auto& entry : section.entries) {
      if (entry.first.compare(0, 15, "flaps-position.") != 0) continue;
      const int index = std::atoi(entry.first.c_str() + 15);
      if (index >= 0 && index < 20 && byIndex.count(index) == 0) byIndex[index] = leadingNumber(entry.second, 0);
    }
  }
  std::vector<double> detents;
  for (const auto& entry : byIndex) {
    if (entry.first != static_cast<int>(detents.size())) break;  // detents must run 0, 1, 2, ...
    detents.push_back(entry.second);
  }
  return detents;
}

void readEngines(const CfgFile& file, AircraftProfile* out) {
  const CfgSection* engines = file.section("generalenginedata");
  if (engines == nullptr) return;
  const std::string type = engines->value("engine_type");
  if (!type.empty()) out->jet = static_cast<int>(leadingNumber(type, 1)) == 1;
  int count = 0;
  for (const auto& entry : engines->entries) {
    if (entry.first.compare(0, 7, "engine.") == 0) ++count;
  }
  if (count > 0) out->engineCount = std::min(count, kMaxEngines);
}

void readTanks(const CfgFile& file, AircraftProfile* out) {
  const CfgSection* fuel = file.section("fuel");
  if (fuel == nullptr) return;
  for (int tank = 0; tank < kTankCount; ++tank) {
    const std::string value = fuel->value(kTankKeys[tank]);
    if (!value.empty()) out->tankCapacityGal[tank] = leadingNumber(commaPart(value, 3), 0);
  }
}

void readNumber(const CfgSection& section, const char* key, double* target) {
  const std::string value = section.value(key);
  if (!value.empty()) *target = leadingNumber(value, *target);
}

void readReferenceSpeeds(const CfgFile& file, AircraftProfile* out) {
  const CfgSection* speeds = file.section("reference speeds");
  if (speeds == nullptr) return;
  readNumber(*speeds, "cruise_speed", &out->cruiseTasKt);
  readNumber(*speeds, "max_indicated_speed", &out->maxIndicatedKt);
  readNumber(*speeds, "max_mach", &out->maxMach);
  readNumber(*speeds, "flaps_up_stall_speed", &out->stallCleanKt);
  readNumber(*speeds, "full_flaps_stall_speed", &out->stallLandingKt);
  readNumber(*speeds, "cruise_alt", &out->cruiseAltitudeFt);
}

void readTitle(const CfgFile& file, AircraftProfile* out) {
  const CfgSection* fltsim = file.section("fltsim.0");
  if (fltsim != nullptr && !fltsim->value("title").empty()) out->title = fltsim->value("title");
}

}  // namespace

std::vector<std::string> listAircraft(const std::string& root) {
  std::vector<std::string> names;
  std::error_code failure;
  for (const auto& entry : std::filesystem::directory_iterator(root, failure)) {
    if (entry.is_directory() && fileExists((entry.path() / "aircraft.cfg").string())) {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// Reads fileName from the first of `folders` that has it.
bool readFirstCfgFile(const std::vector<std::string>& folders, const char* fileName, CfgFile* out) {
  for (const std::string& folder : folders)
    if (readCfgFile(folder + "/" + fileName, out)) return true;
  return false;
}

// The profile of the aircraft whose files sit in `folders`, each file taken
// from the first folder that has it; its aircraft.cfg is configPath.
AircraftProfile profileFromFolders(const std::string& name, const std::vector<std::string>& folders,
                                   const CfgFile& aircraft, const std::string& configPath) {
  CfgFile flightModel;
  const bool hasFlightModel = readFirstCfgFile(folders, "flight_model.cfg", &flightModel);

  AircraftProfile profile;
  profile.name = name;
  profile.folder = folders.front();
  profile.configPath = absoluteFilePath(configPath);
  profile.title = name;
  // The MSFS layout moved flight data to flight_model.cfg and engines.cfg; they win over aircraft.cfg.
  CfgFile engines;
  const bool hasEngines = readFirstCfgFile(folders, "engines.cfg", &engines);
  const CfgFile* const files[] = {&aircraft, hasFlightModel ? &flightModel : nullptr, hasEngines ? &engines : nullptr};
  for (const CfgFile* file : files) {
    if (file == nullptr) continue;
    readEngines(*file, &profile);
    readTanks(*file, &profile);
    readReferenceSpeeds(*file, &profile);
  }
  readTitle(aircraft, &profile);
  profile.flapDetentsDeg = readFlapDetents(aircraft);
  if (profile.flapDetentsDeg.empty() && hasFlightModel) profile.flapDetentsDeg = readFlapDetents(flightModel);
  if (profile.flapDetentsDeg.empty()) profile.flapDetentsDeg.push_back(0.0);
  profile.takeoffFlapsIndex = profile.flapDetentsDeg.size() > 1 ? 1 : 0;
  return profile;
}

// The flap detents of a folder's aircraft.cfg, or else of its
// flight_model.cfg; empty when neither has any.
std::vector<double> flapDetentsIn(const std::string& folder) {
  CfgFile file;
  std::vector<double> detents;
  if (readCfgFile(folder + "/aircraft.cfg", &file)) detents = readFlapDetents(file);
  if (detents.empty() && readCfgFile(folder + "/flight_model.cfg", &file)) detents = readFlapDetents(file);
  return detents;
}

}  // namespace

bool loadAircraftProfile(const std::string& root, const std::string& name, AircraftProfile* out, std::string* error) {
  const std::string folder = root + "/" + name;
  CfgFile aircraft;
  if (name.empty() || name.find_first_of("/\\") != std::string::npos ||
      !readCfgFile(folder + "/aircraft.cfg", &aircraft)) {
    if (error != nullptr) *error = "no aircraft.cfg in " + folder;
    return false;
  }
  *out = profileFromFolders(name, {folder}, aircraft, folder + "/aircraft.cfg");
  return true;
}

bool loadPresetProfile(const std::string& aircraftFolder, const std::string& presetFolder, const std::string& name,
                       AircraftProfile* out, std::string* error) {
  const std::string preset = aircraftFolder + "/" + presetFolder;
  CfgFile aircraft;
  if (!readCfgFile(preset + "/aircraft.cfg", &aircraft)) {
    if (error != nullptr) *error = "no aircraft.cfg in " + preset;
    return false;
  }
  // The preset's flaps when its own files have them, else the common ones,
  // as a reader of the files finds them.
  *out = profileFromFolders(name, {preset, aircraftFolder + "/common/config"}, aircraft, preset + "/aircraft.cfg");
  std::vector<double> detents = flapDetentsIn(preset);
  if (detents.empty()) detents = flapDetentsIn(aircraftFolder + "/common/config");
  if (!detents.empty()) {
    out->flapDetentsDeg = detents;
    out->takeoffFlapsIndex = detents.size() > 1 ? 1 : 0;
  }
  return true;
}

}  // namespace simemu
