// POSIX completion layer: the Win32 thread pool's I/O completion, rebuilt on
// epoll. A start call tries the I/O at once without blocking; whatever the
// outcome (data, end of stream, error) it is queued as a completion for the
// worker threads, and only a would-block leaves the operation pending on the
// poller, which finishes it when the descriptor becomes ready and runs the
// completion routine itself. So a completion never runs inside the start
// call. platform/README.md lists the statuses.
//
// Threads: one poller (epoll_wait) and kWorkerCount workers; started with the
// first descriptor and joined when the process ends. A read completion and a
// write completion of one descriptor may run at the same time on two
// threads, as on the Win32 pool.
//
// Descriptors are found by a handle number that is never reused, so a late
// epoll event for a descriptor closed meanwhile finds nothing instead of a
// new descriptor that got the same number.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/overlapped_io.h"
#include "platform/posix/io_descriptor_table.h"

namespace {

constexpr int kWorkerCount = 2;
constexpr uint64_t kWakeToken = 0;  // epoll data of the stop eventfd; handles start at 1

struct Completion {
  IoRequest* request;
  uint32_t status;
  uint32_t bytes;
};

// At most one receive and one send are pending per descriptor.
using CompletionBatch = std::vector<Completion>;

struct PendingOperation {
  IoRequest* request = nullptr;
  uint8_t* buffer = nullptr;
  uint32_t length = 0;
  uint32_t done = 0;
};

struct IoDescriptor {
  std::mutex lock;  // guards everything below
  int fd = -1;
  TransportKind kind = TransportKind::kSocket;
  bool bound = false;
  bool closed = false;
  PendingOperation receive;
  PendingOperation send;
};

bool isWouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

// The NTSTATUS that the Win32 pool would report for the same failure.
uint32_t statusFromErrno(int error, TransportKind kind) {
  const bool pipe = kind == TransportKind::kNamedPipe;
  switch (error) {
    case ECONNRESET:
      return pipe ? iostatus::kPipeBroken : iostatus::kConnectionReset;
    case EPIPE:
    case ECONNABORTED:
      return pipe ? iostatus::kPipeBroken : iostatus::kRemoteDisconnect;
    default:
      return iostatus::kUnsuccessful;
  }
}

void finish(PendingOperation& operation, uint32_t status, uint32_t bytes, CompletionBatch& done) {
  done.push_back(Completion{operation.request, status, bytes});
  operation = PendingOperation{};
}

// Requires: descriptor.lock held. Completes the pending receive unless the
// descriptor has nothing to read yet.
void tryReceive(IoDescriptor& descriptor, CompletionBatch& done) {
  PendingOperation& operation = descriptor.receive;
  if (operation.request == nullptr) return;
  ssize_t received;
  do {
    received = recv(descriptor.fd, operation.buffer, operation.length, MSG_DONTWAIT);
  } while (received < 0 && errno == EINTR);
  if (received > 0) {
    finish(operation, iostatus::kSuccess, static_cast<uint32_t>(received), done);
  } else if (received == 0) {
    // The peer closed its end. A Win32 pipe reports that as a broken pipe,
    // never as an empty read; a socket reports an empty read.
    const bool pipe = descriptor.kind == TransportKind::kNamedPipe;
    finish(operation, pipe ? iostatus::kPipeBroken : iostatus::kSuccess, 0, done);
  } else if (!isWouldBlock(errno)) {
    finish(operation, statusFromErrno(errno, descriptor.kind), 0, done);
  }
}

// Requires: descriptor.lock held. Writes what the socket takes; completes the
// pending send once every byte is written, as an overlapped write does.
void trySend(IoDescriptor& descriptor, CompletionBatch& done) {
  PendingOperation& operation = descriptor.send;
  if (operation.request == nullptr) return;
  while (operation.done < operation.length) {
    const ssize_t sent = ::send(descriptor.fd, operation.buffer + operation.done, operation.length - operation.done,
                                MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent > 0) {
      operation.done += static_cast<uint32_t>(sent);
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent < 0 && isWouldBlock(errno)) {
      return;
    } else {
      finish(operation, statusFromErrno(sent < 0 ? errno : EPIPE, descriptor.kind), 0, done);
      return;
    }
  }
  finish(operation, iostatus::kSuccess, operation.done, done);
}

// Requires: descriptor.lock held.
void cancelPending(IoDescriptor& descriptor, CompletionBatch& done) {
  if (descriptor.receive.request != nullptr) finish(descriptor.receive, iostatus::kCancelled, 0, done);
  if (descriptor.send.request != nullptr) finish(descriptor.send, iostatus::kCancelled, 0, done);
}

class CompletionPort {
 public:
  static CompletionPort& instance() {
    static CompletionPort port;
    return port;
  }

  CompletionPort(const CompletionPort&) = delete;
  CompletionPort& operator=(const CompletionPort&) = delete;

