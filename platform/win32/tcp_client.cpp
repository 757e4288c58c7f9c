#include "platform/tcp_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/last_error.h"

namespace {

void describeLastError(std::string* failure) {
  if (failure != nullptr) *failure = systemErrorText(WSAGetLastError());
}

}  // namespace

IoHandle connectTcpClient(IpVersion version, const char* host, const char* service, std::string* failure) {
  addrinfo hints{};
  hints.ai_flags = 0;
  hints.ai_family = version == IpVersion::kIpv6 ? AF_INET6 : AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* results = nullptr;
  if (getaddrinfo(host, service, &hints, &results) != 0) {
    describeLastError(failure);
    return kInvalidIoHandle;
  }
  IoHandle handle = kInvalidIoHandle;
  if (results != nullptr) {
    // Sockets made by socket() accept overlapped I/O.
    const SOCKET connection = socket(results->ai_family, results->ai_socktype, results->ai_protocol);
    if (connection != INVALID_SOCKET) {
      if (connect(connection, results->ai_addr, static_cast<int>(results->ai_addrlen)) == 0) {
        handle = static_cast<IoHandle>(connection);
      } else {
        describeLastError(failure);  // before the close, which may set its own
        closesocket(connection);
      }
    } else {
      describeLastError(failure);
    }
  }
  freeaddrinfo(results);
  return handle;
}
