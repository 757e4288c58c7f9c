// orvxlink-sim: the simulator emulator as a program, for demos and manual
// tests. Serves until Ctrl-C (SIGINT or SIGTERM on POSIX, console close on
// Windows) or "quit" on standard input, then closes its clients and exits 0.
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>

#include "orvxlink_version.h"
#include "platform/line_input.h"
#include "platform/pipe_path.h"
#include "platform/stop_request.h"
#include "tools/sim/sim_command_line.h"
#include "tools/sim/sim_emulator.h"

namespace {

using simemu::SimEmulator;

std::string listeningLine(const SimEmulator& emulator, const simemu::SimEmulatorOptions& options) {
  std::ostringstream line;
  line << "orvxlink-sim: listening on";
  const char* separator = " ";
  if (options.listenPipe) {
    line << separator << "pipe " << emulator.pipeName();
    const std::string endpoint = localPipeEndpoint(emulator.pipeName());
    if (endpoint != emulator.pipeName()) line << " (" << endpoint << ")";
    separator = ", ";
  }
  if (options.listenTcp4) {
    line << separator << "tcp " << options.tcp4Host << ":" << emulator.tcp4Port();
    separator = ", ";
  }
  if (options.listenTcp6) line << separator << "tcp [" << options.tcp6Host << "]:" << emulator.tcp6Port();
  line << "; aircraft " << emulator.snapshot().aircraftName << " at " << emulator.aircraftFilePath();
  return line.str();
}

void printState(const SimEmulator& emulator) {
  const simemu::SimState s = emulator.snapshot();
  std::printf("%s, %.1f s: %s, lat %.5f lon %.5f, alt %.0f ft, IAS %.0f kt, hdg %.0f, %d client(s)\n",
              s.aircraftName.c_str(), s.scriptTimeSec, s.phase.c_str(), s.latitudeDeg, s.longitudeDeg, s.altitudeFt,
              s.indicatedAirspeedKt, s.headingTrueDeg, static_cast<int>(emulator.clientIds().size()));
}

void runCommand(SimEmulator& emulator, const std::string& line) {
  std::istringstream words(line);
  std::string command, argument;
  words >> command >> argument;
  if (command.empty()) return;
  if (command == "aircraft" && !argument.empty()) {
    std::string error;
    if (emulator.selectAircraft(argument, &error)) {
      std::printf("aircraft %s at %s\n", argument.c_str(), emulator.aircraftFilePath().c_str());
    } else {
      std::printf("cannot load aircraft %s: %s\n", argument.c_str(), error.c_str());
    }
  } else if (command == "list") {
    for (const std::string& name : emulator.aircraftNames()) std::printf("%s\n", name.c_str());
  } else if (command == "state") {
    printState(emulator);
  } else if (command == "quit" || command == "exit") {
    requestStop();
  } else {
    std::printf("commands: aircraft NAME, list, state, quit\n");
  }
  std::fflush(stdout);
}

// Reads commands until standard input ends or a stop is requested.
void readCommands(SimEmulator& emulator) {
  std::string line;
  while (!waitForStopRequest(0)) {
    const LineRead result = readStandardInputLine(&line, 200);
    if (result == LineRead::kEnd) return;
    if (result == LineRead::kLine) runCommand(emulator, line);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const simemu::SimCommandLine commandLine = simemu::parseSimCommandLine(argc - 1, argv + 1);
  if (!commandLine.error.empty()) {
    std::fprintf(stderr, "orvxlink-sim: %s\n%s", commandLine.error.c_str(), simemu::simUsageText());
    return 2;
  }
  if (commandLine.showHelp) {
    std::printf("%s", simemu::simUsageText());
    return 0;
  }
  if (commandLine.showVersion) {
    std::printf("orvxlink-sim %s\n", ORVXLINK_VERSION);
    return 0;
  }
  installStopRequestHandlers();
  SimEmulator emulator(commandLine.options);
  std::string error;
  if (!emulator.start(&error)) {
    std::fprintf(stderr, "orvxlink-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", listeningLine(emulator, commandLine.options).c_str());
  std::fflush(stdout);
  std::thread commands([&emulator] { readCommands(emulator); });
  while (!waitForStopRequest(500)) {
  }
  commands.join();
  emulator.stop();
  std::printf("orvxlink-sim: stopped\n");
  return 0;
}
