// The program on POSIX: starts the bridge, runs until Ctrl-C or SIGTERM,
// then stops it in order, exactly as the window's "Exit" does on Windows.
#include "bridge/bridge.h"
#include "platform/stop_request.h"

int main() {
  installStopRequestHandlers();
  startBridge();
  while (!waitForStopRequest(500)) {
  }
  stopBridge();
  return 0;
}
