#include "platform/socket_library.h"

// POSIX sockets need no start-up. SIGPIPE is avoided per call (MSG_NOSIGNAL)
// by the socket code, not by changing the process's signal disposition.
void startSocketLibrary() {}
void stopSocketLibrary() {}
