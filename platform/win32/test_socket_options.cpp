#include "platform/test_socket_options.h"

int tcpSocketsWithNoDelay() { return -1; }  // Winsock cannot list a process's sockets
