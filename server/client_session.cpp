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

  ClientConnection connection(socket);
  char frame[kCommandFrameSize];
  // A frame cut short is not carried out; the read after it ends the loop.
  // The listener's flag is tested only once a frame has arrived.
  ReadOutcome read = readFixed(socket, frame, sizeof frame);
  while (read != ReadOutcome::failed && listenerRunning.load()) {
    if (read == ReadOutcome::complete && carryOut(connection, frame) == AfterCommand::endConnection) break;
    read = readFixed(socket, frame, sizeof frame);
  }

  closeConnection(socket);
  logMessage("Orvx Socket: ended client serving thread");
  connectedClientCount.fetch_sub(1);
}
