#include "simlink/link_process.h"

#include <atomic>

#include "platform/link_sockets.h"

namespace {

std::atomic<uint32_t> connectionSerialCounter{0};
std::atomic<int32_t> liveClientObjects{0};
std::atomic<int32_t> openLinks{0};
std::atomic<bool> socketsStarted{false};

}  // namespace

uint32_t nextConnectionSerial() {
  uint32_t current = connectionSerialCounter.load();
  uint32_t next;
  do {
    next = current == 0xFFFFFFFFu ? 1 : current + 1;
  } while (!connectionSerialCounter.compare_exchange_weak(current, next));
  return next;
}

void noteClientObjectCreated() { liveClientObjects.fetch_add(1); }
void noteClientObjectDestroyed() { liveClientObjects.fetch_sub(1); }
int32_t liveClientObjectCount() { return liveClientObjects.load(); }

void noteLinkCreated() { openLinks.fetch_add(1); }
bool noteLinkClosed() { return openLinks.fetch_sub(1) == 1; }
int32_t openLinkCount() { return openLinks.load(); }

bool ensureLinkSocketsStarted() {
  if (socketsStarted.load()) return true;
  if (!startSocketsForLinks()) return false;
  socketsStarted.store(true);
  return true;
}

void cleanUpLinkSocketsIfStarted() {
  if (!socketsStarted.exchange(false)) return;
  cleanupSocketsForLinks();
}

bool linkSocketsStarted() { return socketsStarted.load(); }
