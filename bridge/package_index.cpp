#include "bridge/package_index.h"

#include <algorithm>

#include "platform/folder_listing.h"

namespace {

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string joined(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return folder + (last == '\\' || last == '/' ? "" : "\\") + name;
}

// The subfolders of `folder`, in name order without regard to case (ties,
// which a case-sensitive disk allows, in byte order).
std::vector<std::string> subfoldersInNameOrder(const std::string& folder) {
  std::vector<std::string> names;
  listSubfolders(folder, &names);
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(lowerAscii(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  names.clear();
  for (auto& entry : keyed) names.push_back(std::move(entry.second));
  return names;
}

// The paths of the subfolders of `folder` called `lowerName` in any case.
std::vector<std::string> subfoldersNamed(const std::string& folder, const char* lowerName) {
  std::vector<std::string> paths;
  for (const std::string& name : subfoldersInNameOrder(folder))
    if (lowerAscii(name) == lowerName) paths.push_back(joined(folder, name));
  return paths;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// ".", "..", and the names Windows reads as one of them once it has dropped
// trailing dots and spaces ("...", ".. ").
bool isDotsOnly(const std::string& part) { return part.find_first_not_of(". ") == std::string::npos; }

// The layers of each layout, best first: "Folder" or "Folder\\Store".
const std::vector<const char*>& layerNames(PackageLayout layout) {
  static const std::vector<const char*> k2020 = {"Community", "Official\\OneStore", "Official\\Steam"};
  static const std::vector<const char*> k2024 = {"Community2024",          "Community",
                                                 "Official2024\\OneStore", "Official2024\\Steam",
                                                 "Official2020\\OneStore", "Official2020\\Steam"};
  static const std::vector<const char*> kEither = {
      "Community2024",          "Community",           "Official2024\\OneStore", "Official2024\\Steam",
      "Official2020\\OneStore", "Official2020\\Steam", "Official\\OneStore",     "Official\\Steam"};
  switch (layout) {
    case PackageLayout::k2020:
      return k2020;
    case PackageLayout::k2024:
      return k2024;
    case PackageLayout::kEither:
      break;
  }
  return kEither;
}

}  // namespace

AircraftPackageIndex AircraftPackageIndex::build(const std::string& packagesFolder, PackageLayout layout) {
  AircraftPackageIndex index;
  index.packagesFolder_ = packagesFolder;
  index.layout_ = layout;
  index.watch(packagesFolder);
  for (const char* layerName : layerNames(layout)) index.addLayers(layerName);
  return index;
}

// Every folder that matches the layer's name in any case: the outer folder
// ("Official2024") and, where the name has one, the store folder below it.
void AircraftPackageIndex::addLayers(const char* layerName) {
  const std::string name = layerName;
  const size_t separator = name.find('\\');
  const std::string outer = lowerAscii(name.substr(0, separator));
  for (const std::string& outerFolder : subfoldersNamed(packagesFolder_, outer.c_str())) {
    if (separator == std::string::npos) {
      addLayer(name, outerFolder);
      continue;
    }
    watch(outerFolder);
    const std::string store = lowerAscii(name.substr(separator + 1));
    for (const std::string& layer : subfoldersNamed(outerFolder, store.c_str())) addLayer(name, layer);
  }
}

void AircraftPackageIndex::addLayer(const std::string& layerName, const std::string& layerFolder) {
  layers_.emplace_back(layerName, layerFolder);
  watch(layerFolder);
  for (const std::string& package : subfoldersInNameOrder(layerFolder)) addPackage(joined(layerFolder, package));
}

void AircraftPackageIndex::addPackage(const std::string& packageFolder) {
  std::vector<std::string> categories;
  std::vector<std::string> objects;
  for (const std::string& simObjects : subfoldersNamed(packageFolder, "simobjects")) {
    listSubfolders(simObjects, &categories);
    for (const std::string& category : categories) {
      const std::string categoryFolder = joined(simObjects, category);
      listSubfolders(categoryFolder, &objects);
      for (const std::string& object : objects) {
        const std::string key = "simobjects\\" + lowerAscii(category) + "\\" + lowerAscii(object);
        folders_[key].push_back(joined(categoryFolder, object));
      }
    }
  }
}

void AircraftPackageIndex::watch(const std::string& folder) { stamps_.emplace_back(folder, folderStamp(folder)); }

const std::vector<std::string>& AircraftPackageIndex::foldersOf(const std::string& key) const {
  static const std::vector<std::string> kNone;
  const auto found = folders_.find(key);
  return found != folders_.end() ? found->second : kNone;
}

std::string AircraftPackageIndex::layerOf(const std::string& folder) const {
  for (const auto& [name, layerFolder] : layers_) {
    if (folder.size() > layerFolder.size() && folder.compare(0, layerFolder.size(), layerFolder) == 0 &&
        isSeparator(folder[layerFolder.size()])) {
      return name;
    }
  }
  return std::string();
}

bool AircraftPackageIndex::isCurrent() const {
  for (const auto& [folder, stamp] : stamps_)
    if (folderStamp(folder) != stamp) return false;
  return true;
}

std::optional<std::string> packageFolderKey(const std::string& reportedPath) {
  if (reportedPath.empty() || isSeparator(reportedPath[0]) || reportedPath.find(':') != std::string::npos) {
    return std::nullopt;
  }
  std::string key;
  size_t partStart = 0;
  while (true) {
    size_t partEnd = partStart;
    while (partEnd < reportedPath.size() && !isSeparator(reportedPath[partEnd])) ++partEnd;
    if (partEnd == reportedPath.size()) break;  // the last part is the file's name
    const std::string part = reportedPath.substr(partStart, partEnd - partStart);
    if (part.empty() || isDotsOnly(part)) return std::nullopt;
    key += (key.empty() ? "" : "\\") + lowerAscii(part);
    partStart = partEnd + 1;
  }
  if (key.empty()) return std::nullopt;
  return key;
}
