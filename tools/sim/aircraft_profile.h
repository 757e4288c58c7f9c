// One aircraft the emulator can fly: a folder under the aircraft root with an
// "aircraft.cfg" (and, MSFS-style, a "flight_model.cfg"). The emulator reads
// the title, flap detents, engines, tanks and reference speeds from those
// files, so what it flies agrees with what a reader of the files finds. A
// plain value type.
#pragma once

#include <string>
#include <vector>

#include "tools/sim/sim_state.h"

namespace simemu {

struct AircraftProfile {
  std::string name;        // the folder's name
  std::string folder;      // the folder as found
  std::string configPath;  // absolute path of its aircraft.cfg, in the platform's form
  std::string title;
  std::vector<double> flapDetentsDeg{0.0};  // angle per flap lever detent; detent 0 first, never empty
  int takeoffFlapsIndex = 1;
  bool jet = true;
  int engineCount = 2;
  double tankCapacityGal[kTankCount] = {};
  double cruiseTasKt = 450;
  double maxIndicatedKt = 340;
  double maxMach = 0.82;
  double stallCleanKt = 140;    // flaps up
  double stallLandingKt = 110;  // full flaps
  double cruiseAltitudeFt = 15000;
};

// The names of the aircraft folders under root (each holds an aircraft.cfg),
// sorted.
std::vector<std::string> listAircraft(const std::string& root);

// Loads the aircraft folder root/name. False with a reason when the folder or
// its aircraft.cfg is missing.
bool loadAircraftProfile(const std::string& root, const std::string& name, AircraftProfile* out, std::string* error);

// Loads the preset `name` of the modular aircraft in aircraftFolder, whose
// own files are in aircraftFolder/presetFolder: each file from the preset's
// folder when it has it, else from the aircraft's "common/config"; the flap
// detents from the preset's own files when they have some, else from the
// common ones. False with a reason when the preset has no aircraft.cfg.
bool loadPresetProfile(const std::string& aircraftFolder, const std::string& presetFolder, const std::string& name,
                       AircraftProfile* out, std::string* error);

}  // namespace simemu
