// CClient: the transport connection under a simulator link. It owns one
// socket or named pipe, writes queued packets one at a time, reads and frames
// the simulator's messages, records the failure that ended the connection,
// and counts references so that it lives until its last I/O has completed.
// The application thread starts writes and closes; I/O completion threads
// run the completion routine. Locks: the I/O lock (state changes, the
// transport handle, starting reads and writes), then inside it the send
// queue's own lock, never the other way round.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/overlapped_io.h"
#include "platform/win_types.h"
#include "simlink/packet_queue.h"
#include "simlink/receive_buffer.h"

// Why a connection ended (the link's failure reason; 0 = healthy).
namespace disconnect_reason {
constexpr uint32_t kClosedByApplication = 0;
constexpr uint32_t kMessageTooLarge = 1;
constexpr uint32_t kMessageTooSmall = 2;
constexpr uint32_t kNoMemory = 3;
constexpr uint32_t kEmptyTransfer = 4;
constexpr uint32_t kRemoteDisconnect = 5;
constexpr uint32_t kCancelled = 8;
constexpr uint32_t kOtherFailure = 9;
}  // namespace disconnect_reason

class CClient {
 public:
  explicit CClient(TransportKind kind);
  CClient(const CClient&) = delete;
  CClient& operator=(const CClient&) = delete;

  // The virtual operations, in this order.
  virtual ~CClient();
  // Resets the per-connection state after a connect.
  virtual void BeginConnection();
  // Closes the transport and records why; a later call replaces the reason.
  virtual void Disconnect(uint32_t reason, uint32_t code);
  // Takes one complete received message; 0 when it was taken. This class
  // keeps nothing.
  virtual int OnMessage(MessageHolder& holder);
  virtual void OnPendingReceive();

  // Takes over a connected, bound transport handle. False (handle not taken)
  // when the receive buffer cannot be had.
  bool attach(IoHandle handle, uint32_t addressFamily, uint32_t maxReceiveSize, bool disableNagle);

  // Starts the next read into the receive buffer's free space (connected
  // links only). Any thread.
  void postReceive();

  // Queues a packet and starts writing it unless a write is in progress.
  // Takes ownership of the node; false when the link is not connected (the
  // packet is freed and never written). Any thread.
  bool enqueueSend(PacketNode* node);

  // Frees every packet still waiting to be written.
  void discardOutgoing();

  bool linkFailed() const { return failureReason_.load(std::memory_order_acquire) != 0; }
  uint32_t failureReason() const { return failureReason_.load(std::memory_order_acquire); }
  // The code recorded when the transport failed; E_FAIL if none was.
  HRESULT failureResult() const;

  // Each outstanding read and write holds one reference, the opener another;
  // the last release deletes the object.
  void addReference() { references_.fetch_add(1, std::memory_order_relaxed); }
  void releaseReference();

  TransportKind transportKind() const { return transportKind_; }
  uint32_t connectionSerial() const { return connectionSerial_.load(std::memory_order_relaxed); }
  bool connected() const { return state_.load(std::memory_order_acquire) == kStateConnected; }

 protected:
  static constexpr uint32_t kStateClosed = 0;
  static constexpr uint32_t kStateConnected = 2;

  void markConnected() { state_.store(kStateConnected, std::memory_order_release); }
  // Switches Nagle off when the configuration asks for it (sockets only).
  void applyNoDelay();

 private:
  static void onIoCompleted(uint32_t status, uint32_t bytes, IoRequest* request);
  void handleCompletion(uint32_t status, uint32_t bytes, bool isSend);
  // Records a failed I/O: the completion status decides the reason.
  void failWithStatus(uint32_t status);
  void onReceiveCompleted(uint32_t bytes);
  void onSendCompleted();
  // Requires: ioLock_ held. True when the write failed at once: the caller
  // then fails the link with failureStatus and drops the reference the write
  // took, both outside the lock.
  bool startNextWrite(bool continuing, uint32_t& failureStatus);
  void onWriteFailedAtOnce(uint32_t failureStatus);
  void closeTransport(uint32_t previousState);

  IoHandle handle_ = kInvalidIoHandle;         // ioLock_
  std::atomic<uint32_t> state_{kStateClosed};  // written under ioLock_
  std::atomic<uint32_t> failureCode_{0};       // written under ioLock_
  const TransportKind transportKind_;
  uint32_t bytesReceived_ = 0;  // read path only
  PacketQueue sendQueue_;
  bool sendInProgress_ = false;  // ioLock_
  ReceiveBuffer receiveBuffer_;  // read path only
  std::mutex ioLock_;
  MessageHolder* holder_ = nullptr;  // read path only
  uint32_t addressFamily_ = 0;
  bool disableNagle_ = false;
  IoRequest receiveRequest_;
  IoRequest sendRequest_;                      // ioLock_
  uint8_t* inFlightSend_ = nullptr;            // ioLock_; freed when the next write starts
  std::atomic<uint32_t> connectionSerial_{0};  // written under ioLock_
  uint32_t maxReceiveSize_ = 0;
  std::atomic<uint32_t> references_{1};
  std::atomic<uint32_t> failureReason_{0};
};
