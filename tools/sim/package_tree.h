// Aircraft kept the way the simulators keep them: in packages under a
// packages folder whose layers are "Community" and "Official\OneStore" (and
// "Official\Steam") for Microsoft Flight Simulator 2020, or "Community2024",
// "Community", "Official2024\..." and "Official2020\..." for 2024, each
// package with its aircraft folders in "SimObjects\Airplanes". An aircraft
// folder is classic (an aircraft.cfg in it) or modular (files shared by all
// its presets in "common\config", each preset's own in
// "presets\<maker>\<preset>\config"); each preset is an aircraft of its own.
// The simulator reports such an aircraft by its path inside the packages,
// relative and in its own case, never by a full path.
// Pure functions over the file system; safe from any thread.
#pragma once

#include <string>
#include <vector>

namespace simemu {

struct PackagedAircraft {
  std::string airplanesFolder;  // the package's SimObjects/Airplanes folder
  std::string folderName;       // the aircraft folder's name on disk
  std::string presetFolder;     // a preset's "presets/<maker>/<preset>/config" on disk; empty when classic
};

// The aircraft called `name` (in any case): a classic aircraft folder of
// that name that holds an aircraft.cfg, or a modular aircraft's preset of
// that name whose config folder holds one, in the first package that has
// it, layers in the simulators' order, packages in name order. False when no
// package has it.
bool findPackagedAircraft(const std::string& packagesRoot, const std::string& name, PackagedAircraft* out);

// The names of every packaged aircraft and preset, sorted, each once.
std::vector<std::string> listPackagedAircraft(const std::string& packagesRoot);

// How the simulator reports an aircraft asked for as `name`: a classic one
// as "SimObjects\Airplanes\<name>\aircraft.CFG"; a preset by its aircraft's
// folder the same way, or with presetPaths by the preset's file,
// "SimObjects\Airplanes\<folder>\presets\<maker>\<name>\config\aircraft.cfg".
std::string virtualAircraftPath(const PackagedAircraft& found, const std::string& name, bool presetPaths);

}  // namespace simemu
