// What one serving thread keeps about its app connection, and the command
// handlers it runs. Private to the serving thread that owns the connection,
// except the parked record request (see there).
#pragma once

#include <cstdint>

#include "bridge/settings_record.h"
#include "platform/tcp_socket.h"
#include "server/parked_record_request.h"
#include "server/reply_sender.h"

struct ClientConnection {
  explicit ClientConnection(TcpSocket s) : socket(s), recordRequest(s) { resetSettingsRecord(settingsReceive); }

  TcpSocket socket;
  // Build counter of the last flight-data record sent here; 0 before any.
  int32_t lastSentBuildCounter = 0;
  // "rSIMDATA30" requests carried out here: the records sent, for the log.
  uint64_t recordRequests = 0;
  // This connection's own receive buffer for uploaded settings records.
  SettingsRecord settingsReceive;
  // A "rSIMDATA30" waiting for the next build, which the session thread may
  // send while it is parked; the one thing here another thread touches.
  ParkedRecordRequest recordRequest;
};

// What the serving thread does once a command has been carried out.
enum class AfterCommand { readNextFrame, endConnection };

// A reply that found the app gone ends the connection; one merely abandoned
// leaves it open for the next frame.
inline AfterCommand afterReply(SendOutcome outcome) {
  return outcome == SendOutcome::connectionGone ? AfterCommand::endConnection : AfterCommand::readNextFrame;
}

// "rSIMDATA30": sends the 2280-byte record when a build newer than the last
// one sent here exists; otherwise parks the request for the next build.
AfterCommand sendFlightRecord(ClientConnection& connection);

// Ends a parked "rSIMDATA30" once the app has sent something else or its
// freshness wait has run out: finishes a record the session thread could send
// only in part or not at all, or sends the latest build (the same one again when the wait
// ran out). Nothing to do when the session thread sent it whole.
AfterCommand settleParkedFlightRecord(ClientConnection& connection);

// "rFMCDATA20": length, data and word of the FMC data, as three pieces.
AfterCommand sendFmcData(ClientConnection& connection);

// "vFMCDATA20": the first eight bytes of the FMC data (0xFF bytes if empty).
AfterCommand sendFmcPeek(ClientConnection& connection);

// "sMCPDATA20": a settings record and its checksum; merged when they match.
AfterCommand receiveSettingsUpload(ClientConnection& connection);

// "sFMCDATA20" and "sFPLDATA10": length, data and word into a shared store.
AfterCommand receiveFmcUpload(ClientConnection& connection);
AfterCommand receiveFlightPlanUpload(ClientConnection& connection);