  IoHandle add(int fd, TransportKind kind) {
    auto descriptor = std::make_shared<IoDescriptor>();
    descriptor->fd = fd;
    descriptor->kind = kind;
    std::lock_guard<std::mutex> guard(tableLock_);
    const IoHandle handle = nextHandle_++;
    table_.emplace(handle, std::move(descriptor));
    return handle;
  }

  std::shared_ptr<IoDescriptor> find(IoHandle handle) {
    std::lock_guard<std::mutex> guard(tableLock_);
    auto found = table_.find(handle);
    return found == table_.end() ? nullptr : found->second;
  }

  std::shared_ptr<IoDescriptor> remove(IoHandle handle) {
    std::lock_guard<std::mutex> guard(tableLock_);
    auto found = table_.find(handle);
    if (found == table_.end()) return nullptr;
    std::shared_ptr<IoDescriptor> descriptor = std::move(found->second);
    table_.erase(found);
    return descriptor;
  }

  // Requires: descriptor.lock held.
  bool watch(IoHandle handle, IoDescriptor& descriptor) {
    epoll_event event{};
    event.events = EPOLLONESHOT;  // nothing armed until an operation waits
    event.data.u64 = handle;
    return epoll_ctl(epoll_, EPOLL_CTL_ADD, descriptor.fd, &event) == 0;
  }

  // Requires: descriptor.lock held. Arms the directions that have an
  // operation waiting; one event, then the poller re-arms as needed.
  void arm(IoHandle handle, IoDescriptor& descriptor, CompletionBatch& done) {
    epoll_event event{};
    event.events = EPOLLONESHOT;
    if (descriptor.receive.request != nullptr) event.events |= EPOLLIN | EPOLLRDHUP;
    if (descriptor.send.request != nullptr) event.events |= EPOLLOUT;
    event.data.u64 = handle;
    if (epoll_ctl(epoll_, EPOLL_CTL_MOD, descriptor.fd, &event) != 0) {
      // Nothing would ever wake these operations: fail them now.
      if (descriptor.receive.request != nullptr) finish(descriptor.receive, iostatus::kUnsuccessful, 0, done);
      if (descriptor.send.request != nullptr) finish(descriptor.send, iostatus::kUnsuccessful, 0, done);
    }
  }

  // Requires: descriptor.lock held.
  void unwatch(IoDescriptor& descriptor) { epoll_ctl(epoll_, EPOLL_CTL_DEL, descriptor.fd, nullptr); }

  void post(const CompletionBatch& done) {
    if (done.empty()) return;
    {
      std::lock_guard<std::mutex> guard(queueLock_);
      queue_.insert(queue_.end(), done.begin(), done.end());
    }
    if (done.size() == 1) {
      queueReady_.notify_one();
    } else {
      queueReady_.notify_all();
    }
  }

  bool running() const { return epoll_ >= 0 && wake_ >= 0; }

 private:
  CompletionPort() {
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (!running()) return;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kWakeToken;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
    poller_ = std::thread([this] { pollLoop(); });
    for (int i = 0; i < kWorkerCount; ++i) workers_.emplace_back([this] { workLoop(); });
  }

  ~CompletionPort() {
    {
      std::lock_guard<std::mutex> guard(queueLock_);
      stopping_ = true;
    }
    queueReady_.notify_all();
    if (wake_ >= 0) {
      const uint64_t one = 1;
      ssize_t ignored = write(wake_, &one, sizeof one);
      (void)ignored;
    }
    if (poller_.joinable()) poller_.join();
    for (std::thread& worker : workers_) worker.join();
    if (wake_ >= 0) close(wake_);
    if (epoll_ >= 0) close(epoll_);
  }

  void pollLoop() {
    epoll_event events[64];
    for (;;) {
      const int count = epoll_wait(epoll_, events, 64, -1);
      if (count < 0) {
        if (errno == EINTR) continue;
        return;
      }
      for (int i = 0; i < count; ++i) {
        if (events[i].data.u64 == kWakeToken) return;  // only written when stopping
        service(events[i].data.u64);
      }
    }
  }

  void service(IoHandle handle) {
    std::shared_ptr<IoDescriptor> descriptor = find(handle);
    if (!descriptor) return;  // closed meanwhile
    CompletionBatch done;
    {
      std::lock_guard<std::mutex> guard(descriptor->lock);
      if (descriptor->closed) return;
      tryReceive(*descriptor, done);
      trySend(*descriptor, done);
      if (descriptor->receive.request != nullptr || descriptor->send.request != nullptr) {
        arm(handle, *descriptor, done);
      }
    }
    // Not inside any start call: the poller delivers these itself, which
    // saves a thread hand-over for data that arrived while nothing waited.
    for (const Completion& completion : done) run(completion);
  }

  static void run(const Completion& completion) {
    completion.request->routine(completion.status, completion.bytes, completion.request);
  }

  void workLoop() {
    for (;;) {
      Completion completion;
      {
        std::unique_lock<std::mutex> guard(queueLock_);
        queueReady_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        completion = queue_.front();
        queue_.pop_front();
      }
      run(completion);
    }
  }

  int epoll_ = -1;
  int wake_ = -1;

