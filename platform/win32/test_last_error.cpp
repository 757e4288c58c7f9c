#include "platform/test_last_error.h"

#include <winsock2.h>

int setConnectionResetAsLastError() {
  WSASetLastError(WSAECONNRESET);
  SetLastError(WSAECONNRESET);
  return WSAECONNRESET;
}

bool describesConnectionReset(const std::string& text) {
  return text == "An existing connection was forcibly closed by the remote host." ||
         text == "Connection reset by peer.";
}
