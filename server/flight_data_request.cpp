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

// Sends the build from `offset` on and remembers it as the last one sent, so
// the next request waits for a newer one; counter 0 (no build yet) never
// makes a request wait. A published build is immutable and carries the tag
// already: it is sent as it stands, with no copy.
AfterCommand sendBuild(ClientConnection& connection, const FlightRecordBuild& build, size_t offset = 0) {
  if (build->buildCounter != 0) connection.lastSentBuildCounter = build->buildCounter;
  const auto* bytes = reinterpret_cast<const uint8_t*>(&build->record);
  return afterReply(sendReplyPiece(connection.socket, bytes + offset, sizeof build->record - offset));
}

}  // namespace

AfterCommand sendFlightRecord(ClientConnection& connection) {
  const int32_t lastSent = connection.lastSentBuildCounter;
  // Before the first build (counter 0) there is nothing to wait for.
  if (lastSent != 0 && flightBuildCounter() == lastSent) {
    const auto deadline = ParkedRecordRequest::Clock::now() + kFreshnessWait;
    if (connection.recordRequest.park(lastSent, deadline)) return AfterCommand::readNextFrame;
    // A build was published while the request was being parked: sent below.
  }
  return sendBuild(connection, latestFlightRecord());
}

AfterCommand settleParkedFlightRecord(ClientConnection& connection) {
  ParkedRecordRequest::Settled settled = connection.recordRequest.settle();
  switch (settled.outcome) {
    case ParkedRecordRequest::Settled::nothingParked:
      return AfterCommand::readNextFrame;
    case ParkedRecordRequest::Settled::delivered:
      // Sends nothing when the session thread sent it whole.
      return sendBuild(connection, settled.build, settled.bytesSent);
    case ParkedRecordRequest::Settled::takenBack:
      break;
  }
  // The deadline passed, or the app sent something else first: the request
  // is answered now, still within its freshness wait.
  const auto left = connection.recordRequest.timeLeft();
  return sendBuild(connection, waitForFlightRecordAfter(connection.lastSentBuildCounter, left));
}
