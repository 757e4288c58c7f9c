// "rFMCDATA20" and "vFMCDATA20": replies from a consistent copy of the FMC
// data, taken under the store's lock and sent without it.
#include "server/app_protocol.h"
#include "server/client_connection.h"
#include "server/reply_sender.h"
#include "server/shared_data_store.h"

AfterCommand sendFmcData(ClientConnection& connection) {
  const SharedDataStore::Snapshot fmc = fmcDataStore().snapshot();
  uint8_t length[4];
  uint8_t word[4];
  encodeLittleEndian32(static_cast<uint32_t>(fmc.data.size()), length);
  encodeLittleEndian32(fmc.word, word);
  // A piece that cannot be sent does not stop the pieces after it.
  sendReplyPiece(connection.socket, length, sizeof length);
  sendReplyPiece(connection.socket, fmc.data.data(), fmc.data.size());
  sendReplyPiece(connection.socket, word, sizeof word);
  return AfterCommand::readNextFrame;
}

AfterCommand sendFmcPeek(ClientConnection& connection) {
  uint8_t first[kFmcPeekSize];
  fmcDataStore().peek(first);
  sendReplyPiece(connection.socket, first, sizeof first);
  return AfterCommand::readNextFrame;
}
