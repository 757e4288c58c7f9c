#include "simlink/client_client.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/clock.h"
#include "platform/notify_event.h"
#include "simlink/link_process.h"

namespace {

constexpr uint32_t kSmallestDeliveredMessage = sizeof(SIMCONNECT_RECV);
constexpr unsigned kClosePauseMilliseconds = 100;
constexpr unsigned kObjectWaitStepMilliseconds = 250;
constexpr int kObjectWaitSteps = 20;

}  // namespace

ClientClient::ClientClient(TransportKind kind) : CClient(kind) { noteLinkCreated(); }

ClientClient::~ClientClient() = default;  // the receive queue frees what was never dispatched

void ClientClient::BeginConnection() {
  CClient::BeginConnection();
  applyNoDelay();
  markConnected();
}

void ClientClient::Disconnect(uint32_t reason, uint32_t code) {
  CClient::Disconnect(reason, code);
  if (reason != disconnect_reason::kClosedByApplication) notify();
}

int ClientClient::OnMessage(MessageHolder& holder) {
  auto* node = new (std::nothrow) PacketNode;
  if (node == nullptr) return 1;
  node->data = holder.data;
  node->size = static_cast<uint32_t>(holder.size);
  node->connectionSerial = connectionSerial();
  holder = MessageHolder{};  // every message gets a fresh block of its own size
  receiveQueue_.push(node);
  notify();
  return 0;
}

void ClientClient::setNotification(HWND window, DWORD messageId, HANDLE event) {
  std::lock_guard<std::mutex> guard(notifyLock_);
  notifyWindow_ = window;
  notifyMessageId_ = messageId;
  notifyEvent_ = event;
}

void ClientClient::clearNotification() { setNotification(nullptr, 0, nullptr); }

// The lock is held across the signal, so that a clear waits for a
// notification in progress and no later one finds a target.
void ClientClient::notify() {
  std::lock_guard<std::mutex> guard(notifyLock_);
  if (notifyWindow_ != nullptr && notifyMessageId_ != 0) postNotifyMessage(notifyWindow_, notifyMessageId_);
  if (notifyEvent_ != nullptr) setNotifyEvent(notifyEvent_);
}

bool ClientClient::deliver(DispatchProc procedure, void* context) {
  const DispatchProc used = procedure != nullptr ? procedure : defaultDispatch_;
  if (used == nullptr) return false;
  ++dispatchDepth_;
  PacketNode* node = receiveQueue_.takeAll();
  while (node != nullptr) {
    PacketNode* next = node->next;
    if (!closedByApplication_ && node->size >= kSmallestDeliveredMessage && node->data != nullptr) {
      used(reinterpret_cast<SIMCONNECT_RECV*>(node->data), node->size, context);
    }
    freePacketNode(node);
    node = next;
  }
  --dispatchDepth_;
  return true;
}

void ClientClient::markClosedWhileDispatching(bool lastLinkClosed) {
  closedByApplication_ = true;
  lastLinkCloseToFinish_ = lastLinkClosed;
}

bool ClientClient::takeLastLinkCloseToFinish() {
  if (dispatching() || !lastLinkCloseToFinish_) return false;
  lastLinkCloseToFinish_ = false;
  return true;
}

uint8_t* ClientClient::startPacket(uint32_t size) {
  if (size > stagingCapacity_ - stagingPosition_) return nullptr;
  uint8_t* packet = staging_ + stagingPosition_;
  stagingPosition_ += size;
  sendIdCounter_ = sendIdCounter_ == 0xFFFFFFFFu ? 1 : sendIdCounter_ + 1;
  std::memcpy(packet + 12, &sendIdCounter_, sizeof sendIdCounter_);
  return packet;
}

void ClientClient::abandonPacket(uint8_t* packet, uint32_t size) {
  std::memset(packet, 0, size);
  stagingPosition_ = static_cast<uint32_t>(packet - staging_);
}

bool ClientClient::sendStaged() {
  const uint32_t size = stagingPosition_;
  if (size == 0) return false;
  auto* block = static_cast<uint8_t*>(std::malloc(size));
  auto* node = block != nullptr ? new (std::nothrow) PacketNode : nullptr;
  if (node == nullptr) {
    std::free(block);
    return false;  // stays staged, goes out with the next request
  }
  std::memcpy(block, staging_, size);
  node->data = block;
  node->size = size;
  node->connectionSerial = connectionSerial();
  std::memset(staging_, 0, size);
  stagingPosition_ = 0;
  return enqueueSend(node);
}

namespace {

// Once the process's last link is closed: waits (bounded) for the link
// objects that outstanding I/O still holds, then cleans the socket library
// up if the link library started it.
void finishLastLinkClose() {
  for (int step = 0; step < kObjectWaitSteps && liveClientObjectCount() > 0; ++step) {
    sleepMilliseconds(kObjectWaitStepMilliseconds);
  }
  cleanUpLinkSocketsIfStarted();
}

}  // namespace

HRESULT closeLink(ClientClient* link) {
  if (link == nullptr) return kSimConnectFail;
  sleepMilliseconds(kClosePauseMilliseconds);
  return releaseLink(link);
}

HRESULT releaseLink(ClientClient* link) {
  if (link == nullptr) return kSimConnectFail;
  link->clearNotification();
  link->Disconnect(disconnect_reason::kClosedByApplication, 0);
  link->discardOutgoing();
  const bool lastLinkClosed = noteLinkClosed();
  if (link->dispatching()) {
    // The dispatch call under this procedure holds the link until it
    // returns: waiting here for the objects to go could never succeed.
    link->markClosedWhileDispatching(lastLinkClosed);
    link->releaseReference();
    return kSimConnectOk;
  }
  link->releaseReference();  // outstanding I/O completes as cancelled; the last one frees it
  if (lastLinkClosed) finishLastLinkClose();
  return kSimConnectOk;
}

HRESULT dispatchLink(ClientClient* link, DispatchProc procedure, void* context) {
  if (link == nullptr) return kSimConnectFail;
  // Held across the calls, so that a procedure that closes the link does
  // not free it under the delivery loop.
  link->addReference();
  // The failure is read before the queue is taken: everything queued before
  // the link failed is then in this batch.
  const HRESULT failure = link->linkFailed() ? link->failureResult() : kSimConnectOk;
  const HRESULT result = link->deliver(procedure, context) ? failure : kSimConnectFail;
  const bool finishClose = link->takeLastLinkCloseToFinish();
  link->releaseReference();
  // A link opened by the procedure after its close keeps the sockets.
  if (finishClose && openLinkCount() == 0) finishLastLinkClose();
  return result;
}
