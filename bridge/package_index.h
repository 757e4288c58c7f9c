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

class AircraftPackageIndex {
 public:
  // Walks packagesFolder (the folder that holds "Community" and "Official"):
  // the packages of Community first, since add-ons override, then those of
  // Official\OneStore and Official\Steam; within a layer the packages in
  // name order (without regard to case, then byte order). Folder names match
  // without regard to case. Folders that cannot be read are passed over; the
  // walk goes a fixed number of levels deep, so link loops cannot hold it.
  static AircraftPackageIndex build(const std::string& packagesFolder);

  // The folders (Windows-style paths) that hold the object folder named by
  // key, best first; empty when none does. key is the lower-cased relative
  // folder with backslashes, as packageFolderKey gives it.
  const std::vector<std::string>& foldersOf(const std::string& key) const;

  const std::string& packagesFolder() const { return packagesFolder_; }
  size_t folderCount() const { return folders_.size(); }

  // False when a package or layer has been added, removed or renamed since
  // the walk (the modification stamps of the packages folder and its layer
  // folders have changed).
  bool isCurrent() const;

 private:
  void addLayer(const std::string& layerFolder);
  void addPackage(const std::string& packageFolder);
  void watch(const std::string& folder);

  std::string packagesFolder_;
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
