// "sMCPDATA20": receive a settings record and its checksum, and merge the
// record into the pending settings record when the checksum matches.
#include "bridge/settings_record.h"
#include "log/log.h"
#include "server/app_protocol.h"
#include "server/client_connection.h"
#include "server/mcp_checksum.h"
#include "server/socket_reader.h"

AfterCommand receiveSettingsUpload(ClientConnection& connection) {
  SettingsRecord& record = connection.settingsReceive;
  // A record that never arrived is dropped; the next frame read then ends a
  // closed or broken connection. One cut short falls through: the checksum
  // read after it fails.
  if (readFixed(connection.socket, &record, sizeof record) == ReadOutcome::failed) {
    return AfterCommand::readNextFrame;
  }

  uint8_t checksumBytes[4];
  switch (readFixed(connection.socket, checksumBytes, sizeof checksumBytes)) {
    case ReadOutcome::failed:
      logSocketError();
      return AfterCommand::endConnection;
    case ReadOutcome::cutShort:
      return AfterCommand::endConnection;
    case ReadOutcome::complete:
      break;
  }

  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  if (mcpSettingsChecksum(bytes, sizeof record) == decodeLittleEndian32(checksumBytes)) {
    mergePendingSettings(record);
  }
  // A mismatch is dropped without a word to the app or the log.
  return AfterCommand::readNextFrame;
}
