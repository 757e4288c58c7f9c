// Finding the loaded aircraft in the simulators' packages. A simulator
// reports the aircraft by a path inside its virtual file system, relative and
// in its own case ("SimObjects\Airplanes\Asobo_C172SP\aircraft.CFG"); the
// files behind it sit in one or more package folders under a packages
// folder. The packages folder is set by the program's --packages option, or
// else read from the UserCfg.opt of each simulator installation
// (sim_installations.h).
//
// Threads: setAircraftPackagesFolder from any thread (normally the main
// thread before the bridge starts); setConnectedSimulator and the look-ups
// on the session thread, which alone owns the cached package indexes;
// aircraftFilesNote from any thread.
#pragma once

#include <string>
#include <vector>

#include "bridge/package_index.h"
#include "bridge/sim_installations.h"

// Uses `dir` (a packages folder of either simulator) instead of the
// UserCfg.opt look-up; an empty text goes back to the look-up.
void setAircraftPackagesFolder(const std::string& dir);

// The simulator the link's open reply named; kUnknown until one did. When it
// is known, only that simulator's installations are searched.
void setConnectedSimulator(SimGeneration generation);
SimGeneration connectedSimulator();

// A packages folder in use and where it came from.
struct PackagesSource {
  std::string installation;  // "--packages" or the installation's name
  std::string origin;        // the UserCfg.opt that named the folder; empty for --packages
  std::string folder;
  PackageLayout layout;
};

// The packages folders to search, in order: the --packages folder alone
// when set (whether it exists or not); else every installation, of the
// connected simulator only when it is known, whose UserCfg.opt names an
// existing folder. A folder named by two installations of one simulator is
// searched once; named by both simulators, once with each one's layers.
std::vector<PackagesSource> packagesFoldersInUse();

// The aircraft found in one packages folder.
struct AircraftInPackages {
  PackagesSource source;
  std::vector<std::string> folders;  // the aircraft's folders, best first; empty when none holds it
  std::vector<std::string> layers;   // the layer of each folder
  std::string presetFolder;          // a modular preset's folder inside them (modular_aircraft.h), or empty
};

// The aircraft of reportedPath looked up in each packages folder in use, in
// order. Empty when the path is refused by packageFolderKey; a preset path
// is looked up by its aircraft's folder. Each packages folder's index is
// built on first use and kept until a package is added or removed there.
std::vector<AircraftInPackages> aircraftInPackages(const std::string& reportedPath);

// A one-line account of the packages folders in use, where each came from,
// and the connected simulator, for the log.
std::string describePackagesSources(const std::vector<PackagesSource>& sources);

// The account of the last aircraft change: which file gave the flap angles,
// or why none did. Empty before the first change.
std::string aircraftFilesNote();
void setAircraftFilesNote(const std::string& note);
