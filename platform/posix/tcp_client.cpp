#include "platform/tcp_client.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/last_error.h"
#include "platform/posix/io_descriptor_table.h"

namespace {

int connectFirstResult(const addrinfo& result) {
  const int fd = socket(result.ai_family, result.ai_socktype | SOCK_CLOEXEC, result.ai_protocol);
  if (fd < 0) return -1;
  int outcome = connect(fd, result.ai_addr, result.ai_addrlen);
  if (outcome != 0 && errno == EINTR) {
    // An interrupted connect goes on in the background; wait for its end.
    int error = 0;
    socklen_t length = sizeof error;
    pollfd waiting{fd, POLLOUT, 0};
    while (poll(&waiting, 1, -1) < 0 && errno == EINTR) {
    }
    outcome = (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) ? 0 : -1;
  }
  if (outcome != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

void describe(std::string* failure, const std::string& text) {
  if (failure != nullptr) *failure = text;
}

}  // namespace

IoHandle connectTcpClient(IpVersion version, const char* host, const char* service, std::string* failure) {
  addrinfo hints{};
  hints.ai_flags = 0;
  hints.ai_family = version == IpVersion::kIpv6 ? AF_INET6 : AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* results = nullptr;
  const int lookUp = getaddrinfo(host, service, &hints, &results);
  if (lookUp != 0) {
    describe(failure, lookUp == EAI_SYSTEM ? systemErrorText(errno) : gai_strerror(lookUp));
    return kInvalidIoHandle;
  }
  IoHandle handle = kInvalidIoHandle;
  if (results != nullptr) {
    const int fd = connectFirstResult(*results);
    if (fd >= 0) handle = registerIoDescriptor(fd, TransportKind::kSocket);
    if (handle == kInvalidIoHandle) describe(failure, systemErrorText(errno));
  }
  freeaddrinfo(results);
  return handle;
}
