#include "bridge/shared_state.h"

#include <mutex>

std::atomic<bool> sessionRunning{false};
std::atomic<bool> simConnected{false};
std::atomic<bool> listenerRunning{false};
std::atomic<int32_t> connectedClientCount{0};

bool aircraftChanged = false;
std::string aircraftFilePath;

namespace {

std::mutex& appArrivalLock() {
  static std::mutex lock;
  return lock;
}

AppArrival& lastArrival() {
  static AppArrival arrival;
  return arrival;
}

std::mutex& appPortLock() {
  static std::mutex lock;
  return lock;
}

AppPortState& currentAppPortState() {
  static AppPortState state;
  return state;
}

}  // namespace

void noteAppArrival(const std::string& peer) {
  const std::time_t now = std::time(nullptr);
  std::lock_guard<std::mutex> hold(appArrivalLock());
  lastArrival() = AppArrival{peer, now};
}

AppArrival lastAppArrival() {
  std::lock_guard<std::mutex> hold(appArrivalLock());
  return lastArrival();
}

void noteAppPortState(const AppPortState& state) {
  std::lock_guard<std::mutex> hold(appPortLock());
  currentAppPortState() = state;
}

AppPortState appPortState() {
  std::lock_guard<std::mutex> hold(appPortLock());
  return currentAppPortState();
}
