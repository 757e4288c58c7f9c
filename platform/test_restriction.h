// Test support: a program started under a limit the machine itself could
// impose, so a test can see how the program reports it. POSIX: a network
// namespace of its own (no interface but a loopback that is down), or a
// system-call filter that refuses every bind with "permission denied", as a
// security policy or a reserved port range would. Win32 under Wine: the
// program runs from a copy beside a stand-in IP helper library that lists no
// adapter; binds cannot be refused per process there (see
// holdTcpPortExclusively). Any thread.
#pragma once

#include <cstdint>

#include "platform/tcp_socket.h"

enum class TestRestriction {
  kNone,
  kNoNetworkAddress,  // the program sees no network address at all
  kBindDenied,        // every bind the program makes fails with access denied
};

// True when programs can be started under the restriction here (the system
// allows it to this user); tests skip otherwise.
bool testRestrictionAvailable(TestRestriction restriction);

// Winsock's way to have another program's bind refused with access denied
// rather than "in use": the port held for exclusive use (SO_EXCLUSIVEADDRUSE)
// on all interfaces, listening. The socket (the caller closes it), or
// kInvalidTcpSocket where there is no such use (POSIX) or the port is taken.
TcpSocket holdTcpPortExclusively(uint16_t port);
