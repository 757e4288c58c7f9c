#include "bridge/aircraft_packages.h"

#include <mutex>

#include "bridge/package_index.h"
#include "bridge/user_cfg.h"
#include "platform/folder_listing.h"
#include "platform/known_folders.h"

namespace {

std::mutex overrideMutex;
std::string packagesFolderOverride;  // guarded by overrideMutex

std::optional<AircraftPackageIndex>& cachedIndex() {
  static std::optional<AircraftPackageIndex> index;  // session thread only
  return index;
}

// Where each edition keeps its UserCfg.opt, in the order they are tried.
std::vector<std::string> userCfgPlaces() {
  std::vector<std::string> places;
  std::string folder;
  if (localAppDataFolder(folder)) {
    places.push_back(folder + "\\Packages\\Microsoft.FlightSimulator_8wekyb3d8bbwe\\LocalCache\\UserCfg.opt");
  }
  if (roamingAppDataFolder(folder)) places.push_back(folder + "\\Microsoft Flight Simulator\\UserCfg.opt");
  return places;
}

}  // namespace

void setAircraftPackagesFolder(const std::string& dir) {
  std::lock_guard<std::mutex> lock(overrideMutex);
  packagesFolderOverride = dir;
}

std::optional<std::string> simulatorPackagesFolder() {
  {
    std::lock_guard<std::mutex> lock(overrideMutex);
    if (!packagesFolderOverride.empty()) return packagesFolderOverride;
  }
  for (const std::string& userCfg : userCfgPlaces()) {
    const std::optional<std::string> folder = readInstalledPackagesPath(userCfg);
    if (folder && isFolder(*folder)) return folder;
  }
  return std::nullopt;
}

std::vector<std::string> aircraftFoldersInPackages(const std::string& reportedPath) {
  const std::optional<std::string> key = packageFolderKey(reportedPath);
  if (!key) return {};
  const std::optional<std::string> packages = simulatorPackagesFolder();
  if (!packages) return {};
  std::optional<AircraftPackageIndex>& index = cachedIndex();
  if (!index || index->packagesFolder() != *packages || !index->isCurrent()) {
    index = AircraftPackageIndex::build(*packages);
  }
  return index->foldersOf(*key);
}
