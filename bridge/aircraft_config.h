// The aircraft configuration reader and the flap detent table it fills: the
// angle in degrees of each flap lever detent of the loaded aircraft, taken
// from its configuration files. Session thread only: the reader writes the
// table when the aircraft changes, the record builder reads it afterwards on
// the same thread, so no lock is needed.
#pragma once

#include <array>
#include <cstddef>

constexpr size_t kFlapDetentCount = 20;

// Flap angles in degrees, indexed by lever detent 0 to 19. An entry of -1.0
// means the aircraft's file gave no angle for that detent. All 0.0 at process
// start, before any file was read.
using FlapDetentTable = std::array<float, kFlapDetentCount>;

constexpr float kNoFlapAngle = -1.0f;

// The current table.
const FlapDetentTable& flapDetentTable();

// Reads the flap sections of the aircraft in the folder of aircraftFilePath
// (the text up to its last backslash) and replaces the table.
//
// "aircraft.cfg" is read first. Aircraft made for Microsoft Flight Simulator
// 2020 keep their flap sections in "flight_model.cfg" beside an
// "aircraft.cfg" that has none, so when "aircraft.cfg" cannot be opened, or is
// read and gives no angle at all, "flight_model.cfg" is read with the same
// rules, except that there a ';' also starts a comment, as in the
// simulator's own files.
//
// The simulators report their aircraft by a relative path inside their
// packages. When neither file opens where the path points, the folder is
// looked up in the packages (aircraft_packages.h), installation by
// installation, and each file is read from the first package folder that has
// it, so an add-on that replaces only one file of an aircraft is read as the
// simulator reads it; the first installation where a file opens wins.
//
// A modular aircraft (modular_aircraft.h) reported by a preset's
// "config\aircraft.cfg" is read from the preset's folder first; when the
// preset's files give no angle, or the aircraft is reported by its own
// folder, from its "common\config" folder, with the same rules.
//
// The table is left as it was (the previous aircraft's angles, or the start
// values) when the path has no backslash or no file can be opened. Besides
// those files it reads only the simulators' UserCfg.opt and the packages
// folders' listings; it writes nothing. Each call logs one line saying which
// file gave the angles or why none did (also kept for aircraftFilesNote()),
// and a line naming the packages folders in use whenever they change.
void readAircraftConfig();
