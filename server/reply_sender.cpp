#include "server/reply_sender.h"

#include <cstdint>

#include "platform/clock.h"
#include "server/connection_registry.h"

namespace {
constexpr unsigned kTemporaryFailureBackoffMilliseconds = 50;
}

void sendReplyPiece(TcpSocket connection, const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t sent = 0;
  while (sent < length) {
    const long result = sendOnTcpSocket(connection, bytes + sent, length - sent);
    if (result > 0) {
      sent += static_cast<size_t>(result);
      continue;
    }
    if (result == 0) return;  // no progress on a blocking socket: nothing more will go
    // A released connection is gone for good, whatever the code says.
    if (!isTemporaryTcpFailure(lastTcpSocketError()) || connectionsReleased()) return;
    sleepMilliseconds(kTemporaryFailureBackoffMilliseconds);
  }
}
