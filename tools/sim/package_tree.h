// Aircraft kept the way the simulator keeps them: in packages under a
// packages folder that holds "Community" and "Official\OneStore" (and
// "Official\Steam"), each package with its aircraft folders in
// "SimObjects\Airplanes". The simulator reports such an aircraft by its path
// inside the packages, relative and in its own case, never by a full path.
// Pure functions over the file system; safe from any thread.
#pragma once

#include <string>
#include <vector>

namespace simemu {

struct PackagedAircraft {
  std::string airplanesFolder;  // the package's SimObjects/Airplanes folder
  std::string folderName;       // the aircraft folder's name on disk
};

// The aircraft folder called `name` (in any case) that holds an
// aircraft.cfg, in the first package that has one: Community first, then
// Official\OneStore and Official\Steam, packages in name order. False when no
// package has it.
bool findPackagedAircraft(const std::string& packagesRoot, const std::string& name, PackagedAircraft* out);

// The names of every packaged aircraft folder, sorted, each once.
std::vector<std::string> listPackagedAircraft(const std::string& packagesRoot);

// How the simulator reports the aircraft `name`:
// "SimObjects\Airplanes\<name>\aircraft.CFG".
std::string virtualAircraftPath(const std::string& name);

}  // namespace simemu
