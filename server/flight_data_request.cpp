// "rSIMDATA30": the freshness wait and the record sent.
#include <chrono>

#include "bridge/flight_record.h"
#include "server/client_connection.h"
#include "server/reply_sender.h"

namespace {

// An app that asks again before the simulator has built a new record waits
// for the next build, but no longer than 20 waits of 5 ms (a paused or
// loading simulator builds none), and then gets the same record again. The
// wait ends the moment a build is published.
constexpr std::chrono::milliseconds kFreshnessWait{20 * 5};

// The build to send: the latest, or, when this connection has already been
// sent it, the next one within the freshness wait. Before the first build
// (counter 0) there is nothing to wait for.
FlightRecordBuild freshBuild(int32_t lastSent) {
  FlightRecordBuild build = latestFlightRecord();
  if (build->buildCounter != 0 && build->buildCounter == lastSent) {
    build = waitForFlightRecordAfter(lastSent, kFreshnessWait);
  }
  return build;
}

}  // namespace

AfterCommand sendFlightRecord(ClientConnection& connection) {
  const FlightRecordBuild build = freshBuild(connection.lastSentBuildCounter);
  // Remember the build actually sent, so the next request waits for a newer
  // one; counter 0 (no build yet) never makes a request wait.
  if (build->buildCounter != 0) connection.lastSentBuildCounter = build->buildCounter;
  // A published build is immutable and carries the tag already: it is sent
  // as it stands, with no copy.
  return afterReply(sendReplyPiece(connection.socket, &build->record, sizeof build->record));
}
