#include "server/client_session.h"

#include <chrono>
#include <cstring>
#include <new>
#include <string>

#include "bridge/shared_state.h"
#include "log/log.h"
#include "server/app_protocol.h"
#include "server/check_page_session.h"
#include "server/client_connection.h"
#include "server/connection_registry.h"
#include "server/first_bytes.h"
#include "server/socket_reader.h"

namespace {

// How long a new connection may stay silent before it is counted as an app.
constexpr int kFirstBytesGraceMilliseconds = 200;

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
    if (command.handler == sendFlightRecord) ++connection.recordRequests;
    try {
      return command.handler(connection);
    } catch (const std::bad_alloc&) {
      return AfterCommand::endConnection;
    }
  }
  return AfterCommand::readNextFrame;
}

// Carries out the app's commands, its first frame already read, until it
// leaves, a reply finds it gone or the listener stops. A frame cut short is
// not carried out; the read after it ends the loop. The listener's flag is
// tested only once a frame has arrived.
void serveCommands(ClientConnection& connection, const std::string& firstFrame) {
  const TcpSocket socket = connection.socket;
  char frame[kCommandFrameSize];
  firstFrame.copy(frame, sizeof frame);
  if (!listenerRunning.load() || carryOut(connection, frame) == AfterCommand::endConnection) return;
  for (;;) {
    if (connection.recordRequest.isParked()) {
      // The one sleep per record while an app polls: until its next command,
      // by which time the session thread has usually sent the record, until
      // the session thread leaves part of a record to finish, or until the
      // request's freshness wait runs out.
      connection.recordRequest.awaitSettling();
      if (settleParkedFlightRecord(connection) == AfterCommand::endConnection) return;
    }
    const ReadOutcome read = readFixed(socket, frame, sizeof frame);
    if (read == ReadOutcome::failed || !listenerRunning.load()) return;
    if (read == ReadOutcome::complete && carryOut(connection, frame) == AfterCommand::endConnection) return;
  }
}

void closeConnection(TcpSocket connection) {
  unregisterConnection(connection);
  shutdownTcpReceive(connection);
  closeTcpSocket(connection);
}

// connectedClientCount for one connection: it counts from the moment the
// connection is known or presumed to be an app, and at most once.
class AppCount {
 public:
  AppCount() = default;
  AppCount(const AppCount&) = delete;
  AppCount& operator=(const AppCount&) = delete;
  ~AppCount() { remove(); }
  void add() {
    if (!counted_) connectedClientCount.fetch_add(1);
    counted_ = true;
  }
  void remove() {
    if (counted_) connectedClientCount.fetch_sub(1);
    counted_ = false;
  }

 private:
  bool counted_ = false;
};

// "192.168.1.31:50112"; empty when the peer cannot be read.
std::string peerText(TcpSocket socket) {
  Ipv4Address address = 0;
  uint16_t port = 0;
  if (!tcpPeerAddress(socket, address, port)) return {};
  const auto* b = reinterpret_cast<const uint8_t*>(&address);
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]) +
         ":" + std::to_string(port);
}

// Serves a connection that proved to be an app, from its first frame on.
void serveApp(TcpSocket socket, const std::string& firstFrame, const std::string& peer) {
  noteAppArrival(peer);
  logMessage("Orvx Socket: app connected from %s", peer.c_str());
  const auto start = std::chrono::steady_clock::now();
  uint64_t records = 0;
  {
    // The connection's state goes before its socket is closed.
    ClientConnection connection(socket);
    serveCommands(connection, firstFrame);
    records = connection.recordRequests;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  logMessage("Orvx Socket: app %s ended after %.1f s, %llu records sent", peer.c_str(), seconds,
             static_cast<unsigned long long>(records));
}

}  // namespace

void serveClient(TcpSocket socket) {
  const std::string peer = peerText(socket);
  if (peer.empty()) {
    closeConnection(socket);
    return;
  }
  // Apps are counted from their connect, browsers not at all: a connection
  // whose first bytes come at once is counted once they show an app; one
  // that stays silent is presumed to be an app meanwhile.
  AppCount count;
  if (!waitTcpReadable(socket, kFirstBytesGraceMilliseconds)) count.add();
  const FirstBytes first = readFirstBytes(socket);
  if (first.kind == FirstBytes::httpRequest) {
    count.remove();
    answerCheckPageRequest(socket, first.bytes, first.firstByteAt, peer);
  } else if (first.kind == FirstBytes::appFrame) {
    count.add();
    serveApp(socket, first.bytes, peer);
  }
  closeConnection(socket);
  logMessage("Orvx Socket: ended client serving thread");
}
