#include "platform/socket_library.h"

#include <winsock2.h>

void startSocketLibrary() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);  // A failure shows later as failing socket calls.
}

void stopSocketLibrary() { WSACleanup(); }
