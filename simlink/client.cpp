#include "simlink/client.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/last_error.h"
#include "simlink/link_process.h"
#include "simlink/simconnect.h"

CClient::CClient(TransportKind kind) : transportKind_(kind) {
  initIoRequest(receiveRequest_, this, false, onIoCompleted);
  initIoRequest(sendRequest_, this, true, onIoCompleted);
  noteClientObjectCreated();
}

// Runs when the last reference is dropped: no I/O is outstanding any more,
// so the in-flight send buffer and the transport can go safely.
CClient::~CClient() {
  if (handle_ != kInvalidIoHandle) closeTransport(kStateClosed);
  sendQueue_.clear();
  std::free(inFlightSend_);
  if (holder_ != nullptr) {
    releaseMessageHolder(*holder_);
    delete holder_;
  }
  releaseIoRequestEvent(receiveRequest_);
  releaseIoRequestEvent(sendRequest_);
  noteClientObjectDestroyed();
}

bool CClient::attach(IoHandle handle, uint32_t addressFamily, uint32_t maxReceiveSize, bool disableNagle) {
  std::lock_guard<std::mutex> guard(ioLock_);
  if (!receiveBuffer_.allocate()) return false;
  if (holder_ == nullptr) holder_ = new (std::nothrow) MessageHolder;
  if (holder_ == nullptr) return false;
  handle_ = handle;
  addressFamily_ = addressFamily;
  maxReceiveSize_ = maxReceiveSize;
  disableNagle_ = disableNagle;
  clearIoRequest(receiveRequest_);
  clearIoRequest(sendRequest_);
  state_.store(kStateClosed);
  failureReason_.store(0);
  return true;
}

void CClient::BeginConnection() {
  sendQueue_.clear();
  {
    std::lock_guard<std::mutex> guard(ioLock_);
    std::free(inFlightSend_);
    inFlightSend_ = nullptr;
    sendInProgress_ = false;
    connectionSerial_.store(nextConnectionSerial());
  }
  receiveBuffer_.reset();
  if (transportKind_ != TransportKind::kNamedPipe) return;
  for (IoRequest* request : {&receiveRequest_, &sendRequest_}) {
    if (!attachIoRequestEvent(*request)) std::printf("CreateEvent failed with %d.\n", lastSystemErrorCode());
  }
}

void CClient::applyNoDelay() {
  std::lock_guard<std::mutex> guard(ioLock_);
  if (disableNagle_ && transportKind_ == TransportKind::kSocket) setSocketNoDelay(handle_);
}

void CClient::Disconnect(uint32_t reason, uint32_t code) {
  std::lock_guard<std::mutex> guard(ioLock_);
  const uint32_t previousState = state_.exchange(kStateClosed);
  connectionSerial_.store(0);
  if (previousState != kStateClosed) {
    if (reason != disconnect_reason::kClosedByApplication) failureCode_.store(code);
    closeTransport(previousState);
  }
  failureReason_.store(reason, std::memory_order_release);
}

// Requires: ioLock_ held, or no other reference left.
void CClient::closeTransport(uint32_t previousState) {
  if (transportKind_ == TransportKind::kSocket) {
    if (previousState == kStateConnected) shutdownSocketAndCancelIo(handle_);
    closeSocketHandle(handle_);
  } else {
    closePipeHandle(handle_);
    releaseIoRequestEvent(receiveRequest_);
    releaseIoRequestEvent(sendRequest_);
  }
  handle_ = kInvalidIoHandle;
}

int CClient::OnMessage(MessageHolder&) { return 0; }

void CClient::OnPendingReceive() {}

HRESULT CClient::failureResult() const {
  const uint32_t code = failureCode_.load();
  return code != 0 ? static_cast<HRESULT>(code) : kSimConnectFail;
}

