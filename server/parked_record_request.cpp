#include "server/parked_record_request.h"

#include <algorithm>
#include <mutex>

namespace {

// Every listed request, linked through the requests themselves so that
// listing one needs no memory. The session thread holds the lock for a whole
// delivery pass, so a request is never unlisted (and its socket closed) while
// a build is being sent to it; serving threads take it only when their
// connection starts and ends.
struct ParkedRequests {
  std::mutex lock;
  ParkedRecordRequest* first = nullptr;
};

ParkedRequests& parkedRequests() {
  static ParkedRequests requests;
  return requests;
}

}  // namespace

ParkedRecordRequest::ParkedRecordRequest(TcpSocket socket) : socket_(socket), wake_(createSocketWake()) {
  ParkedRequests& requests = parkedRequests();
  std::lock_guard<std::mutex> hold(requests.lock);
  next_ = requests.first;
  if (next_ != nullptr) next_->previous_ = this;
  requests.first = this;
}

ParkedRecordRequest::~ParkedRecordRequest() {
  {
    ParkedRequests& requests = parkedRequests();
    std::lock_guard<std::mutex> hold(requests.lock);
    (previous_ != nullptr ? previous_->next_ : requests.first) = next_;
    if (next_ != nullptr) next_->previous_ = previous_;
  }
  closeSocketWake(wake_);
}

bool ParkedRecordRequest::park(int32_t lastSent, Clock::time_point deadline) {
  deadline_ = deadline;
  parkedAfter_ = lastSent;
  // The publisher stores the new counter and then looks for parked
  // requests; this side parks and then reads the counter. All four are
  // sequentially consistent, so at least one of the two sees the other: a
  // build published just now is never missed by both.
  state_.store(kParked, std::memory_order_seq_cst);
  if (flightBuildCounter() == lastSent) return true;
  int expected = kParked;
  // Lost to the publisher: it is delivering the new build already.
  return !state_.compare_exchange_strong(expected, kIdle);
}

std::chrono::milliseconds ParkedRecordRequest::timeLeft() const {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
  return std::max(std::chrono::milliseconds{0}, left);
}

void ParkedRecordRequest::awaitSettling() {
  if (wake_ == nullptr) {
    waitTcpReadable(socket_, static_cast<int>(timeLeft().count()));
    return;
  }
  // A wake left over from a request settled before it was used ends a wait
  // early while this request is still parked: wait again for the time left.
  while (waitTcpReadableOrWoken(socket_, wake_, static_cast<int>(timeLeft().count())) == SocketWaitEnd::woken) {
    if (state_.load(std::memory_order_acquire) != kParked) return;
  }
}

ParkedRecordRequest::Settled ParkedRecordRequest::settle() {
  for (;;) {
    int state = state_.load(std::memory_order_acquire);
    switch (state) {
      case kIdle:
        return Settled{Settled::nothingParked, nullptr, 0};
      case kParked:
        if (state_.compare_exchange_weak(state, kIdle)) return Settled{Settled::takenBack, nullptr, 0};
        continue;
      case kDelivering: {
        // One send that never blocks, but the session thread may have been
        // preempted by the very app it just woke.
        std::lock_guard<std::mutex> wait(deliveryLock_);
        continue;
      }
      case kDelivered: {
        Settled settled{Settled::delivered, std::move(delivered_), bytesDelivered_};
        state_.store(kIdle, std::memory_order_relaxed);
        return settled;
      }
    }
  }
}

void ParkedRecordRequest::deliverToParked(const FlightRecordBuild& build) {
  ParkedRequests& requests = parkedRequests();
  std::lock_guard<std::mutex> hold(requests.lock);
  for (ParkedRecordRequest* request = requests.first; request != nullptr; request = request->next_) {
    request->deliver(build);
  }
}

void ParkedRecordRequest::deliver(const FlightRecordBuild& build) {
  // Sequentially consistent: pairs with park().
  if (state_.load(std::memory_order_seq_cst) != kParked) return;
  std::lock_guard<std::mutex> hold(deliveryLock_);
  int expected = kParked;
  if (!state_.compare_exchange_strong(expected, kDelivering)) return;
  // The serving thread may have sent this very build itself while this pass
  // was on its way to it, and parked the app's next request since.
  if (build->buildCounter == parkedAfter_) {
    state_.store(kParked, std::memory_order_release);
    return;
  }
  // A zero wait: the session thread never waits for an app. Whatever did not
  // go out (no room, or a failure) is the serving thread's to send, or to
  // meet the failure of, as soon as it can: it is woken for that at once
  // rather than left asleep until the app's next command or the deadline.
  const long sent = sendOnTcpSocketWithin(socket_, &build->record, sizeof build->record, 0);
  const bool unfinished = sent < static_cast<long>(sizeof build->record);
  delivered_ = build;
  bytesDelivered_ = sent > 0 ? static_cast<size_t>(sent) : 0;
  state_.store(kDelivered, std::memory_order_release);
  if (unfinished && wake_ != nullptr) signalSocketWake(wake_);
}
