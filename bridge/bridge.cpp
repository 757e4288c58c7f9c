#include "bridge/bridge.h"

#include <chrono>
#include <thread>

#include "bridge/flight_record.h"
#include "bridge/link_log.h"
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
#include "simlink/open_report.h"

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

// Hands every message to the message handler; the context is the session's
// LinkLog, told when the simulator says it is quitting.
void dispatchToHandler(SIMCONNECT_RECV* message, DWORD size, void* context) {
  if (message != nullptr && size >= sizeof(SIMCONNECT_RECV) && message->dwID == SIMCONNECT_RECV_ID_QUIT) {
    static_cast<LinkLog*>(context)->simulatorQuit();
  }
  onSimMessage(message, size, nullptr);
}

// Pumps the link until the session is stopped (S_OK) or a dispatch fails
// (its result). Each dispatch hands over everything queued so far, in order;
// a message queued after that signals the event, so the wait that follows
// ends at once and nothing waits for a poll.
HRESULT dispatchUntilStoppedOrFailed(LinkLog& linkLog) {
  while (sessionRunning.load()) {
    const HRESULT result = SimConnect_CallDispatch(simLink, dispatchToHandler, &linkLog);
    if (result < 0) return result;
    simConnected.store(true);
    waitForLinkNews(kQuietLinkDispatchMs);
  }
  return kSimConnectOk;
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
  LinkLog linkLog;
  while (sessionRunning.load()) {
    const HRESULT opened = SimConnect_Open(&simLink, "Orvxlink", nullptr, 0, sessionWake, 0);
    if (opened < 0) {
      simLink = nullptr;
      linkLog.openFailed(lastLinkOpenReport(), describeOpenFailure(lastLinkOpenReport(), opened),
                         std::chrono::steady_clock::now());
      pauseBeforeNextOpen();
      continue;
    }
    logMessage("\nSimConnect Connected");
    if (!setUpLink()) {
      linkLog.openFailed(lastLinkOpenReport(), "the simulator did not take the event subscriptions",
                         std::chrono::steady_clock::now());
      closeLink();
      continue;
    }
    linkLog.opened(lastLinkOpenReport(), std::chrono::steady_clock::now());
    const HRESULT ended = dispatchUntilStoppedOrFailed(linkLog);
    if (ended >= 0) break;  // stopped: the end step closes
    linkLog.lost(ended);
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
