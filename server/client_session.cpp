#include "server/client_session.h"

#include <cstring>
#include <new>

#include "bridge/shared_state.h"
#include "log/log.h"
#include "server/app_protocol.h"
#include "server/client_connection.h"
#include "server/connection_registry.h"
#include "server/socket_reader.h"

namespace {

using CommandHandler = AfterCommand (*)(ClientConnection&);

struct Command {
  const char* frame;
  CommandHandler handler;
};

const Command kCommands[] = {
    {kRequestFlightData, sendFlightRecord},
    {kRequestFmcData, sendFmcData},
    {kPeekFmcData, sendFmcPeek},
    {kUploadSettings, receiveSettingsUpload},
    {kUploadFmcData, receiveFmcUpload},
    {kUploadFlightPlan, receiveFlightPlanUpload},
};

// Frames are matched byte for byte; anything else is ignored. Memory that
// cannot be had for one app's command ends that app's connection, not the
// bridge.
AfterCommand carryOut(ClientConnection& connection, const char (&frame)[kCommandFrameSize]) {
  for (const Command& command : kCommands) {
    if (std::memcmp(frame, command.frame, kCommandFrameSize) != 0) continue;
    try {
      return command.handler(connection);
    } catch (const std::bad_alloc&) {
      return AfterCommand::endConnection;
    }
  }
  return AfterCommand::readNextFrame;
}

// Carries out the app's commands until it leaves, a reply finds it gone or
// the listener stops. A frame cut short is not carried out; the read after it
// ends the loop. The listener's flag is tested only once a frame has arrived.
void serveCommands(TcpSocket socket) {
  ClientConnection connection(socket);
  char frame[kCommandFrameSize];
  bool arrivalNoted = false;
  for (;;) {
    if (connection.recordRequest.isParked()) {
      // The one sleep per record while an app polls: until its next command,
      // by which time the session thread has usually sent the record, or
      // until the request's freshness wait runs out.
      waitTcpReadable(socket, static_cast<int>(connection.recordRequest.timeLeft().count()));
      if (settleParkedFlightRecord(connection) == AfterCommand::endConnection) return;
    }
    const ReadOutcome read = readFixed(socket, frame, sizeof frame);
    if (read == ReadOutcome::failed || !listenerRunning.load()) return;
    if (read == ReadOutcome::complete && !arrivalNoted) {
      // A whole first frame: the status display names this app as the last.
      noteAppArrival(tcpPeerText(socket));
      arrivalNoted = true;
    }
    if (read == ReadOutcome::complete && carryOut(connection, frame) == AfterCommand::endConnection) return;
  }
}

void closeConnection(TcpSocket connection) {
  unregisterConnection(connection);
  shutdownTcpReceive(connection);
  closeTcpSocket(connection);
}

}  // namespace

void serveClient(TcpSocket socket) {
  connectedClientCount.fetch_add(1);
  if (!tcpPeerKnown(socket)) {
    closeConnection(socket);
    connectedClientCount.fetch_sub(1);
    return;
  }

  // The connection's state goes before its socket is closed.
  serveCommands(socket);
  closeConnection(socket);
  logMessage("Orvx Socket: ended client serving thread");
  connectedClientCount.fetch_sub(1);
}
