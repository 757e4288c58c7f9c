// An index of the simulator object folders in the simulator's packages: for
// each "SimObjects\<category>\<folder>" inside any package, the package
// folders that hold it, in the simulator's order of precedence. Built by one
// walk over the packages folder; afterwards a look-up reads no disk. A value
// type; one thread at a time (the bridge keeps its one on the session thread).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// Which simulator's packages a folder holds, and so which layers it has.
// k2020: "Community", then "Official\OneStore" and "Official\Steam".
// k2024: "Community2024" (add-ons for that simulator alone), "Community"
// (shared with 2020), "Official2024\OneStore", "Official2024\Steam",
// "Official2020\OneStore", "Official2020\Steam": add-ons over official
// content, and each simulator's own content over the older one's.
// kEither (a folder given by the user, of either simulator): the 2024 layers
// and then the 2020 "Official" ones; a folder of one simulator has none of
// the other's, so each keeps its own order.
enum class PackageLayout { k2020, k2024, kEither };

class AircraftPackageIndex {
 public:
  // Walks packagesFolder layer by layer in the layout's order (add-ons
  // first, since they override); within a layer the packages in name order
  // (without regard to case, then byte order). Folder names match without
  // regard to case. Folders that cannot be read are passed over; the walk
  // goes a fixed number of levels deep, so link loops cannot hold it.
  static AircraftPackageIndex build(const std::string& packagesFolder, PackageLayout layout = PackageLayout::kEither);

  // The folders (Windows-style paths) that hold the object folder named by
  // key, best first; empty when none does. key is the lower-cased relative
  // folder with backslashes, as packageFolderKey gives it.
  const std::vector<std::string>& foldersOf(const std::string& key) const;

  const std::string& packagesFolder() const { return packagesFolder_; }
  PackageLayout layout() const { return layout_; }
  size_t folderCount() const { return folders_.size(); }

  // The layer ("Community2024", "Official\OneStore", ...) of a folder that
  // foldersOf gave; empty for any other folder.
  std::string layerOf(const std::string& folder) const;

  // False when a package or layer has been added, removed or renamed since
  // the walk (the modification stamps of the packages folder and its layer
  // folders have changed).
  bool isCurrent() const;

 private:
  void addLayers(const char* layerName);
  void addLayer(const std::string& layerName, const std::string& layerFolder);
  void addPackage(const std::string& packageFolder);
  void watch(const std::string& folder);

  std::string packagesFolder_;
  PackageLayout layout_ = PackageLayout::kEither;
  std::vector<std::pair<std::string, std::string>> layers_;  // name, folder
  std::unordered_map<std::string, std::vector<std::string>> folders_;
  std::vector<std::pair<std::string, uint64_t>> stamps_;  // folder, stamp at the walk
};

// The index key of the folder of a path the simulator reports inside its
// packages ("SimObjects\Airplanes\Asobo_C172SP\aircraft.CFG" gives
// "simobjects\airplanes\asobo_c172sp"); '/' separates as '\' does. Nothing
// for a path that could reach outside a package: an absolute one (a leading
// separator, or a ':' anywhere, as in a drive letter), one with an empty,
// "." or ".." part (or one of only dots and spaces, which Windows may read as
// those), or one without a folder.
std::optional<std::string> packageFolderKey(const std::string& reportedPath);
