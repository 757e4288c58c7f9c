#include "platform/link_sockets.h"

#include <winsock2.h>

bool startSocketsForLinks() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 0), &data) == 0;
}

void cleanupSocketsForLinks() { WSACleanup(); }
