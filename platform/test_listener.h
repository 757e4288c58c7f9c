// Test support: the far end of a simulator link, blocking and simple, so that
// tests can script what a simulator says. Listens on a loopback TCP address
// (an ephemeral port) or as a local named pipe server (Win32: CreateNamedPipeA
// in byte mode; POSIX: a Unix-domain socket at localPipeEndpoint), accepts
// clients, reads and writes bytes with time limits. Each object is used by
// one thread at a time; the caller closes what it opens. Win32 tests start
// the socket library first (startSocketLibrary).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/tcp_client.h"

struct TestListener;
struct TestConnection;

// Listens on 127.0.0.1 or ::1 with a port of the system's choosing, written
// to port. Null when that loopback address is not available.
TestListener* listenTcpLoopback(IpVersion version, uint16_t& port);

// Serves the pipe path ("\\.\pipe\<name>"). Null on failure.
TestListener* listenLocalPipe(const std::string& pipePath);

// Waits up to the time for a client; null when none came.
TestConnection* acceptTestConnection(TestListener* listener, uint32_t timeoutMilliseconds);

void closeTestListener(TestListener* listener);

// Waits up to the time for bytes: the count read (> 0), 0 when the client
// closed its end, -1 on an error or when the time passed with nothing.
long readTestConnection(TestConnection* connection, void* buffer, size_t length, uint32_t timeoutMilliseconds);

// Writes every byte. False on failure.
bool writeTestConnection(TestConnection* connection, const void* data, size_t length);

void closeTestConnection(TestConnection* connection);
