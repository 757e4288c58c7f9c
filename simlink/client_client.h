// ClientClient: a simulator link, the object behind a SimConnect HANDLE. It is
// a CClient plus what makes it a link: the receive queue that holds framed
// messages until SimConnect_CallDispatch, the caller's notification settings,
// the staging area where request packets are built, and the send-id counter.
// The application thread (one per link) builds requests, dispatches and
// closes; I/O completion threads queue messages and notify. The receive
// queue's lock and the notification lock are each held alone (the event's
// own signalling aside), and the dispatch procedure runs with no lock held.
#pragma once

#include <cstdint>
#include <mutex>

#include "simlink/client.h"
#include "simlink/simconnect.h"

class ClientClient : public CClient {
 public:
  static constexpr uint32_t kStagingCapacity = 41088;

  explicit ClientClient(TransportKind kind);
  ~ClientClient() override;

  // Adds TCP_NODELAY when asked for, and makes the link connected.
  void BeginConnection() override;
  // Also wakes the application when the link failed (reason not 0).
  void Disconnect(uint32_t reason, uint32_t code) override;
  // Queues the message: the holder's block travels on, the holder is emptied.
  int OnMessage(MessageHolder& holder) override;

  // Who to wake when a message is queued or the link fails (0/null = none).
  void setNotification(HWND window, DWORD messageId, HANDLE event);
  // Forgets them. Waits for a notification that an I/O thread is giving at
  // this moment: once it returns, the window and the event are never
  // touched again, so the application may close the event.
  void clearNotification();

  // Application thread: hands every queued message of 12 bytes or more to
  // the procedure (or the default one), in arrival order, with no lock held.
  // Each block is valid only during its call. Once the procedure has closed
  // the link, the rest of the batch is freed undelivered. False when there
  // is no procedure (nothing is delivered).
  bool deliver(DispatchProc procedure, void* context);

  // Application thread: true while a dispatch procedure of this link runs.
  bool dispatching() const { return dispatchDepth_ != 0; }
  // Application thread: the close calls this on a link whose dispatch
  // procedure is closing it, so that the dispatch call finishes the close.
  void markClosedWhileDispatching(bool lastLinkClosed);
  // True (once) when the outermost dispatch call must finish the close of
  // the process's last link after dropping its own reference.
  bool takeLastLinkCloseToFinish();

  uint32_t queuedMessageCount() const { return receiveQueue_.count(); }

  // --- Staging area: application thread only ---------------------------------
  // Places a zero-filled packet of the size at the staging position, advances
  // the position and stamps the packet's send id (offset 12) with the next
  // one. Null when the staging area has no room.
  uint8_t* startPacket(uint32_t size);
  // Takes back the last started packet: its bytes are zeroed and the
  // position goes back. Its send id stays used.
  void abandonPacket(uint8_t* packet, uint32_t size);
  // Queues everything staged since the last send as one block, then zeroes
  // and rewinds the staging area. False when nothing was queued (nothing
  // staged, no memory — the bytes then stay staged — or the link is not
  // connected).
  bool sendStaged();
  uint32_t lastSendId() const { return sendIdCounter_; }

 private:
  void notify();

  PacketQueue receiveQueue_;
  // The notification targets, read and used under notifyLock_ so that the
  // clear can wait for a notification in flight.
  std::mutex notifyLock_;
  HWND notifyWindow_ = nullptr;
  DWORD notifyMessageId_ = 0;
  HANDLE notifyEvent_ = nullptr;
  DispatchProc defaultDispatch_ = nullptr;  // left empty: a procedure must be given
  const uint32_t stagingCapacity_ = kStagingCapacity;
  uint8_t staging_[kStagingCapacity] = {};
  uint32_t stagingPosition_ = 0;
  uint32_t sendIdCounter_ = 0;
  // Application thread only.
  uint32_t dispatchDepth_ = 0;
  bool closedByApplication_ = false;
  bool lastLinkCloseToFinish_ = false;
};

// Closes a link: pauses 100 ms, stops its notifications (waiting for one in
// flight), disconnects without recording a failure, frees the packets not
// yet written and drops the caller's reference; the last outstanding I/O
// frees the object. When the last link of the process is closed, waits (up
// to 5 s) for every link object to be freed and cleans the socket library
// up if the link library started it; called from the link's own dispatch
// procedure, it leaves that wait to the dispatch call, which still holds the
// link. E_FAIL for null, S_OK otherwise. Application thread; the handle is
// gone afterwards.
HRESULT closeLink(ClientClient* link);

// Closes a link as closeLink does, without the pause: for an open attempt
// whose transport never connected, which has nothing queued to go out.
HRESULT releaseLink(ClientClient* link);

// SimConnect_CallDispatch: reads the link's failure first, then delivers
// every queued message, and reports that failure (its recorded code) or
// S_OK. A message queued after the failure was read is left for the next
// call, never lost to this one's report. E_FAIL for null or no procedure.
// Application thread.
HRESULT dispatchLink(ClientClient* link, DispatchProc procedure, void* context);
