#include "server/connection_registry.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

struct ConnectionRegistry {
  std::mutex lock;
  std::vector<TcpSocket> live;
  std::atomic<bool> released{false};
};

ConnectionRegistry& registry() {
  static ConnectionRegistry instance;
  return instance;
}

}  // namespace

void resetConnectionRegistry() {
  ConnectionRegistry& r = registry();
  std::lock_guard<std::mutex> hold(r.lock);
  r.live.clear();
  r.released.store(false);
}

void registerConnection(TcpSocket connection) {
  ConnectionRegistry& r = registry();
  std::lock_guard<std::mutex> hold(r.lock);
  if (r.released.load()) {
    shutdownTcpBoth(connection);
    return;
  }
  r.live.push_back(connection);
}

void unregisterConnection(TcpSocket connection) {
  ConnectionRegistry& r = registry();
  std::lock_guard<std::mutex> hold(r.lock);
  r.live.erase(std::remove(r.live.begin(), r.live.end(), connection), r.live.end());
}

void releaseAllConnections() {
  ConnectionRegistry& r = registry();
  std::lock_guard<std::mutex> hold(r.lock);
  r.released.store(true);
  for (TcpSocket connection : r.live) shutdownTcpBoth(connection);
}

bool connectionsReleased() { return registry().released.load(); }
