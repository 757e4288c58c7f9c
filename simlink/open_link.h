// Opening the transport of a new simulator link: the configuration is read,
// then the named pipe, TCP over IPv6 and TCP over IPv4 are tried in a fixed
// fallback order while the simulator is on the local machine. Runs on the
// thread that opens links and blocks for the pipe wait and the TCP connect.
#pragma once

#include <cstdint>
#include <string>

#include "simlink/client_client.h"

enum class OpenLinkResult : int {
  kOpened = 0,          // link is a connected ClientClient, ready for its first request
  kNoTransport = 1,     // no attempt connected
  kSectionMissing = 3,  // the configuration index names a section no file has
};

// Sets link to null, then opens it. Nothing is left open on failure. What it
// read and tried is left in the calling thread's lastLinkOpenReport().
//
// The attempts, each on a new link object that is closed when it fails:
// protocol Pipe: the pipe; on failure, when the address is empty or ".",
//   the address becomes "::1" with the registry's IPv6 port, then IPv6;
// protocol IPv6: TCP over IPv6 (an empty port fails at once); on failure,
//   when the address is "::1", it becomes "127.0.0.1" with the registry's
//   IPv4 port, then IPv4;
// protocol IPv4: TCP over IPv4; on failure, when the address is
//   "127.0.0.1", the simulator's default pipe on "." once more.
// A configuration naming any other machine gets exactly one attempt.
OpenLinkResult openLink(ClientClient*& link, uint32_t configIndex);

// The pipe path for a machine (address; empty means ".") and a pipe name
// (port; empty means the simulator's default pipe), cut to 255 characters.
std::string linkPipePath(const std::string& address, const std::string& port);

// Connects the link's transport: a pipe when addressFamily is 0, else TCP
// over kProtocolIpv4 or kProtocolIpv6; binds it to the completion pool,
// attaches it, begins the connection and posts the first read. On failure
// `failure` (when given) receives the reason, as the user is to read it.
bool connectTransport(ClientClient& link, uint32_t addressFamily, const std::string& address, const std::string& port,
                      uint32_t maxReceiveSize, bool disableNagle, std::string* failure = nullptr);
