// An app's "rSIMDATA30" that found no build newer than the one last sent to
// it, parked until the next build is published. The session thread, as it
// publishes that build, sends it to every parked request itself: a serving
// thread then wakes once per record (for its app's next request) instead of
// once for the request and again for the build, and a build reaches all
// waiting apps in one pass instead of through one wake-up per thread.
//
// Ownership and threads. Each connection's serving thread owns one, which is
// listed for delivery while it exists. The serving thread parks and settles
// requests; the session thread delivers builds to parked ones. The state
// decides who may write to the connection: the session thread only while it
// delivers to a parked request, the serving thread at every other time, and
// the serving thread settles a parked request before it carries out anything
// else, so replies keep their order and never interleave. A delivery that
// could not send the whole record (the app's buffer full, or a failure) wakes
// the serving thread, which finishes the record as soon as the socket has
// room instead of at the deadline. Parking, listing and delivering allocate
// no memory, so none of them can fail for want of it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "bridge/flight_record.h"
#include "platform/socket_wake.h"
#include "platform/tcp_socket.h"

class ParkedRecordRequest {
 public:
  using Clock = std::chrono::steady_clock;

  // Lists the request for delivery; the socket must stay open until the
  // destructor has run. Without a wake (the system had no handle left) a
  // record left unfinished waits for the app's next command or the deadline.
  explicit ParkedRecordRequest(TcpSocket socket);
  // Waits for a delivery in progress, then unlists it.
  ~ParkedRecordRequest();
  ParkedRecordRequest(const ParkedRecordRequest&) = delete;
  ParkedRecordRequest& operator=(const ParkedRecordRequest&) = delete;

  // Serving thread: parks a request for a build newer than `lastSent`, to be
  // answered by `deadline` at the latest. False when a newer build was
  // published meanwhile: nothing is parked and the caller sends that one.
  bool park(int32_t lastSent, Clock::time_point deadline);

  // Serving thread: whether a request is parked and not yet settled, and
  // when it must be answered.
  bool isParked() const { return state_.load(std::memory_order_relaxed) != kIdle; }
  std::chrono::milliseconds timeLeft() const;

  // Serving thread, while a request is parked: sleeps until the app sends
  // its next command, a delivery leaves part of a record for this thread to
  // send, or the deadline passes; settle() follows.
  void awaitSettling();

  // What became of a parked request when the serving thread settled it.
  struct Settled {
    enum Outcome { nothingParked, takenBack, delivered } outcome;
    // delivered: the build sent, and how many of its bytes went out (fewer
    // than all when the app's buffer filled up).
    FlightRecordBuild build;
    size_t bytesSent;
  };
  // Serving thread: ends the parked state. takenBack means nothing was sent
  // and the serving thread answers the request itself; after a delivery it
  // sends whatever of the build did not go out.
  Settled settle();

  // Session thread, for each published build: sends it to every parked
  // request, without ever waiting for an app.
  static void deliverToParked(const FlightRecordBuild& build);

 private:
  static constexpr int kIdle = 0;
  static constexpr int kParked = 1;
  static constexpr int kDelivering = 2;
  static constexpr int kDelivered = 3;

  void deliver(const FlightRecordBuild& build);

  const TcpSocket socket_;
  SocketWake* const wake_;
  // Neighbours in the list of requests; guarded by the list's lock.
  ParkedRecordRequest* previous_ = nullptr;
  ParkedRecordRequest* next_ = nullptr;
  std::atomic<int> state_{kIdle};
  // Held by the session thread while it delivers, so that a serving thread
  // that finds a delivery under way sleeps until it is over.
  std::mutex deliveryLock_;
  // Written by the serving thread before it parks.
  Clock::time_point deadline_{};
  int32_t parkedAfter_ = 0;  // the build last sent: never delivered again
  // Written by the session thread before it leaves kDelivering for
  // kDelivered, read by the serving thread after it sees kDelivered.
  FlightRecordBuild delivered_;
  size_t bytesDelivered_ = 0;
};
