#include "tools/sim/package_tree.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "tools/sim/text_util.h"

namespace simemu {

namespace {

namespace fs = std::filesystem;

// Both simulators' layers; a tree of one simulator has none of the other's.
const char* const kLayers[] = {
    "Community2024",         "Community",          "Official2024/OneStore", "Official2024/Steam",
    "Official2020/OneStore", "Official2020/Steam", "Official/OneStore",     "Official/Steam"};

std::vector<fs::path> sortedSubfolders(const fs::path& folder) {
  std::vector<fs::path> found;
  std::error_code failure;
  for (fs::directory_iterator it(folder, failure), end; !failure && it != end; it.increment(failure)) {
    if (it->is_directory(failure)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
    return lowerAscii(a.filename().string()) < lowerAscii(b.filename().string());
  });
  return found;
}

// Each package's Airplanes folder, in the simulators' order of precedence.
std::vector<fs::path> airplanesFolders(const std::string& packagesRoot) {
  std::vector<fs::path> folders;
  std::error_code failure;
  for (const char* layer : kLayers) {
    for (const fs::path& package : sortedSubfolders(fs::path(packagesRoot) / layer)) {
      const fs::path airplanes = package / "SimObjects" / "Airplanes";
      if (fs::is_directory(airplanes, failure)) folders.push_back(airplanes);
    }
  }
  return folders;
}

bool holdsAircraftCfg(const fs::path& folder) {
  std::error_code failure;
  return fs::is_regular_file(folder / "aircraft.cfg", failure);
}

// Every aircraft in one Airplanes folder: the classic folders, and the
// presets of the modular ones, named by the preset's folder.
std::vector<std::pair<std::string, PackagedAircraft>> aircraftIn(const fs::path& airplanes) {
  std::vector<std::pair<std::string, PackagedAircraft>> found;
  for (const fs::path& folder : sortedSubfolders(airplanes)) {
    const std::string folderName = folder.filename().string();
    if (holdsAircraftCfg(folder)) {
      found.push_back({folderName, PackagedAircraft{airplanes.string(), folderName, std::string()}});
      continue;
    }
    for (const fs::path& maker : sortedSubfolders(folder / "presets")) {
      for (const fs::path& preset : sortedSubfolders(maker)) {
        if (!holdsAircraftCfg(preset / "config")) continue;
        const std::string presetFolder =
            "presets/" + maker.filename().string() + "/" + preset.filename().string() + "/config";
        found.push_back({preset.filename().string(), PackagedAircraft{airplanes.string(), folderName, presetFolder}});
      }
    }
  }
  return found;
}

}  // namespace

bool findPackagedAircraft(const std::string& packagesRoot, const std::string& name, PackagedAircraft* out) {
  for (const fs::path& airplanes : airplanesFolders(packagesRoot)) {
    for (const auto& [aircraftName, aircraft] : aircraftIn(airplanes)) {
      if (!equalsIgnoringCase(aircraftName, name)) continue;
      *out = aircraft;
      return true;
    }
  }
  return false;
}

std::vector<std::string> listPackagedAircraft(const std::string& packagesRoot) {
  std::set<std::string> seen;  // lower-cased
  std::vector<std::string> names;
  for (const fs::path& airplanes : airplanesFolders(packagesRoot)) {
    for (const auto& entry : aircraftIn(airplanes))
      if (seen.insert(lowerAscii(entry.first)).second) names.push_back(entry.first);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string virtualAircraftPath(const PackagedAircraft& found, const std::string& name, bool presetPaths) {
  if (found.presetFolder.empty()) return "SimObjects\\Airplanes\\" + name + "\\aircraft.CFG";
  if (!presetPaths) return "SimObjects\\Airplanes\\" + found.folderName + "\\aircraft.CFG";
  std::string preset = found.presetFolder;
  std::replace(preset.begin(), preset.end(), '/', '\\');
  // The preset's own name as asked for, in place of the one on disk.
  const size_t nameEnd = preset.rfind('\\');
  const size_t nameStart = preset.rfind('\\', nameEnd - 1) + 1;
  preset.replace(nameStart, nameEnd - nameStart, name);
  return "SimObjects\\Airplanes\\" + found.folderName + "\\" + preset + "\\aircraft.cfg";
}

}  // namespace simemu
