// The program on POSIX. In a terminal it shows the status screen, the
// counterpart of the Windows status window: the status text, the address
// line and the detail lines refreshed every 500 ms in place, until q, Escape
// or Ctrl-C (or SIGINT, SIGTERM, or the terminal going away). Without a terminal it runs headless until SIGINT or
// SIGTERM. Either way the bridge is stopped in order and the exit status is 0.
// --help and --version print and end; a wrong command line ends with status 2.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/address_line.h"
#include "app/command_line.h"
#include "app/detail_lines.h"
#include "app/exit_keys.h"
#include "app/log_setup.h"
#include "app/status_screen.h"
#include "app/status_text.h"
#include "bridge/aircraft_packages.h"
#include "bridge/bridge.h"
#include "bridge/shared_state.h"
#include "platform/standard_output.h"
#include "platform/stop_request.h"
#include "platform/terminal.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kRefreshPeriod{500};
// Longest wait for keys, so that a stop request from a signal is seen soon.
constexpr unsigned kStopCheckMs = 50;

// The terminal in raw mode for as long as the screen is up, given back as it
// was however the screen ends.
class RawTerminal {
 public:
  RawTerminal() : active_(enterRawTerminal()) {}
  ~RawTerminal() {
    writeTerminal(statusScreenClosing());
    restoreTerminal();
  }
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;
  bool active() const { return active_; }

 private:
  bool active_;
};

// One frame with `status` over the address and detail lines as they are now.
void drawScreen(const std::string& status, AddressLine& addressLine) {
  writeTerminal(statusScreenFrame(status, addressLine.refresh(appPortState()), {lastAppLine(), logPlaceLine()}));
}

void reportStatus(AddressLine& addressLine) {
  drawScreen(statusText(connectedClientCount.load(), simConnected.load()), addressLine);
}

// Waits for an exit key, a stop request or the terminal's end until `until`;
// true when the program is to stop.
bool exitRequestedBefore(Clock::time_point until) {
  std::string keys;
  while (true) {
    if (waitForStopRequest(0)) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0) return false;
    const unsigned waitMs = static_cast<unsigned>(std::min<long long>(left.count(), kStopCheckMs));
    const TerminalInput input = readTerminalKeys(&keys, waitMs);
    if (input == TerminalInput::kClosed) return true;
    if (input == TerminalInput::kKeys && holdsExitKey(keys)) return true;
  }
}

int runStatusScreen() {
  RawTerminal terminal;
  if (!terminal.active()) std::fprintf(stderr, "orvxlink: the terminal's mode cannot be changed\n");
  AddressLine addressLine;
  writeTerminal(statusScreenOpening());
  drawScreen("", addressLine);
  startBridge();
  Clock::time_point nextRefresh = Clock::now() + kRefreshPeriod;
  while (!exitRequestedBefore(nextRefresh)) {
    reportStatus(addressLine);
    nextRefresh += kRefreshPeriod;
  }
  stopBridge();
  return 0;
}

int runHeadless() {
  startBridge();
  // Tells whoever started it (a service manager, a test) that it is up and
  // how to stop it.
  std::printf("orvxlink: running without a terminal; stop with Ctrl-C or SIGTERM\n");
  std::fflush(stdout);
  while (!waitForStopRequest(500)) {
  }
  stopBridge();
  return 0;
}

// Acts on the command line; -1 when the program is to run, else its exit
// status.
int handleCommandLine(const std::vector<std::string>& args) {
  AppOptions options;
  std::string error;
  if (!parseCommandLine(args, options, error)) {
    std::fprintf(stderr, "orvxlink: %s\n(orvxlink --help shows the usage)\n", error.c_str());
    return kAppExitUsage;
  }
  if (options.showHelp || options.showVersion) {
    const std::string text = options.showHelp ? commandLineHelp("orvxlink") : versionText("orvxlink");
    std::fputs(text.c_str(), stdout);
    return 0;
  }
  setUpLog(options, "orvxlink", args);
  if (!options.packagesDir.empty()) setAircraftPackagesFolder(options.packagesDir);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  protectStandardOutput();
  const int status = handleCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (status >= 0) return status;
  installStopRequestHandlers();
  try {
    return standardStreamsAreTerminal() ? runStatusScreen() : runHeadless();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "orvxlink: cannot start: %s\n", error.what());
    return 1;
  }
}
