#include "tools/sim/package_tree.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "tools/sim/text_util.h"

namespace simemu {

namespace {

namespace fs = std::filesystem;

// Each package's Airplanes folder, in the simulator's order of precedence.
std::vector<fs::path> airplanesFolders(const std::string& packagesRoot) {
  std::vector<fs::path> folders;
  for (const char* layer : {"Community", "Official/OneStore", "Official/Steam"}) {
    std::vector<fs::path> packages;
    std::error_code failure;
    for (fs::directory_iterator it(fs::path(packagesRoot) / layer, failure), end; !failure && it != end;
         it.increment(failure)) {
      packages.push_back(it->path());
    }
    std::sort(packages.begin(), packages.end(), [](const fs::path& a, const fs::path& b) {
      return lowerAscii(a.filename().string()) < lowerAscii(b.filename().string());
    });
    for (const fs::path& package : packages) {
      const fs::path airplanes = package / "SimObjects" / "Airplanes";
      if (fs::is_directory(airplanes, failure)) folders.push_back(airplanes);
    }
  }
  return folders;
}

std::vector<std::string> aircraftIn(const fs::path& airplanes) {
  std::vector<std::string> names;
  std::error_code failure;
  for (fs::directory_iterator it(airplanes, failure), end; !failure && it != end; it.increment(failure)) {
    if (fs::is_regular_file(it->path() / "aircraft.cfg", failure)) names.push_back(it->path().filename().string());
  }
  return names;
}

}  // namespace

bool findPackagedAircraft(const std::string& packagesRoot, const std::string& name, PackagedAircraft* out) {
  for (const fs::path& airplanes : airplanesFolders(packagesRoot)) {
    for (const std::string& folder : aircraftIn(airplanes)) {
      if (!equalsIgnoringCase(folder, name)) continue;
      *out = PackagedAircraft{airplanes.string(), folder};
      return true;
    }
  }
  return false;
}

std::vector<std::string> listPackagedAircraft(const std::string& packagesRoot) {
  std::set<std::string> seen;  // lower-cased
  std::vector<std::string> names;
  for (const fs::path& airplanes : airplanesFolders(packagesRoot)) {
    for (const std::string& folder : aircraftIn(airplanes))
      if (seen.insert(lowerAscii(folder)).second) names.push_back(folder);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string virtualAircraftPath(const std::string& name) { return "SimObjects\\Airplanes\\" + name + "\\aircraft.CFG"; }

}  // namespace simemu
