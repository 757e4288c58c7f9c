// What a browser (or anything else) sends first on the app port: the
// classification of its first bytes, the end of the request head and its
// parse, then the answer chosen for it. The fuzzer's bytes are the
// connection's start. Once the first bytes are decided, more bytes never
// change the decision; a parsed head has an upper-case method and a path that
// starts with '/' and holds no control byte or space.
#include <cstddef>
#include <cstdint>
#include <string>

#include "server/app_protocol.h"
#include "server/check_page.h"
#include "server/http_request_head.h"

namespace {

void checkOpeningStaysDecided(const std::string& bytes) {
  ConnectionOpening decided = ConnectionOpening::undecided;
  for (size_t count = 0; count <= bytes.size() && count <= kCommandFrameSize; ++count) {
    const ConnectionOpening now = classifyConnectionOpening(bytes.data(), count);
    if (decided != ConnectionOpening::undecided && now != decided) __builtin_trap();
    if (count == kCommandFrameSize && now == ConnectionOpening::undecided) __builtin_trap();
    decided = now;
  }
}

void checkParsedHead(const HttpRequestHead& request) {
  if (request.method.empty() || request.path.empty() || request.path[0] != '/') __builtin_trap();
  for (char c : request.method)
    if (c < 'A' || c > 'Z') __builtin_trap();
  for (char c : request.path + request.query)
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  checkOpeningStaysDecided(bytes);

  const size_t length = httpHeadLength(bytes);
  if (length > bytes.size()) __builtin_trap();
  HttpRequestHead request;
  if (parseHttpRequestHead(bytes.substr(0, length), request)) {
    checkParsedHead(request);
    const std::string answer = httpErrorAnswer(
        checkPageTarget(request) == CheckPageTarget::methodNotAllowed ? 405 : 404, request.method == "HEAD");
    if (answer.compare(0, 9, "HTTP/1.1 ") != 0) __builtin_trap();
  }
  return 0;
}
