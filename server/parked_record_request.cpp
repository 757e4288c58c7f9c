#include "server/parked_record_request.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// Every listed request. The session thread holds the lock for a whole
// delivery pass, so a request is never unlisted (and its socket closed) while
// a build is being sent to it; serving threads take it only when their
// connection starts and ends.
struct ParkedRequests {
  std::mutex lock;
  std::vector<ParkedRecordRequest*> listed;
};

ParkedRequests& parkedRequests() {
  static ParkedRequests requests;
  return requests;
}

}  // namespace

ParkedRecordRequest::ParkedRecordRequest(TcpSocket socket) : socket_(socket) {
  ParkedRequests& requests = parkedRequests();
  std::lock_guard<std::mutex> hold(requests.lock);
  requests.listed.push_back(this);
}

ParkedRecordRequest::~ParkedRecordRequest() {
  ParkedRequests& requests = parkedRequests();
  std::lock_guard<std::mutex> hold(requests.lock);
  requests.listed.erase(std::find(requests.listed.begin(), requests.listed.end(), this));
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
  for (ParkedRecordRequest* request : requests.listed) request->deliver(build);
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
  // A zero wait: the session thread never waits for an app. Nothing sent
  // (no room, or a failure) leaves the request parked; its serving thread
  // answers it by the deadline and meets any failure itself.
  const long sent = sendOnTcpSocketWithin(socket_, &build->record, sizeof build->record, 0);
  if (sent <= 0) {
    state_.store(kParked, std::memory_order_release);
    return;
  }
  delivered_ = build;
  bytesDelivered_ = static_cast<size_t>(sent);
  state_.store(kDelivered, std::memory_order_release);
}
