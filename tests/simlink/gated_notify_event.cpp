#include "gated_notify_event.h"

#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>

#include "platform/notify_event.h"

namespace {

struct GatedEvent {
  bool set = false;
  bool closed = false;
};

// One lock for the gate and every event: the stand-in is about order, not
// speed.
std::mutex lock;
std::condition_variable changed;
bool gateArmed = false;
bool signalWaiting = false;
uint32_t lateSignals = 0;
// Closed events stay here until the process ends, so that a late signal is
// counted rather than written into freed memory.
std::list<GatedEvent> events;

}  // namespace

namespace gated_notify {

void holdNextSignal() {
  std::lock_guard<std::mutex> guard(lock);
  gateArmed = true;
}

bool signalHeld(uint32_t timeoutMilliseconds) {
  std::unique_lock<std::mutex> guard(lock);
  return changed.wait_for(guard, std::chrono::milliseconds(timeoutMilliseconds), [] { return signalWaiting; });
}

bool signalStillHeld() {
  std::lock_guard<std::mutex> guard(lock);
  return signalWaiting;
}

void releaseSignal() {
  std::lock_guard<std::mutex> guard(lock);
  gateArmed = false;
  changed.notify_all();
}

uint32_t signalsAfterClose() {
  std::lock_guard<std::mutex> guard(lock);
  return lateSignals;
}

}  // namespace gated_notify

void postNotifyMessage(HWND, DWORD) {}

void setNotifyEvent(HANDLE event) {
  if (event == nullptr) return;
  auto& gated = *static_cast<GatedEvent*>(event);
  std::unique_lock<std::mutex> guard(lock);
  if (gateArmed) {
    signalWaiting = true;
    changed.notify_all();
    changed.wait(guard, [] { return !gateArmed; });
    signalWaiting = false;
  }
  if (gated.closed) {
    ++lateSignals;
    return;
  }
  gated.set = true;
  changed.notify_all();
}

HANDLE createNotifyEvent() {
  std::lock_guard<std::mutex> guard(lock);
  events.emplace_back();
  return &events.back();
}

bool waitNotifyEvent(HANDLE event, uint32_t timeoutMilliseconds) {
  if (event == nullptr) return false;
  auto& gated = *static_cast<GatedEvent*>(event);
  std::unique_lock<std::mutex> guard(lock);
  const bool set =
      changed.wait_for(guard, std::chrono::milliseconds(timeoutMilliseconds), [&gated] { return gated.set; });
  gated.set = false;
  return set;
}

void closeNotifyEvent(HANDLE event) {
  if (event == nullptr) return;
  std::lock_guard<std::mutex> guard(lock);
  static_cast<GatedEvent*>(event)->closed = true;
}
