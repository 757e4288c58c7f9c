#include "bridge/bridge.h"

#include <thread>

#include "bridge/flight_record.h"
#include "bridge/settings_record.h"
#include "bridge/shared_state.h"
#include "bridge/sim_link.h"
#include "bridge/sim_messages.h"
#include "bridge/sim_subscriptions.h"
#include "log/log.h"
#include "platform/clock.h"
#include "platform/socket_library.h"
#include "server/listener.h"

HANDLE simLink = nullptr;

namespace {

std::thread sessionThread;

// One connection cycle's set-up on a freshly opened link: the data
// definition and event mappings (their results are not acted on), then the
// three subscriptions, which must all succeed.
bool setUpLink() {
  defineSimData();
  mapClientEvents();
  return subscribeToSystemEvents();
}

void closeLink() {
  SimConnect_Close(simLink);
  simConnected.store(false);
  simLink = nullptr;
}

// Pumps the link until the session is stopped (true) or a dispatch fails
// (false).
bool dispatchUntilStoppedOrFailed() {
  while (sessionRunning.load()) {
    if (SimConnect_CallDispatch(simLink, onSimMessage, nullptr) < 0) return false;
    simConnected.store(true);
    sleepMilliseconds(1);
  }
  return true;
}

void endSession() {
  if (simLink != nullptr) closeLink();
  stopListener();
}

}  // namespace

bool startBridge() {
  truncateLogFile();
  resetFlightRecord();
  resetPendingSettings();
  startSocketLibrary();
  sessionRunning.store(true);  // before the thread exists, so an early stop is never lost
  sessionThread = std::thread(runSimSession);
  return true;
}

void runSimSession() {
  while (sessionRunning.load()) {
    if (SimConnect_Open(&simLink, "Orvxlink", nullptr, 0, nullptr, 0) < 0) {
      simLink = nullptr;
      sleepMilliseconds(100);
      continue;
    }
    logMessage("\nSimConnect Connected");
    if (setUpLink() && dispatchUntilStoppedOrFailed()) break;  // stopped: the end step closes
    closeLink();
  }
  endSession();
}

void stopBridge() {
  sessionRunning.store(false);
  if (sessionThread.joinable()) sessionThread.join();
  stopSocketLibrary();
}
