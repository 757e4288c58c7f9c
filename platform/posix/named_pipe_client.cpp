#include "platform/named_pipe_client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/last_error.h"
#include "platform/pipe_path.h"
#include "platform/posix/io_descriptor_table.h"

namespace {

IoHandle failWith(std::string* failure, int error) {
  if (failure != nullptr) *failure = systemErrorText(error);
  return kInvalidIoHandle;
}

}  // namespace

IoHandle openNamedPipeClient(const std::string& pipePath, uint32_t, std::string* failure) {
  const std::string endpoint = localPipeEndpoint(pipePath);
  sockaddr_un address{};
  // A pipe on another machine, or a name too long, has no local socket.
  if (endpoint.empty() || endpoint.size() >= sizeof address.sun_path) return failWith(failure, ENOENT);
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, endpoint.c_str(), endpoint.size() + 1);

  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return failWith(failure, errno);
  int result;
  do {
    result = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const int error = errno;
    close(fd);
    return failWith(failure, error);
  }
  return registerIoDescriptor(fd, TransportKind::kNamedPipe);
}
