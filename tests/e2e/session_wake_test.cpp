// The session thread wakes on the link's news: every message the simulator
// sends is handled as soon as it is queued, a burst in full and in order, and
// a stop ends a session whose simulator is connected and silent at once.
// The emulator sends no frames of its own here; the test sends them.
#include <gtest/gtest.h>

#include <chrono>

#include "bridge/shared_state.h"
#include "tests/e2e/bridge_fixture.h"
#include "tools/sim/sim_messages.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// Longer than any of these waits needs, shorter than what a session that only
// looked at a quiet link now and then would take.
constexpr unsigned kAnswerDeadlineMs = 5000;

class SessionWake : public BridgeEndToEnd {
 protected:
  uint64_t answered() const { return emulator_->counters().dataRequestsAnswered; }

  // Sends `count` "Frame" events to the bridge in one write.
  void sendFrames(int client, int count) {
    simemu::Message burst;
    for (int frame = 0; frame < count; ++frame) {
      const simemu::Message one = simemu::frameMessage(0, 60.0f, 1.0f);
      burst.insert(burst.end(), one.begin(), one.end());
    }
    ASSERT_TRUE(emulator_->sendRaw(client, burst));
  }
};

TEST_F(SessionWake, BurstOfFramesIsAnsweredInFullAndEveryBlockBuilt) {
  const int client = startSilentLink();
  ASSERT_NE(client, 0);
  sendFrames(client, 1);  // the first block starts the listener and builds nothing
  ASSERT_TRUE(emulator_->waitFor([&] { return answered() == 1; }, kAnswerDeadlineMs));
  ASSERT_TRUE(eventually([] { return listenerRunning.load(); }, milliseconds(kAnswerDeadlineMs)));
  const int32_t before = flightBuildCounter();

  constexpr int kBurst = 40;
  sendFrames(client, kBurst);
  EXPECT_TRUE(emulator_->waitFor([&] { return answered() == 1 + kBurst; }, kAnswerDeadlineMs))
      << "answered " << answered() - 1 << " of " << kBurst << " frames";
  EXPECT_TRUE(eventually([&] { return flightBuildCounter() == before + kBurst; }, milliseconds(kAnswerDeadlineMs)))
      << "built " << flightBuildCounter() - before << " of " << kBurst << " blocks";
  EXPECT_EQ(answered(), 1u + kBurst) << "one data request per frame, no more";
}

TEST_F(SessionWake, EachFrameIsAnsweredAsSoonAsItArrives) {
  const int client = startSilentLink();
  ASSERT_NE(client, 0);
  // One frame at a time, each once the one before was answered: a session
  // that did not wake on arrival would take a quiet-link period per frame.
  constexpr int kFrames = 8;
  const auto start = Clock::now();
  for (int frame = 1; frame <= kFrames; ++frame) {
    sendFrames(client, 1);
    ASSERT_TRUE(emulator_->waitFor([&] { return answered() == static_cast<uint64_t>(frame); }, kAnswerDeadlineMs))
        << "frame " << frame << " was never answered";
  }
  EXPECT_LT(millisecondsSince(start), kAnswerDeadlineMs) << "ms for " << kFrames << " frames: they waited for a poll";
}

TEST_F(SessionWake, StopEndsASilentSessionAtOnce) {
  ASSERT_NE(startSilentLink(), 0);
  ASSERT_TRUE(eventually([] { return simConnected.load(); }, milliseconds(kAnswerDeadlineMs)));
  const auto start = Clock::now();
  stopBridgeHere();
  // The close itself pauses 100 ms; without the stop's wake the session would
  // first sleep out its quiet-link period.
  EXPECT_LT(millisecondsSince(start), 1500) << "ms to stop";
}

}  // namespace
