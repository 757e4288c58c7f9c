// "sMCPDATA20": receive a settings record and its checksum, and merge the
// record into the pending settings record when the checksum matches.
#include "bridge/settings_record.h"
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

  uint32_t checksum = 0;
  if (!readUploadWord(connection.socket, checksum)) return AfterCommand::endConnection;

  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  if (mcpSettingsChecksum(bytes, sizeof record) == checksum) {
    mergePendingSettings(record);
  }
  // A mismatch is dropped without a word to the app or the log.
  return AfterCommand::readNextFrame;
}
