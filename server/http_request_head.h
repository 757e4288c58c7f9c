// The HTTP side of the app port: telling a browser's request from an app's
// first command frame, and reading the request head that follows. Pure
// functions on bytes already received; any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

// What the first bytes of a connection show. A request line starts with an
// upper-case method, a space and a path beginning with '/'; no app command
// starts like that. The decision falls within the first command frame: a
// method too long to end inside it makes the frame an app's.
enum class ConnectionOpening {
  undecided,    // every byte so far could start either
  httpRequest,  // the bytes start a request line
  appFrame,     // the bytes are no request line: an app's first frame
};
ConnectionOpening classifyConnectionOpening(const char* bytes, size_t count);

// A request head is read up to this many bytes, and for this long from its
// first byte; a longer or slower one is refused.
constexpr size_t kHttpHeadLimit = 8 * 1024;
constexpr std::chrono::seconds kHttpHeadTimeLimit{2};

// The length of the head at the start of `bytes`, up to and including the
// empty line that ends it (CRLF or a bare LF); 0 while that line has not
// arrived.
size_t httpHeadLength(const std::string& bytes);

// A parsed request line. The target may be origin-form ("/status.json?x=1")
// or absolute-form ("http://host:5193/status.json"); either way `path` is
// the path alone, starting with '/', and `query` what followed a '?'.
struct HttpRequestHead {
  std::string method;
  std::string path;
  std::string query;
};

// Parses a complete head (see httpHeadLength). False when it is no valid
// HTTP/1.x request: a malformed request line, a control byte, or a header
// line without a name.
bool parseHttpRequestHead(const std::string& head, HttpRequestHead& request);
