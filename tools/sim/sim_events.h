// Simulator events that clients transmit (through their client-event
// mapping) and what they do to the state: autopilot switches, targets and the
// NAV 1 course. Pure apart from the state passed in.
#pragma once

#include <cstdint>
#include <string>

#include "tools/sim/sim_state.h"

namespace simemu {

// Applies the event with its 32-bit data (a two's-complement integer).
// Switch events set the switch to the data when it is 0 or 1 and toggle it
// for any other value, as the simulator's own toggle events do. Value events
// take the data as a signed integer: feet, feet per minute, knots, degrees,
// percent N1, or Mach times 100. Returns false for an event the emulator does
// not simulate (the state is then unchanged).
bool applySimEvent(const std::string& eventName, uint32_t data, SimState* state);

}  // namespace simemu
