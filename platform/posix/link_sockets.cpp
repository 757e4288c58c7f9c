#include "platform/link_sockets.h"

// POSIX sockets need no start-up.
bool startSocketsForLinks() { return true; }
void cleanupSocketsForLinks() {}
