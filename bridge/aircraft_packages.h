// Finding the loaded aircraft in the simulator's packages. The simulator
// reports the aircraft by a path inside its virtual file system, relative and
// in its own case ("SimObjects\Airplanes\Asobo_C172SP\aircraft.CFG"); the
// files behind it sit in one or more package folders under the packages
// folder. The packages folder is set by the program's --packages option, or
// else read from the simulator's UserCfg.opt.
//
// Threads: setAircraftPackagesFolder from any thread (normally the main
// thread before the bridge starts); the rest on the session thread, which
// alone owns the cached package index.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Uses `dir` (the folder that holds "Community" and "Official") instead of
// the UserCfg.opt look-up; an empty text goes back to the look-up.
void setAircraftPackagesFolder(const std::string& dir);

// The packages folder: the one set above, or else the InstalledPackagesPath
// of the simulator's UserCfg.opt, tried for the Microsoft Store edition
// (%LOCALAPPDATA%\Packages\Microsoft.FlightSimulator_8wekyb3d8bbwe\LocalCache)
// and then the Steam edition (%APPDATA%\Microsoft Flight Simulator); the
// first that names an existing folder wins. Nothing when neither does.
std::optional<std::string> simulatorPackagesFolder();

// The package folders that hold the folder of reportedPath, best first (see
// AircraftPackageIndex). Empty when there is no packages folder, the path is
// refused by packageFolderKey, or no package holds it. The index of the
// packages folder is built on first use and kept until the packages folder
// changes or a package is added or removed.
std::vector<std::string> aircraftFoldersInPackages(const std::string& reportedPath);
