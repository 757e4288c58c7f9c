#include "server/socket_reader.h"

#include <algorithm>
#include <vector>

#include "log/log.h"
#include "server/app_protocol.h"
#include "server/connection_registry.h"

namespace {

// How often a serving thread that waits for its app checks for a release,
// where shutting its socket down does not wake a blocked receive.
constexpr int kReleaseCheckMilliseconds = 50;

constexpr size_t kPieceSize = 64 * 1024;

// recv once the socket is readable; -1 when the connections were released.
long receiveWhenReadable(TcpSocket connection, void* buffer, size_t length) {
  static const bool shutdownWakesReceive = shutdownWakesBlockedReceive();
  while (!shutdownWakesReceive && !waitTcpReadable(connection, kReleaseCheckMilliseconds)) {
    if (connectionsReleased()) return -1;
  }
  return receiveFromTcpSocket(connection, buffer, length);
}

ReadOutcome outcomeOfEarlyEnd(long received, size_t alreadyIn) {
  if (received < 0 || alreadyIn == 0) return ReadOutcome::failed;
  return ReadOutcome::cutShort;
}

}  // namespace

long receiveSome(TcpSocket connection, void* buffer, size_t length) {
  return receiveWhenReadable(connection, buffer, length);
}

BoundedReceive receiveBefore(TcpSocket connection, void* buffer, size_t length,
                             std::chrono::steady_clock::time_point deadline) {
  using namespace std::chrono;
  for (;;) {
    if (connectionsReleased()) return {BoundedReceive::failed, 0};
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    if (left <= 0) return {BoundedReceive::timedOut, 0};
    const int slice = static_cast<int>(std::min<long long>(left, kReleaseCheckMilliseconds));
    if (waitTcpReadable(connection, slice)) break;
  }
  const long received = receiveFromTcpSocket(connection, buffer, length);
  if (received > 0) return {BoundedReceive::received, static_cast<size_t>(received)};
  return {received == 0 ? BoundedReceive::closed : BoundedReceive::failed, 0};
}

ReadOutcome readFixed(TcpSocket connection, void* buffer, size_t length) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t in = 0;
  while (in < length) {
    const long received = receiveWhenReadable(connection, bytes + in, length - in);
    if (received <= 0) return outcomeOfEarlyEnd(received, in);
    in += static_cast<size_t>(received);
  }
  return ReadOutcome::complete;
}

ReadOutcome readFixedInPieces(TcpSocket connection, size_t length, const PieceConsumer& consume) {
  std::vector<uint8_t> piece(std::min(length, kPieceSize));
  size_t in = 0;
  while (in < length) {
    const long received = receiveWhenReadable(connection, piece.data(), std::min(length - in, piece.size()));
    if (received <= 0) return outcomeOfEarlyEnd(received, in);
    consume(in, piece.data(), static_cast<size_t>(received));
    in += static_cast<size_t>(received);
  }
  return ReadOutcome::complete;
}

bool readUploadWord(TcpSocket connection, uint32_t& word) {
  uint8_t bytes[4];
  switch (readFixed(connection, bytes, sizeof bytes)) {
    case ReadOutcome::failed:
      logSocketError();
      return false;
    case ReadOutcome::cutShort:
      return false;
    case ReadOutcome::complete:
      break;
  }
  word = decodeLittleEndian32(bytes);
  return true;
}
