// Shared set-up of the emulator's tests: where the shipped aircraft are, a
// unique pipe name per call, and an emulator started on an ephemeral port.
#pragma once

#include <memory>
#include <string>

#include "tools/sim/sim_emulator.h"

namespace simtest {

// The emulator's shipped package tree, and its folder of official aircraft.
std::string packagesRoot();
std::string aircraftRoot();
std::string uniquePipeName();
// Options for a test emulator: TCP on an ephemeral loopback port, no pipe,
// no frames until a test asks for them.
simemu::SimEmulatorOptions testOptions();
// Starts an emulator or fails the test that called it (null then).
std::unique_ptr<simemu::SimEmulator> startEmulator(const simemu::SimEmulatorOptions& options);

}  // namespace simtest
