#include "bridge/bridge.h"

#include <chrono>
#include <thread>

#include "bridge/flight_record.h"
#include "bridge/settings_record.h"
#include "bridge/shared_state.h"
#include "bridge/sim_link.h"
#include "bridge/sim_messages.h"
#include "bridge/sim_subscriptions.h"
#include "log/log.h"
#include "platform/clock.h"
#include "platform/notify_event.h"
#include "platform/socket_library.h"
#include "server/listener.h"

HANDLE simLink = nullptr;

namespace {

std::thread sessionThread;

// The session thread sleeps on this event between dispatch calls: the link
// signals it when a message is queued or the link fails, stopBridge when the
// session is to end. Created by startBridge, closed by stopBridge after the
// session thread has ended. Null if it could not be created; the session then
// polls the link every millisecond.
HANDLE sessionWake = nullptr;

// A quiet link is dispatched this often all the same, so that nothing can
// wait for long on a missed signal.
constexpr uint32_t kQuietLinkDispatchMs = 2000;
constexpr uint32_t kPollWithoutEventMs = 1;
constexpr std::chrono::milliseconds kOpenRetryPause{100};

// Sleeps until the link has news or the session is stopped, at most
// `timeoutMs`.
void waitForLinkNews(uint32_t timeoutMs) {
  if (sessionWake == nullptr) {
    sleepMilliseconds(kPollWithoutEventMs);
    return;
  }
  waitNotifyEvent(sessionWake, timeoutMs);
}

// The pause between open attempts: its full length, unless the session is
// stopped meanwhile (a stale signal left by a failed link does not shorten it).
void pauseBeforeNextOpen() {
  const auto until = std::chrono::steady_clock::now() + kOpenRetryPause;
  while (sessionRunning.load()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    if (sessionWake == nullptr) {
      sleepMilliseconds(static_cast<unsigned>(left.count()));
    } else {
      waitNotifyEvent(sessionWake, static_cast<uint32_t>(left.count()) + 1);
    }
  }
}

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
// (false). Each dispatch hands over everything queued so far, in order; a
// message queued after that signals the event, so the wait that follows ends
// at once and nothing waits for a poll.
bool dispatchUntilStoppedOrFailed() {
  while (sessionRunning.load()) {
    if (SimConnect_CallDispatch(simLink, onSimMessage, nullptr) < 0) return false;
    simConnected.store(true);
    waitForLinkNews(kQuietLinkDispatchMs);
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
  sessionWake = createNotifyEvent();
  sessionRunning.store(true);  // before the thread exists, so an early stop is never lost
  sessionThread = std::thread(runSimSession);
  return true;
}

void runSimSession() {
  while (sessionRunning.load()) {
    if (SimConnect_Open(&simLink, "Orvxlink", nullptr, 0, sessionWake, 0) < 0) {
      simLink = nullptr;
      pauseBeforeNextOpen();
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
  if (sessionWake != nullptr) setNotifyEvent(sessionWake);  // ends a wait between dispatches or opens
  if (sessionThread.joinable()) sessionThread.join();
  closeNotifyEvent(sessionWake);
  sessionWake = nullptr;
  stopSocketLibrary();
}
