#include "platform/socket_wake.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

// An eventfd beside the socket in one poll.
struct SocketWake {
  int eventDescriptor;
};

SocketWake* createSocketWake() {
  const int descriptor = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (descriptor < 0) return nullptr;
  auto* wake = new (std::nothrow) SocketWake{descriptor};
  if (wake == nullptr) ::close(descriptor);
  return wake;
}

void closeSocketWake(SocketWake* wake) {
  if (wake == nullptr) return;
  ::close(wake->eventDescriptor);
  delete wake;
}

void signalSocketWake(SocketWake* wake) {
  const uint64_t one = 1;
  // Fails only when the counter is full, which still leaves it signalled.
  [[maybe_unused]] const ssize_t written = ::write(wake->eventDescriptor, &one, sizeof one);
}

SocketWaitEnd waitTcpReadableOrWoken(TcpSocket socket, SocketWake* wake, int timeoutMilliseconds) {
  pollfd watched[2] = {{static_cast<int>(socket), POLLIN, 0}, {wake->eventDescriptor, POLLIN, 0}};
  const int ready = ::poll(watched, 2, timeoutMilliseconds);
  if (ready <= 0) return SocketWaitEnd::timedOut;
  if (watched[1].revents != 0) {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wake->eventDescriptor, &count, sizeof count);
    return SocketWaitEnd::woken;
  }
  return SocketWaitEnd::readable;
}
