// An outgoing TCP connection for overlapped I/O: one resolver look-up, one
// blocking connect. Safe from any thread; blocks for as long as the resolver
// and the system's connect time-out take.
#pragma once

#include <string>

#include "platform/overlapped_io.h"

enum class IpVersion { kIpv4, kIpv6 };

// Resolves host and service with getaddrinfo (flags 0, the version's address
// family, SOCK_STREAM, IPPROTO_TCP), takes only the first result, creates a
// socket for it and connects it. kInvalidIoHandle when the look-up finds
// nothing or the socket cannot be created or connected; `failure` (when
// given) then receives the system's description of why: the look-up's
// error, or the socket's. The handle is not yet bound to the completion pool.
IoHandle connectTcpClient(IpVersion version, const char* host, const char* service, std::string* failure = nullptr);
