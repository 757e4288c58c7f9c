// "sFMCDATA20" and "sFPLDATA10": a length, that many bytes and a word,
// stored for all connections. The store fills as the bytes arrive.
#include "log/log.h"
#include "server/app_protocol.h"
#include "server/client_connection.h"
#include "server/shared_data_store.h"
#include "server/socket_reader.h"

namespace {

// Lengths that are 0, negative as a signed number, or above the cap are
// refused before any byte of data is read; the store stays empty.
bool isAcceptableUploadLength(uint32_t length) {
  return static_cast<int32_t>(length) > 0 && length <= kMaxUploadLength;
}

AfterCommand receiveUpload(ClientConnection& connection, SharedDataStore& store) {
  const SharedDataStore::UploadTicket ticket = store.beginUpload();

  uint8_t lengthBytes[4];
  if (readFixed(connection.socket, lengthBytes, sizeof lengthBytes) != ReadOutcome::complete) {
    logSocketError();
    return AfterCommand::endConnection;
  }
  const uint32_t length = decodeLittleEndian32(lengthBytes);
  if (!isAcceptableUploadLength(length)) {
    logSocketError();
    return AfterCommand::endConnection;
  }

  // Data cut short keeps what arrived, zero-padded; the word read after it
  // then fails.
  store.sizeForUpload(ticket, length);
  const ReadOutcome data = readFixedInPieces(
      connection.socket, length,
      [&](size_t offset, const uint8_t* bytes, size_t count) { store.writeUploadBytes(ticket, offset, bytes, count); });
  if (data == ReadOutcome::failed) {
    logSocketError();
    return AfterCommand::endConnection;
  }

  uint32_t word = 0;
  if (!readUploadWord(connection.socket, word)) return AfterCommand::endConnection;
  store.storeUploadWord(ticket, word);
  return AfterCommand::readNextFrame;
}

}  // namespace

AfterCommand receiveFmcUpload(ClientConnection& connection) { return receiveUpload(connection, fmcDataStore()); }

AfterCommand receiveFlightPlanUpload(ClientConnection& connection) {
  return receiveUpload(connection, flightPlanStore());
}
