#include "platform/stop_request.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> stopRequested{false};
HANDLE stopEvent = nullptr;

BOOL WINAPI onConsoleControl(DWORD event) {
  requestStop();
  // Windows ends the process as soon as the handler of a console close,
  // log-off or shutdown returns; hold it while the main thread stops the
  // program in order and returns from main, which ends the process.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(INFINITE);
  return TRUE;  // handled: the main thread stops the program in order
}

}  // namespace

void requestStop() {
  stopRequested.store(true);
  if (stopEvent != nullptr) SetEvent(stopEvent);
}

void installStopRequestHandlers() {
  if (stopEvent == nullptr) stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

bool waitForStopRequest(unsigned timeoutMs) {
  if (stopRequested.load()) return true;
  if (stopEvent != nullptr) {
    WaitForSingleObject(stopEvent, timeoutMs);
  } else {
    Sleep(timeoutMs);
  }
  return stopRequested.load();
}
