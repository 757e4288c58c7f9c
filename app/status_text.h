// The status text the program shows its user: how many apps are connected and
// whether the simulator link is up. Shared by the Windows status window and
// the POSIX status screen; a pure function, safe from any thread.
#pragma once

#include <cstdint>
#include <string>

// "%d client(s) connected." followed by "\n\nFS2020 connected" or
// "\n\nWaiting for FS2020 connection".
std::string statusText(int32_t clients, bool simConnected);
