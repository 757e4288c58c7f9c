// Test support: puts a chosen flap detent table in place the way the program
// does, through the aircraft configuration reader: the table is written as an
// aircraft.cfg with one "flaps-position.N" line per detent that has an angle,
// in a scratch folder, and read from there. Session-thread state, so main
// test thread only; aircraftFilePath is left as it was.
#pragma once

#include "bridge/aircraft_config.h"

// Requires: every entry is kNoFlapAngle or an angle from 0 to 90 degrees.
// True when the reader's table equals `table` afterwards.
bool loadFlapDetentTable(const FlapDetentTable& table);

// Every detent at 0.0 degrees, as before any aircraft file was read.
bool loadZeroFlapDetentTable();
