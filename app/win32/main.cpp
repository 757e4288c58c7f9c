// The program on Windows until the status window lands: starts the bridge,
// runs until Ctrl-C or the console closes, then stops it in order.
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
