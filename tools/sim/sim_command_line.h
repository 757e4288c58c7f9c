// The command line of orvxlink-sim: which transports to serve, the frame
// rate and clock, the aircraft and the request log. Pure parsing; the program
// acts on the result.
#pragma once

#include <string>

#include "tools/sim/sim_emulator.h"

namespace simemu {

constexpr uint16_t kDefaultSimTcpPort = 5194;

struct SimCommandLine {
  SimEmulatorOptions options;
  bool showHelp = false;
  bool showVersion = false;
  std::string error;  // empty when the line was understood
};

// Parses the arguments after the program name. By default the program serves
// the simulator's default local pipe and TCP 127.0.0.1:5194.
SimCommandLine parseSimCommandLine(int argc, const char* const* argv);

const char* simUsageText();

}  // namespace simemu
