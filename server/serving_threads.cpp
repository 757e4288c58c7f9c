#include "server/serving_threads.h"

#include <exception>

#include "server/client_session.h"
#include "server/connection_registry.h"

bool ServingThreads::start(TcpSocket accepted) {
  registerConnection(accepted);
  const uint16_t peerPort = tcpPeerPort(accepted);
  bool listed = false;
  try {
    // The entry is in the list before the thread runs, so a thread that has
    // started is never dropped unjoined.
    auto ended = std::make_shared<std::atomic<bool>>(false);
    threads_.push_back(Entry{std::thread(), peerPort, ended});
    listed = true;
    threads_.back().thread = std::thread([accepted, ended] {
      serveClient(accepted);
      ended->store(true);
    });
    return true;
  } catch (const std::exception&) {  // std::system_error or std::bad_alloc
    if (listed) threads_.pop_back();
    unregisterConnection(accepted);
    closeTcpSocket(accepted);
    return false;
  }
}

void ServingThreads::joinEnded() {
  for (auto entry = threads_.begin(); entry != threads_.end();) {
    if (!entry->ended->load()) {
      ++entry;
      continue;
    }
    entry->thread.join();
    entry = threads_.erase(entry);
  }
}

std::vector<uint16_t> ServingThreads::joinAll() {
  std::vector<uint16_t> joinedPeers;
  for (Entry& entry : threads_) {
    entry.thread.join();
    joinedPeers.push_back(entry.peerPort);
  }
  threads_.clear();
  return joinedPeers;
}
