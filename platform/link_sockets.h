// The simulator link library's own start and clean-up of the socket library:
// Winsock at version 2.0 on Win32 (WSAStartup / WSACleanup, reference
// counted by the system, so the bridge's own start is not disturbed);
// nothing to do on POSIX. The link library keeps the process-wide flag that
// pairs them. Called by the thread that opens and closes links.
#pragma once

// True when the socket library is ready for use.
bool startSocketsForLinks();
void cleanupSocketsForLinks();