  std::mutex tableLock_;
  std::unordered_map<IoHandle, std::shared_ptr<IoDescriptor>> table_;
  IoHandle nextHandle_ = 1;

  std::mutex queueLock_;
  std::condition_variable queueReady_;
  std::deque<Completion> queue_;
  bool stopping_ = false;

  std::thread poller_;
  std::vector<std::thread> workers_;
};

// The descriptor behind a handle; null for no handle or a closed one.
std::shared_ptr<IoDescriptor> descriptorFor(IoHandle handle) {
  if (handle == kInvalidIoHandle) return nullptr;
  return CompletionPort::instance().find(handle);
}

// Starts one operation; false when its direction cannot start now (closed,
// unbound, or an operation of that direction already outstanding).
bool startOperation(IoHandle handle, IoRequest& request, void* buffer, uint32_t length, bool isSend) {
  std::shared_ptr<IoDescriptor> descriptor = descriptorFor(handle);
  if (!descriptor) return false;
  CompletionBatch done;
  {
    std::lock_guard<std::mutex> guard(descriptor->lock);
    PendingOperation& slot = isSend ? descriptor->send : descriptor->receive;
    if (descriptor->closed || !descriptor->bound || slot.request != nullptr) return false;
    slot = PendingOperation{&request, static_cast<uint8_t*>(buffer), length, 0};
    if (isSend) {
      trySend(*descriptor, done);
    } else {
      tryReceive(*descriptor, done);
    }
    if (slot.request != nullptr) CompletionPort::instance().arm(handle, *descriptor, done);
  }
  CompletionPort::instance().post(done);
  return true;
}

void closeDescriptor(IoHandle handle) {
  if (handle == kInvalidIoHandle) return;
  std::shared_ptr<IoDescriptor> descriptor = CompletionPort::instance().remove(handle);
  if (!descriptor) return;
  CompletionBatch done;
  {
    std::lock_guard<std::mutex> guard(descriptor->lock);
    descriptor->closed = true;
    cancelPending(*descriptor, done);
    if (descriptor->bound) CompletionPort::instance().unwatch(*descriptor);
    close(descriptor->fd);
    descriptor->fd = -1;
  }
  CompletionPort::instance().post(done);
}

}  // namespace

IoHandle registerIoDescriptor(int descriptor, TransportKind kind) {
  if (!CompletionPort::instance().running()) {
    close(descriptor);
    return kInvalidIoHandle;
  }
  return CompletionPort::instance().add(descriptor, kind);
}

void initIoRequest(IoRequest& request, void* owner, bool isSend, IoCompletionRoutine routine) {
  std::memset(&request, 0, sizeof request);
  request.owner = owner;
  request.isSend = isSend;
  request.routine = routine;
}

void clearIoRequest(IoRequest& request) { std::memset(request.platformData, 0, sizeof request.platformData); }

// Completion here never needs an event; the request simply has none.
bool attachIoRequestEvent(IoRequest&) { return true; }
void releaseIoRequestEvent(IoRequest&) {}

bool bindIoCompletion(IoHandle handle, TransportKind) {
  std::shared_ptr<IoDescriptor> descriptor = descriptorFor(handle);
  if (!descriptor) return false;
  std::lock_guard<std::mutex> guard(descriptor->lock);
  if (descriptor->closed) return false;
  if (descriptor->bound) return true;
  descriptor->bound = CompletionPort::instance().watch(handle, *descriptor);
  return descriptor->bound;
}

// Errors of the transport itself arrive as completions; only a handle that
// cannot take the operation fails at once.
bool startReceive(IoHandle handle, TransportKind, IoRequest& request, void* buffer, uint32_t length,
                  uint32_t& failureStatus) {
  failureStatus = iostatus::kUnsuccessful;
  return startOperation(handle, request, buffer, length, false);
}

bool startSend(IoHandle handle, TransportKind, IoRequest& request, const void* data, uint32_t length,
               uint32_t& failureStatus) {
  failureStatus = iostatus::kUnsuccessful;
  // The buffer is only read; the slot type is shared with receives.
  return startOperation(handle, request, const_cast<void*>(data), length, true);
}

void shutdownSocketAndCancelIo(IoHandle handle) {
  std::shared_ptr<IoDescriptor> descriptor = descriptorFor(handle);
  if (!descriptor) return;
  CompletionBatch done;
  {
    std::lock_guard<std::mutex> guard(descriptor->lock);
    if (descriptor->closed) return;
    shutdown(descriptor->fd, SHUT_RDWR);
    cancelPending(*descriptor, done);
  }
  CompletionPort::instance().post(done);
}

void closeSocketHandle(IoHandle handle) { closeDescriptor(handle); }
void closePipeHandle(IoHandle handle) { closeDescriptor(handle); }

bool setSocketNoDelay(IoHandle handle) {
  std::shared_ptr<IoDescriptor> descriptor = descriptorFor(handle);
  if (!descriptor) return false;
  std::lock_guard<std::mutex> guard(descriptor->lock);
  if (descriptor->closed) return false;
  const int on = 1;
  return setsockopt(descriptor->fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}
