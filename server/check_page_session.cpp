#include "server/check_page_session.h"

#include <algorithm>

#include "log/log.h"
#include "server/check_page.h"
#include "server/check_page_status.h"
#include "server/http_request_head.h"
#include "server/reply_sender.h"
#include "server/socket_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

// After the answer, what the browser still sends is read and dropped for a
// short while, so that closing with unread bytes does not reset the
// connection before the browser has read the answer.
constexpr std::chrono::milliseconds kLingerTime{500};
constexpr size_t kLingerBytes = 64 * 1024;

// A path is logged up to this length, so that one view stays one short line.
constexpr size_t kLoggedPathLength = 200;

// The head as far as it came: complete, or the HTTP error that ends it (0:
// the browser went first, nothing to answer).
struct HeadRead {
  std::string head;
  int error = 0;
};

HeadRead readHead(TcpSocket connection, std::string bytes, Clock::time_point deadline) {
  char piece[2048];
  for (;;) {
    const size_t length = httpHeadLength(bytes);
    if (length != 0) return {bytes.substr(0, length), length > kHttpHeadLimit ? 431 : 0};
    if (bytes.size() >= kHttpHeadLimit) return {"", 431};
    const size_t room = std::min(sizeof piece, kHttpHeadLimit - bytes.size());
    const BoundedReceive more = receiveBefore(connection, piece, room, deadline);
    if (more.outcome == BoundedReceive::timedOut) return {"", 408};
    if (more.outcome != BoundedReceive::received) return {"", 0};
    bytes.append(piece, more.count);
  }
}

// The answer to a complete head, and the status it carries.
std::string answerFor(const HttpRequestHead& request, const std::string& peer, int& status) {
  const bool headOnly = request.method == "HEAD";
  switch (checkPageTarget(request)) {
    case CheckPageTarget::methodNotAllowed:
      status = 405;
      return httpErrorAnswer(status, headOnly);
    case CheckPageTarget::notFound:
      status = 404;
      return httpErrorAnswer(status, headOnly);
    case CheckPageTarget::page:
      status = 200;
      return httpAnswer(status, "text/html; charset=utf-8", checkPageHtml(takeCheckPageStatus(peer)), headOnly);
    case CheckPageTarget::statusJson:
      status = 200;
      return httpAnswer(status, "application/json", checkPageJson(takeCheckPageStatus(peer)), headOnly);
  }
  return {};
}

void lingerAfterAnswer(TcpSocket connection) {
  shutdownTcpSend(connection);
  const Clock::time_point deadline = Clock::now() + kLingerTime;
  char piece[4096];
  for (size_t dropped = 0; dropped < kLingerBytes;) {
    const BoundedReceive more = receiveBefore(connection, piece, sizeof piece, deadline);
    if (more.outcome != BoundedReceive::received) return;
    dropped += more.count;
  }
}

}  // namespace

void answerCheckPageRequest(TcpSocket connection, std::string opening, Clock::time_point firstByteAt,
                            const std::string& peer) {
  const HeadRead read = readHead(connection, std::move(opening), firstByteAt + kHttpHeadTimeLimit);
  HttpRequestHead request;
  int status = read.error;
  std::string answer;
  if (status == 0 && read.head.empty()) {
    logMessage("Orvx Socket: page request from %s ended before its head was complete", peer.c_str());
    return;
  }
  if (status != 0) {
    answer = httpErrorAnswer(status, false);
  } else if (!parseHttpRequestHead(read.head, request)) {
    status = 400;
    answer = httpErrorAnswer(status, false);
  } else {
    answer = answerFor(request, peer, status);
  }
  const std::string method = request.method.empty() ? "-" : request.method;
  const std::string path = request.path.empty() ? "-" : request.path.substr(0, kLoggedPathLength);
  logMessage("Orvx Socket: page view from %s: %s %s %d", peer.c_str(), method.c_str(), path.c_str(), status);
  if (sendReplyPiece(connection, answer.data(), answer.size()) == SendOutcome::sent) lingerAfterAnswer(connection);
}
