// "rFMCDATA20" and "vFMCDATA20": replies from the FMC data as it stands when
// the request is carried out. The data is shared with every other reader, not
// copied, and held only for as long as the reply is being sent.
#include "server/app_protocol.h"
#include "server/client_connection.h"
#include "server/reply_sender.h"
#include "server/shared_data_store.h"

AfterCommand sendFmcData(ClientConnection& connection) {
  const SharedDataStore::Snapshot fmc = fmcDataStore().snapshot();
  uint8_t length[4];
  uint8_t word[4];
  encodeLittleEndian32(static_cast<uint32_t>(fmc.data->size()), length);
  encodeLittleEndian32(fmc.word, word);
  // A piece that is abandoned does not stop the pieces after it; an app that
  // has gone ends the connection at once.
  const struct {
    const void* bytes;
    size_t size;
  } pieces[] = {{length, sizeof length}, {fmc.data->data(), fmc.data->size()}, {word, sizeof word}};
  for (const auto& piece : pieces) {
    if (sendReplyPiece(connection.socket, piece.bytes, piece.size) == SendOutcome::connectionGone) {
      return AfterCommand::endConnection;
    }
  }
  return AfterCommand::readNextFrame;
}

AfterCommand sendFmcPeek(ClientConnection& connection) {
  uint8_t first[kFmcPeekSize];
  fmcDataStore().peek(first);
  return afterReply(sendReplyPiece(connection.socket, first, sizeof first));
}
