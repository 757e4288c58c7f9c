// Test support: what the process's own TCP sockets are set to, for checking
// options that the link library sets on sockets it does not hand out. Any
// thread.
#pragma once

// The number of this process's TCP sockets with TCP_NODELAY on; -1 where the
// platform cannot list a process's sockets (Win32).
int tcpSocketsWithNoDelay();
