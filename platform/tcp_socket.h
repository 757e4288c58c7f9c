// Blocking IPv4 TCP sockets: the app listener, its serving threads and the app
// client use these and nothing else of the socket API. No socket option is
// set, except that a POSIX bind allows ports in TIME_WAIT as Winsock does.
// Any thread may call any function; one socket may be shut down from another
// thread while a call on it blocks (that is how blocked calls are released),
// but it must not be closed while another thread still uses it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A socket handle: SOCKET on Win32, a file descriptor on POSIX.
using TcpSocket = std::uintptr_t;
constexpr TcpSocket kInvalidTcpSocket = ~static_cast<TcpSocket>(0);

// An IPv4 address in network byte order, as it goes into a socket address.
using Ipv4Address = uint32_t;

// The wildcard address: every local interface.
constexpr Ipv4Address kIpv4AnyAddress = 0;

// Dotted-decimal text converted as inet_addr does; INADDR_NONE
// (255.255.255.255) when the text is no address.
Ipv4Address ipv4AddressFromText(const char* text);

// Looks a host name or dotted-decimal text up; false when it has no IPv4
// address.
bool resolveIpv4Host(const char* host, Ipv4Address& address);

// AF_INET, SOCK_STREAM, IPPROTO_TCP. kInvalidTcpSocket on failure.
TcpSocket createTcpSocket();

bool bindTcpSocket(TcpSocket socket, Ipv4Address address, uint16_t port);
bool listenTcpSocket(TcpSocket socket, int backlog);

// Blocks until a connection arrives; kInvalidTcpSocket on failure (also when
// the listening socket was shut down or closed meanwhile).
TcpSocket acceptTcpConnection(TcpSocket listening);

bool connectTcpSocket(TcpSocket socket, Ipv4Address address, uint16_t port);

// recv with flags 0: the number of bytes received (> 0), 0 when the peer
// closed the connection, -1 on an error (see lastTcpSocketError). An
// interrupted call is restarted.
long receiveFromTcpSocket(TcpSocket socket, void* buffer, size_t length);

// send with flags 0: the number of bytes sent (>= 0), or -1 on an error. A
// send to a peer that has gone reports an error and never raises a signal.
long sendOnTcpSocket(TcpSocket socket, const void* data, size_t length);

// Waits up to the time for room in the socket's send buffer, then sends what
// fits without blocking: the number of bytes sent (> 0), 0 when no room came
// in time, -1 on an error (see lastTcpSocketError). Never blocks longer than
// the time, so a thread that sends to an app that does not read can still
// notice a stop; the socket stays blocking for every other call.
long sendOnTcpSocketWithin(TcpSocket socket, const void* data, size_t length, int timeoutMilliseconds);

// Waits until a receive would not block (data, a close or an error is there)
// or the time has passed. True when readable.
bool waitTcpReadable(TcpSocket socket, int timeoutMilliseconds);

// Shut down receiving (SD_RECEIVE), or both directions (SD_BOTH). Later
// receives on the socket return at once.
bool shutdownTcpReceive(TcpSocket socket);
bool shutdownTcpBoth(TcpSocket socket);

// Shut down sending (SD_SEND): the peer reads what was sent, then the end of
// the stream; receiving goes on.
bool shutdownTcpSend(TcpSocket socket);

// True where shutting a socket down also wakes a receive already blocked on
// it in another thread (Linux). False where it does not (Winsock as Wine runs
// it): there a thread that must be releasable waits in slices instead.
bool shutdownWakesBlockedReceive();

void closeTcpSocket(TcpSocket socket);

// getpeername: false when the peer's address cannot be read.
bool tcpPeerKnown(TcpSocket socket);

// The peer's port (getpeername), 0 if unknown.
uint16_t tcpPeerPort(TcpSocket socket);

// The peer's IPv4 address (network byte order) and port (getpeername); false
// when they cannot be read.
bool tcpPeerAddress(TcpSocket socket, Ipv4Address& address, uint16_t& port);

// The local port the socket is bound to (getsockname), 0 if unknown.
uint16_t tcpLocalPort(TcpSocket socket);

// The calling thread's last socket error (WSAGetLastError on Win32, errno on
// POSIX).
int lastTcpSocketError();

// True for the code of a send or receive failure that means the connection is
// gone for good: reset, aborted, shut down or no longer connected.
bool isConnectionGoneTcpFailure(int code);

// True for the code of a temporary failure after which the same send may be
// tried again: WSATRY_AGAIN (11002) on Win32; EAGAIN, EWOULDBLOCK or EINTR on
// POSIX.
bool isTemporaryTcpFailure(int code);

// True for the code of a bind failure that means another socket holds the
// address and port (EADDRINUSE, WSAEADDRINUSE).
bool isAddressInUseTcpFailure(int code);

// The system's own description of a socket error code, as one line of narrow
// text ("Address already in use"); "socket error N" when the system has none.
std::string tcpSocketErrorText(int code);
