#include "server/http_request_head.h"

#include <cstring>

#include "server/app_protocol.h"

namespace {

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

// Visible ASCII: what a request target may hold.
bool isTargetByte(char c) { return c > 0x20 && c < 0x7F; }

// A header name's characters (an HTTP token).
bool isTokenByte(char c) {
  if ((c >= 'a' && c <= 'z') || isUpper(c) || (c >= '0' && c <= '9')) return true;
  return c != '\0' && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

// A header value may hold tabs and bytes above 0x7F, no other control byte.
bool isValueByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return c == '\t' || (u >= 0x20 && u != 0x7F);
}

// The lines of a head, without their ends; a CR is part of a line end only
// right before its LF.
class HeadLines {
 public:
  explicit HeadLines(const std::string& head) : head_(head) {}
  bool next(std::string& line) {
    const size_t end = head_.find('\n', at_);
    if (end == std::string::npos) return false;
    size_t stop = end;
    if (stop > at_ && head_[stop - 1] == '\r') --stop;
    line = head_.substr(at_, stop - at_);
    at_ = end + 1;
    return true;
  }

 private:
  const std::string& head_;
  size_t at_ = 0;
};

bool startsWithNoCase(const std::string& text, const char* prefix) {
  const size_t length = std::strlen(prefix);
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (isUpper(c)) c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// Splits a target into path and query. An absolute-form target loses its
// scheme and authority; a fragment is dropped.
bool splitTarget(std::string target, HttpRequestHead& request) {
  for (const char* scheme : {"http://", "https://"}) {
    if (!startsWithNoCase(target, scheme)) continue;
    const size_t pathStart = target.find('/', std::strlen(scheme));
    target = pathStart == std::string::npos ? "/" : target.substr(pathStart);
    break;
  }
  if (target.empty() || target[0] != '/') return false;
  target = target.substr(0, target.find('#'));
  const size_t question = target.find('?');
  request.path = target.substr(0, question);
  request.query = question == std::string::npos ? "" : target.substr(question + 1);
  return true;
}

bool parseRequestLine(const std::string& line, HttpRequestHead& request) {
  const size_t methodEnd = line.find(' ');
  if (methodEnd == 0 || methodEnd == std::string::npos) return false;
  const size_t targetEnd = line.find(' ', methodEnd + 1);
  if (targetEnd == std::string::npos || targetEnd == methodEnd + 1) return false;
  request.method = line.substr(0, methodEnd);
  for (char c : request.method)
    if (!isUpper(c)) return false;
  const std::string target = line.substr(methodEnd + 1, targetEnd - methodEnd - 1);
  for (char c : target)
    if (!isTargetByte(c)) return false;
  const std::string version = line.substr(targetEnd + 1);
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return false;
  return splitTarget(target, request);
}

// "Name: value". A line that starts with white space would continue the one
// before it, which HTTP/1.1 no longer allows.
bool isHeaderLine(const std::string& line) {
  const size_t colon = line.find(':');
  if (colon == 0 || colon == std::string::npos) return false;
  for (size_t i = 0; i < colon; ++i)
    if (!isTokenByte(line[i])) return false;
  for (size_t i = colon + 1; i < line.size(); ++i)
    if (!isValueByte(line[i])) return false;
  return true;
}

}  // namespace

ConnectionOpening classifyConnectionOpening(const char* bytes, size_t count) {
  size_t methodLength = 0;
  while (methodLength < count && isUpper(bytes[methodLength])) ++methodLength;
  if (count == 0) return ConnectionOpening::undecided;
  const size_t decidedBy = methodLength + 2;  // the method, the space, the '/'
  if (methodLength == 0 || decidedBy > kCommandFrameSize) return ConnectionOpening::appFrame;
  if (methodLength == count) return ConnectionOpening::undecided;
  if (bytes[methodLength] != ' ') return ConnectionOpening::appFrame;
  if (methodLength + 1 == count) return ConnectionOpening::undecided;
  return bytes[methodLength + 1] == '/' ? ConnectionOpening::httpRequest : ConnectionOpening::appFrame;
}

size_t httpHeadLength(const std::string& bytes) {
  size_t lineStart = 0;
  for (;;) {
    const size_t end = bytes.find('\n', lineStart);
    if (end == std::string::npos) return 0;
    const size_t lineLength = end - lineStart;
    const bool empty = lineLength == 0 || (lineLength == 1 && bytes[lineStart] == '\r');
    // The empty line that ends the head comes after the request line.
    if (empty && lineStart > 0) return end + 1;
    lineStart = end + 1;
  }
}

bool parseHttpRequestHead(const std::string& head, HttpRequestHead& request) {
  HeadLines lines(head);
  std::string line;
  if (!lines.next(line) || !parseRequestLine(line, request)) return false;
  while (lines.next(line)) {
    if (line.empty()) return true;
    if (!isHeaderLine(line)) return false;
  }
  return false;  // no empty line: the head is not complete
}
