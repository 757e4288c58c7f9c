// Engines and fuel of the scripted aircraft: spool-up at start, N1/N2, EGT,
// fuel flow and the rest following the thrust lever with a lag, and the fuel
// they burn taken from the tanks. Writes the engine and tank parts of a state.
#pragma once

#include "tools/sim/aircraft_profile.h"
#include "tools/sim/sim_state.h"

namespace simemu {

// Engines off and cold, tanks filled for a flight.
void prepareEngines(const AircraftProfile& profile, SimState* state);

// Advances engines by dt seconds. startElapsedSec is the time since the start
// sequence began (negative: none runs): engines are started one after the
// other, starter first. Thrust follows each engine's lever.
void advanceEngines(const AircraftProfile& profile, double startElapsedSec, double dt, SimState* state);

// Removes what the engines burnt in dt seconds: centre tanks first, then the
// auxiliary, main and tip pairs, each pair evenly.
void burnFuel(double dt, SimState* state);

}  // namespace simemu
