// A wait for a socket to become readable that another thread can cut short,
// without changing the socket's blocking mode (POSIX: an eventfd beside it in
// one poll; Win32: a loopback datagram socket beside it in one select).
// A serving thread sleeps until its app's next command, and the session
// thread wakes it when there is something for it to finish first. The owner
// creates and closes the wake; while it exists one thread waits on it and any
// thread may signal it. A signal given while nobody waits ends the next wait
// at once.
#pragma once

#include "platform/tcp_socket.h"

struct SocketWake;

// Null when the system has no handle or descriptor left for one.
SocketWake* createSocketWake();
void closeSocketWake(SocketWake* wake);

void signalSocketWake(SocketWake* wake);

enum class SocketWaitEnd { readable, woken, timedOut };

// Waits until a receive on `socket` would not block (data, a close or an
// error is there), the wake is signalled, or the time has passed. A signal is
// used up by the wait it ends; when both happened, woken. The socket stays
// blocking for every other call.
SocketWaitEnd waitTcpReadableOrWoken(TcpSocket socket, SocketWake* wake, int timeoutMilliseconds);
