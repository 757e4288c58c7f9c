// What the aircraft's radios receive at a place: ILS localizer and glide
// slope, DME, VOR radial and to/from flag, NDB bearings, marker beacons.
// Writes the radio part of a state; pure apart from that state.
#pragma once

#include "tools/sim/flight_area.h"
#include "tools/sim/sim_state.h"

namespace simemu {

// Tunes the radios to the flight area's stations (frequencies, idents,
// courses). Called when a flight starts.
void tuneRadios(SimState* state);

// Updates reception for the aircraft at position, at state->altitudeFt with
// state->headingTrueDeg.
void updateRadios(GridPoint position, SimState* state);

}  // namespace simemu
