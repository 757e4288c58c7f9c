// The simulator's TCP ports as it leaves them in the current user's settings
// store (the registry on Win32): the string values "SimConnect_Port_IPv4" and
// "SimConnect_Port_IPv6" under "SOFTWARE\Microsoft\Microsoft Games\KittyHawk".
// Safe from any thread.
#pragma once

#include <string>

#include "platform/tcp_client.h"

constexpr const char* kSimulatorSettingsKey = "SOFTWARE\\Microsoft\\Microsoft Games\\KittyHawk";
constexpr const char* kIpv4PortValue = "SimConnect_Port_IPv4";
constexpr const char* kIpv6PortValue = "SimConnect_Port_IPv6";

// Empties the port, then fills it with the value for the IP version (read
// into 20 bytes, up to the first NUL). False when the key or value is
// missing or longer; the port then stays empty.
bool readRegistryPort(IpVersion version, std::string& port);
