// "rSIMDATA30": the freshness wait and the record sent.
#include <chrono>
#include <cstring>

#include "bridge/flight_record.h"
#include "server/client_connection.h"
#include "server/reply_sender.h"

namespace {

// An app that asks again before the simulator has built a new record waits
// for the next build, but no longer than 20 waits of 5 ms (a paused or
// loading simulator builds none), and then gets the same record again.
constexpr int kFreshnessWaits = 20;
constexpr std::chrono::milliseconds kFreshnessWait{5};

void waitForFreshBuild(int32_t lastSent) {
  // Before the first build (counter 0) there is nothing to wait for.
  int32_t counter = flightBuildCounter();
  for (int wait = 0; wait < kFreshnessWaits && counter != 0 && counter == lastSent; ++wait) {
    counter = waitForBuildCounterChange(lastSent, kFreshnessWait);
  }
}

}  // namespace

AfterCommand sendFlightRecord(ClientConnection& connection) {
  waitForFreshBuild(connection.lastSentBuildCounter);

  FlightRecord copy;
  const int32_t copiedBuild = readFlightRecord(copy);
  // Remember the build actually sent, so the next request waits for a newer
  // one; counter 0 (no build yet) never makes a request wait.
  if (copiedBuild != 0) connection.lastSentBuildCounter = copiedBuild;
  std::memcpy(copy.tag, kFlightRecordTag, sizeof kFlightRecordTag);  // "ORVX30" and its zero byte

  return afterReply(sendReplyPiece(connection.socket, &copy, sizeof copy));
}
