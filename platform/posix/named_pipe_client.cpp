#include "platform/named_pipe_client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/pipe_path.h"
#include "platform/posix/io_descriptor_table.h"

IoHandle openNamedPipeClient(const std::string& pipePath, uint32_t) {
  const std::string endpoint = localPipeEndpoint(pipePath);
  sockaddr_un address{};
  if (endpoint.empty() || endpoint.size() >= sizeof address.sun_path) return kInvalidIoHandle;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, endpoint.c_str(), endpoint.size() + 1);

  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kInvalidIoHandle;
  int result;
  do {
    result = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    close(fd);
    return kInvalidIoHandle;
  }
  return registerIoDescriptor(fd, TransportKind::kNamedPipe);
}
