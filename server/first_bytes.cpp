#include "server/first_bytes.h"

#include "server/app_protocol.h"
#include "server/http_request_head.h"
#include "server/socket_reader.h"

FirstBytes readFirstBytes(TcpSocket connection) {
  FirstBytes first;
  char frame[kCommandFrameSize];
  const long received = receiveSome(connection, frame, sizeof frame);
  if (received <= 0) return first;
  first.firstByteAt = std::chrono::steady_clock::now();
  size_t in = static_cast<size_t>(received);

  const auto deadline = first.firstByteAt + kHttpHeadTimeLimit;
  ConnectionOpening opening;
  while ((opening = classifyConnectionOpening(frame, in)) == ConnectionOpening::undecided) {
    const BoundedReceive more = receiveBefore(connection, frame + in, sizeof frame - in, deadline);
    if (more.outcome != BoundedReceive::received) return first;
    in += more.count;
  }
  if (opening == ConnectionOpening::httpRequest) {
    first.kind = FirstBytes::httpRequest;
    first.bytes.assign(frame, in);
    return first;
  }
  // A frame cut short by a close is not carried out.
  if (in < sizeof frame && readFixed(connection, frame + in, sizeof frame - in) != ReadOutcome::complete) {
    return first;
  }
  first.kind = FirstBytes::appFrame;
  first.bytes.assign(frame, sizeof frame);
  return first;
}
