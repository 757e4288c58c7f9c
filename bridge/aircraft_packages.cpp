#include "bridge/aircraft_packages.h"

#include <atomic>
#include <mutex>
#include <optional>

#include "bridge/modular_aircraft.h"
#include "bridge/user_cfg.h"
#include "platform/folder_listing.h"

namespace {

std::mutex overrideMutex;
std::string packagesFolderOverride;  // guarded by overrideMutex

std::mutex noteMutex;
std::string filesNote;  // guarded by noteMutex

std::atomic<SimGeneration> linkSimulator{SimGeneration::kUnknown};

// Session thread only: one index per packages folder and layout in use.
std::vector<AircraftPackageIndex>& cachedIndexes() {
  static std::vector<AircraftPackageIndex> indexes;
  return indexes;
}

const AircraftPackageIndex& currentIndex(const PackagesSource& source) {
  std::vector<AircraftPackageIndex>& indexes = cachedIndexes();
  for (AircraftPackageIndex& index : indexes) {
    if (index.packagesFolder() != source.folder || index.layout() != source.layout) continue;
    if (!index.isCurrent()) index = AircraftPackageIndex::build(source.folder, source.layout);
    return index;
  }
  indexes.push_back(AircraftPackageIndex::build(source.folder, source.layout));
  return indexes.back();
}

// Drops the indexes of folders no longer in use, so that the cache holds at
// most one per installation.
void forgetIndexesOutside(const std::vector<PackagesSource>& sources) {
  std::vector<AircraftPackageIndex>& indexes = cachedIndexes();
  std::vector<AircraftPackageIndex> kept;
  for (AircraftPackageIndex& index : indexes) {
    for (const PackagesSource& source : sources) {
      if (index.packagesFolder() == source.folder && index.layout() == source.layout) {
        kept.push_back(std::move(index));
        break;
      }
    }
  }
  indexes = std::move(kept);
}

}  // namespace

void setAircraftPackagesFolder(const std::string& dir) {
  std::lock_guard<std::mutex> lock(overrideMutex);
  packagesFolderOverride = dir;
}

void setConnectedSimulator(SimGeneration generation) { linkSimulator = generation; }

SimGeneration connectedSimulator() { return linkSimulator; }

std::vector<PackagesSource> packagesFoldersInUse() {
  {
    std::lock_guard<std::mutex> lock(overrideMutex);
    if (!packagesFolderOverride.empty()) {
      return {PackagesSource{"--packages", std::string(), packagesFolderOverride, PackageLayout::kEither}};
    }
  }
  const SimGeneration connected = linkSimulator;
  std::vector<PackagesSource> sources;
  for (const SimInstallation& installation : simulatorInstallations()) {
    if (connected != SimGeneration::kUnknown && installation.generation != connected) continue;
    const std::optional<std::string> folder = readInstalledPackagesPath(installation.userCfgPath);
    if (!folder || !isFolder(*folder)) continue;
    bool seen = false;
    for (const PackagesSource& source : sources)
      seen = seen || (source.folder == *folder && source.layout == installation.layout);
    if (!seen)
      sources.push_back(PackagesSource{installation.name, installation.userCfgPath, *folder, installation.layout});
  }
  return sources;
}

std::vector<AircraftInPackages> aircraftInPackages(const std::string& reportedPath) {
  const std::optional<std::string> key = packageFolderKey(reportedPath);
  if (!key) return {};
  const ModularSplit split = splitPresetFolder(*key);  // a preset is looked up by its aircraft
  const std::vector<PackagesSource> sources = packagesFoldersInUse();
  forgetIndexesOutside(sources);
  std::vector<AircraftInPackages> found;
  for (const PackagesSource& source : sources) {
    const AircraftPackageIndex& index = currentIndex(source);
    AircraftInPackages aircraft{source, index.foldersOf(split.aircraftFolder), {}, std::string()};
    for (const std::string& folder : aircraft.folders) aircraft.layers.push_back(index.layerOf(folder));
    // The preset part as reported, so that its case is the simulator's.
    if (!split.presetFolder.empty()) {
      aircraft.presetFolder = splitPresetFolder(reportedPath.substr(0, reportedPath.find_last_of("\\/"))).presetFolder;
    }
    found.push_back(std::move(aircraft));
  }
  return found;
}

std::string describePackagesSources(const std::vector<PackagesSource>& sources) {
  const std::string simulator = std::string(" (connected simulator: ") + simGenerationName(linkSimulator) + ")";
  if (sources.empty()) {
    return "Aircraft packages" + simulator +
           ": none found (no --packages, and no UserCfg.opt names an existing folder)";
  }
  std::string text = "Aircraft packages" + simulator + ":";
  for (size_t i = 0; i < sources.size(); ++i) {
    const PackagesSource& source = sources[i];
    text += (i == 0 ? " " : "; ") + source.folder + " (" +
            (source.origin.empty() ? "from --packages" : source.installation + ", from " + source.origin) + ")";
  }
  return text;
}

std::string aircraftFilesNote() {
  std::lock_guard<std::mutex> lock(noteMutex);
  return filesNote;
}

void setAircraftFilesNote(const std::string& note) {
  std::lock_guard<std::mutex> lock(noteMutex);
  filesNote = note;
}
