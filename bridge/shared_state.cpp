#include "bridge/shared_state.h"

#include <mutex>

std::atomic<bool> sessionRunning{false};
std::atomic<bool> simConnected{false};
std::atomic<bool> listenerRunning{false};
std::atomic<int32_t> connectedClientCount{0};

bool aircraftChanged = false;
std::string aircraftFilePath;

namespace {

// A value that any thread may read or replace whole, under a lock of its own.
template <typename T>
struct Guarded {
  std::mutex lock;
  T value;
};

Guarded<AppArrival>& lastArrival() {
  static Guarded<AppArrival> arrival;
  return arrival;
}

Guarded<AppPortState>& currentAppPortState() {
  static Guarded<AppPortState> state;
  return state;
}

}  // namespace

void noteAppArrival(const std::string& peer) {
  const std::time_t now = std::time(nullptr);
  std::lock_guard<std::mutex> hold(lastArrival().lock);
  lastArrival().value = AppArrival{peer, now};
}

AppArrival lastAppArrival() {
  std::lock_guard<std::mutex> hold(lastArrival().lock);
  return lastArrival().value;
}

void noteAppPortState(const AppPortState& state) {
  std::lock_guard<std::mutex> hold(currentAppPortState().lock);
  currentAppPortState().value = state;
}

AppPortState appPortState() {
  std::lock_guard<std::mutex> hold(currentAppPortState().lock);
  return currentAppPortState().value;
}
