#include "platform/test_socket_options.h"

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cstdlib>

namespace {

bool isTcpWithNoDelay(int fd) {
  int type = 0;
  int domain = 0;
  socklen_t length = sizeof type;
  if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM) return false;
  length = sizeof domain;
  if (getsockopt(fd, SOL_SOCKET, SO_DOMAIN, &domain, &length) != 0) return false;
  if (domain != AF_INET && domain != AF_INET6) return false;
  int noDelay = 0;
  length = sizeof noDelay;
  return getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, &length) == 0 && noDelay != 0;
}

}  // namespace

int tcpSocketsWithNoDelay() {
  DIR* descriptors = opendir("/proc/self/fd");
  if (descriptors == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = readdir(descriptors)) {
    if (entry->d_name[0] == '.') continue;
    const int fd = std::atoi(entry->d_name);
    if (fd != dirfd(descriptors) && isTcpWithNoDelay(fd)) ++count;
  }
  closedir(descriptors);
  return count;
}
