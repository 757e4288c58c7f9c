// The machine's own IPv4 addresses that another device on the same network
// can use to reach it. Any thread may call it; it asks the system afresh on
// every call.
#pragma once

#include <string>
#include <vector>

// Dotted-decimal addresses of the network interfaces that are up (with a
// link: Win32 OperStatus up; POSIX IFF_UP and IFF_RUNNING) and are not
// loopback, in the order the system lists them, each once. Empty when
// there are none or the system cannot be asked.
std::vector<std::string> localIpv4Addresses();
