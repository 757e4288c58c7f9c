#include "tools/sim/sim_command_line.h"

#include <cstdlib>

namespace simemu {

namespace {

bool parseNumber(const std::string& text, double low, double high, double* value) {
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (text.empty() || end == nullptr || *end != '\0' || !(parsed >= low && parsed <= high)) return false;
  *value = parsed;
  return true;
}

bool parsePort(const std::string& text, uint16_t* port) {
  double value = 0;
  if (!parseNumber(text, 0, 65535, &value) || value != static_cast<int>(value)) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

// Applies one option that takes a value; false when the value is unusable.
bool applyValueOption(const std::string& option, const std::string& value, SimEmulatorOptions* o) {
  double number = 0;
  if (option == "--port") return parsePort(value, &o->tcp4Port);
  if (option == "--ipv6-port") {
    o->listenTcp6 = true;
    return parsePort(value, &o->tcp6Port);
  }
  if (option == "--pipe") {
    o->pipeName = pipePathFromName(value);
    return !value.empty();
  }
  if (option == "--rate") return parseNumber(value, 0, 1000, &o->frameRateHz);
  if (option == "--fixed-step") return parseNumber(value, 0, 60, &o->fixedStepSeconds);
  if (option == "--start-time") return parseNumber(value, 0, 1e7, &o->startSeconds);
  if (option == "--log") {
    o->requestLogPath = value;
    return !value.empty();
  }
  if (option == "--aircraft") {
    o->aircraftName = value;
    return !value.empty();
  }
  if (option == "--aircraft-dir") {
    o->aircraftRoot = value;
    return !value.empty();
  }
  if (option == "--packages") {
    o->packagesRoot = value;
    return !value.empty();
  }
  if (option == "--sim" && (value == "2020" || value == "2024")) {
    o->simulatorKind = value == "2024" ? SimulatorKind::kMsfs2024 : SimulatorKind::kMsfs2020;
    return true;
  }
  if (option == "--frame-kind" && parseNumber(value, 4, 7, &number) && (number == 4 || number == 7)) {
    o->frameEventKind = number == 4 ? FrameEventKind::kPlainEvent : FrameEventKind::kFrameEvent;
    return true;
  }
  return false;
}

bool takesValue(const std::string& option) {
  for (const char* known : {"--port", "--ipv6-port", "--pipe", "--rate", "--fixed-step", "--start-time", "--log",
                            "--aircraft", "--aircraft-dir", "--packages", "--frame-kind", "--sim"}) {
    if (option == known) return true;
  }
  return false;
}

}  // namespace

SimCommandLine parseSimCommandLine(int argc, const char* const* argv) {
  SimCommandLine result;
  SimEmulatorOptions& o = result.options;
  o.listenPipe = true;
  o.tcp4Port = kDefaultSimTcpPort;
  for (int i = 0; i < argc && result.error.empty(); ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      result.showHelp = true;
    } else if (option == "--version") {
      result.showVersion = true;
    } else if (option == "--no-pipe") {
      o.listenPipe = false;
    } else if (option == "--no-tcp") {
      o.listenTcp4 = false;
    } else if (option == "--stamp-blocks") {
      o.stampBlocks = true;
    } else if (option == "--preset-paths") {
      o.reportPresetPaths = true;
    } else if (!takesValue(option)) {
      result.error = "unknown option " + option;
    } else if (i + 1 >= argc) {
      result.error = option + " needs a value";
    } else if (!applyValueOption(option, argv[i + 1], &o)) {
      result.error = "bad value for " + option + ": " + argv[i + 1];
    } else {
      ++i;
    }
  }
  if (result.error.empty() && !o.listenPipe && !o.listenTcp4 && !o.listenTcp6) {
    result.error = "nothing to listen on";
  }
  return result;
}

const char* simUsageText() {
  return "usage: orvxlink-sim [options]\n"
         "  --port N          TCP port on 127.0.0.1 (default 5194; 0 picks a free one)\n"
         "  --no-tcp          no IPv4 listener\n"
         "  --ipv6-port N     also listen on [::1]:N\n"
         "  --pipe NAME       named pipe (a name or \\\\.\\pipe\\NAME; default the simulator's own)\n"
         "  --no-pipe         no named pipe\n"
         "  --rate HZ         Frame events per second (default 30; 0 none)\n"
         "  --fixed-step S    each frame moves the flight on by S seconds (default: wall clock)\n"
         "  --start-time S    start the flight S seconds into its script\n"
         "  --frame-kind K    send Frame as event kind 7 (default) or 4\n"
         "  --aircraft NAME   aircraft folder to fly (default orvx_jet)\n"
         "  --aircraft-dir D  folder of aircraft folders, reported by their full paths\n"
         "  --packages D      take aircraft from the package tree D (Community, Official; or\n"
         "                    Community2024, Community, Official2024, Official2020) and report them\n"
         "                    as the simulator does: SimObjects\\Airplanes\\NAME\\aircraft.CFG\n"
         "  --preset-paths    report a modular aircraft's preset NAME by its own file,\n"
         "                    SimObjects\\Airplanes\\FOLDER\\presets\\MAKER\\NAME\\config\\aircraft.cfg\n"
         "  --sim 2020|2024   the simulator named in the open reply (default 2020)\n"
         "  --log FILE        append every request to FILE as JSON lines\n"
         "  --stamp-blocks    data answers carry the frame number as latitude and the\n"
         "                    steady clock in microseconds as longitude (benchmarks)\n"
         "  --version         show the version and end\n"
         "  --help            show this text and end\n"
         "Commands on standard input: aircraft NAME, list, state, quit, help.\n";
}

}  // namespace simemu