void CClient::releaseReference() {
  if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

void CClient::discardOutgoing() {
  std::lock_guard<std::mutex> guard(ioLock_);
  sendQueue_.clear();
}

void CClient::postReceive() {
  bytesReceived_ = 0;
  bool failedAtOnce = false;
  uint32_t failureStatus = 0;
  {
    // Under the I/O lock, so that a disconnect on another thread cannot
    // close the handle between the state check and the read.
    std::lock_guard<std::mutex> guard(ioLock_);
    if (state_.load() != kStateConnected) return;
    clearIoRequest(receiveRequest_);
    addReference();
    failedAtOnce = !startReceive(handle_, transportKind_, receiveRequest_, receiveBuffer_.freeSpace(),
                                 receiveBuffer_.freeLength(), failureStatus);
  }
  if (!failedAtOnce) return;
  // No completion will come. A link left without a read would never learn
  // that its peer has gone (a pipe closed between two reads fails the next
  // one at once), so the failure ends the link like a failed completion.
  failWithStatus(failureStatus);
  releaseReference();
}

bool CClient::enqueueSend(PacketNode* node) {
  bool failedAtOnce = false;
  uint32_t failureStatus = 0;
  {
    std::lock_guard<std::mutex> guard(ioLock_);
    if (state_.load() != kStateConnected) {
      freePacketNode(node);
      return false;
    }
    sendQueue_.push(node);
    failedAtOnce = startNextWrite(false, failureStatus);
  }
  if (failedAtOnce) onWriteFailedAtOnce(failureStatus);
  return true;
}

// A write that cannot start would leave every later request unwritten while
// the caller is told they were sent: the link fails instead.
void CClient::onWriteFailedAtOnce(uint32_t failureStatus) {
  failWithStatus(failureStatus);
  releaseReference();
}

bool CClient::startNextWrite(bool continuing, uint32_t& failureStatus) {
  if (!continuing && sendInProgress_) return false;  // its completion starts the next write
  std::free(inFlightSend_);
  inFlightSend_ = nullptr;
  PacketNode* node = sendQueue_.pop();
  if (node == nullptr) {
    if (continuing) sendInProgress_ = false;
    return false;
  }
  inFlightSend_ = node->data;
  const uint32_t size = node->size;
  node->data = nullptr;
  freePacketNode(node);
  addReference();
  clearIoRequest(sendRequest_);
  const bool started = startSend(handle_, transportKind_, sendRequest_, inFlightSend_, size, failureStatus);
  // Also after a write that failed at once: no further write starts.
  sendInProgress_ = true;
  return !started;
}

void CClient::onIoCompleted(uint32_t status, uint32_t bytes, IoRequest* request) {
  if (request == nullptr) return;
  auto* link = static_cast<CClient*>(request->owner);
  link->handleCompletion(status, bytes, request->isSend);
  link->releaseReference();  // the one this operation held
}

void CClient::handleCompletion(uint32_t status, uint32_t bytes, bool isSend) {
  // A pipe message longer than the free space still delivers what fits; the
  // next read takes the rest.
  const bool success = status == iostatus::kSuccess ||
                       (transportKind_ == TransportKind::kNamedPipe && status == iostatus::kBufferOverflow);
  if (success) {
    if (bytes == 0) {
      Disconnect(disconnect_reason::kEmptyTransfer, static_cast<uint32_t>(kSimConnectLinkFailed));
    } else if (isSend) {
      onSendCompleted();
    } else {
      onReceiveCompleted(bytes);
    }
    return;
  }
  failWithStatus(status);
}

void CClient::failWithStatus(uint32_t status) {
  switch (status) {
    case iostatus::kCancelled:
      Disconnect(disconnect_reason::kCancelled, status);
      break;
    case iostatus::kRemoteDisconnect:
    case iostatus::kPipeBroken:
    case iostatus::kConnectionReset:
      Disconnect(disconnect_reason::kRemoteDisconnect, status);
      break;
    default:
      Disconnect(disconnect_reason::kOtherFailure, status);
      break;
  }
}

void CClient::onSendCompleted() {
  // A write's byte count is not compared with its size: a completed write
  // is taken as whole.
  if (state_.load() != kStateConnected) return;
  bool failedAtOnce = false;
  uint32_t failureStatus = 0;
  {
    std::lock_guard<std::mutex> guard(ioLock_);
    if (state_.load() != kStateConnected) return;
    failedAtOnce = startNextWrite(true, failureStatus);
  }
  if (failedAtOnce) onWriteFailedAtOnce(failureStatus);
}

void CClient::onReceiveCompleted(uint32_t bytes) {
  // Never trust a count beyond the space that was offered.
  if (bytes > receiveBuffer_.freeLength()) bytes = receiveBuffer_.freeLength();
  receiveBuffer_.commit(bytes);
  bytesReceived_ = bytes;
  for (;;) {
    switch (receiveBuffer_.cut(*holder_, maxReceiveSize_)) {
      case CutResult::kComplete:
        if (OnMessage(*holder_) != 0) {
          Disconnect(disconnect_reason::kNoMemory, static_cast<uint32_t>(kSimConnectOutOfMemory));
          return;
        }
        continue;
      case CutResult::kTooLarge:
        Disconnect(disconnect_reason::kMessageTooLarge, static_cast<uint32_t>(kSimConnectAbort));
        return;
      case CutResult::kTooSmall:
        Disconnect(disconnect_reason::kMessageTooSmall, static_cast<uint32_t>(kSimConnectAbort));
        return;
      case CutResult::kNoMemory:
        Disconnect(disconnect_reason::kNoMemory, static_cast<uint32_t>(kSimConnectOutOfMemory));
        return;
      case CutResult::kNeedMore:
        bytesReceived_ = 0;
        postReceive();  // does nothing unless still connected
        return;
    }
  }
}
