// The bridge as the chain benchmark runs it: the same start and stop as the
// program, with the app listener on a port given on the command line (0: a
// free one), so that a benchmark never takes the apps' fixed port 5193. It
// finds the simulator as the program does (SimConnect.cfg in the working
// directory). Prints "app port N" once apps can connect; stops on SIGINT or
// SIGTERM.
//
//     chain_bridge [PORT]
#include <cstdio>
#include <cstdlib>

#include "bridge/bridge.h"
#include "bridge/sim_messages.h"
#include "platform/stop_request.h"
#include "server/listener.h"

int main(int argc, char** argv) {
  installStopRequestHandlers();
  setListenerPort(static_cast<uint16_t>(argc > 1 ? std::atoi(argv[1]) : 0));
  startBridge();
  // The listener starts with the simulator's first data block; until then
  // there is no port to tell. Checked as often as the program's own loop
  // wakes, so the host costs no more than the program when idle.
  bool told = false;
  while (!waitForStopRequest(500)) {
    if (!told && listenerBoundPort() != 0) {
      std::printf("app port %u\n", static_cast<unsigned>(listenerBoundPort()));
      std::fflush(stdout);
      told = true;
    }
  }
  stopBridge();
  return 0;
}
