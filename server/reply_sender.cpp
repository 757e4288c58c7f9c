#include "server/reply_sender.h"

#include <cstdint>

#include "platform/clock.h"
#include "server/connection_registry.h"

namespace {

constexpr unsigned kTemporaryFailureBackoffMilliseconds = 50;
// How long one wait for room in the send buffer lasts before the stop is
// checked again.
constexpr int kReleaseCheckMilliseconds = 50;

}  // namespace

SendOutcome sendReplyPiece(TcpSocket connection, const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t sent = 0;
  while (sent < length) {
    if (connectionsReleased()) return SendOutcome::connectionGone;
    const long result = sendOnTcpSocketWithin(connection, bytes + sent, length - sent, kReleaseCheckMilliseconds);
    if (result > 0) {
      sent += static_cast<size_t>(result);
      continue;
    }
    if (result == 0) continue;  // no room yet: the app has not read
    const int code = lastTcpSocketError();
    // Requests the app left behind would otherwise each be carried out for
    // nobody, one per simulator frame.
    if (isConnectionGoneTcpFailure(code)) return SendOutcome::connectionGone;
    if (!isTemporaryTcpFailure(code)) return SendOutcome::abandoned;
    sleepMilliseconds(kTemporaryFailureBackoffMilliseconds);
  }
  return SendOutcome::sent;
}
