// The completion layer's contract on both backends: completions never run
// inside the call that started the I/O, and the statuses the link relies on
// come out the same (success with a count, a broken pipe, a cancellation).
#include "platform/overlapped_io.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "link_test_support.h"
#include "platform/named_pipe_client.h"

namespace {

struct Outcome {
  // The thread inside a start call, while it is inside; a completion may
  // run meanwhile on another thread, but never on that one.
  std::mutex lock;
  std::thread::id startingThread;
  std::atomic<bool> completedInsideStartCall{false};
  std::atomic<int> completions{0};
  std::atomic<uint32_t> status{0xFFFFFFFFu};
  std::atomic<uint32_t> bytes{0};
};

void recordCompletion(uint32_t status, uint32_t bytes, IoRequest* request) {
  auto* outcome = static_cast<Outcome*>(request->owner);
  {
    std::lock_guard<std::mutex> guard(outcome->lock);
    if (outcome->startingThread == std::this_thread::get_id()) outcome->completedInsideStartCall = true;
  }
  outcome->status = status;
  outcome->bytes = bytes;
  ++outcome->completions;
}

class OverlappedIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folders.ready());
    const std::string path = localPipePath(uniqueName("orvx-io"));
    server = ScriptedSimulator::onPipe(path);
    ASSERT_NE(server, nullptr);
    pipe = openNamedPipeClient(path, 1000);
    ASSERT_NE(pipe, kInvalidIoHandle);
    ASSERT_TRUE(bindIoCompletion(pipe, TransportKind::kNamedPipe));
    ASSERT_TRUE(server->accept());
    initIoRequest(request, &outcome, false, recordCompletion);
  }

  void TearDown() override {
    if (pipe != kInvalidIoHandle) closePipeHandle(pipe);
    eventually([this] { return outcome.completions.load() > 0; });  // nothing may outlive the request
  }

  bool startRead() {
    uint32_t failure = 0;
    {
      std::lock_guard<std::mutex> guard(outcome.lock);
      outcome.startingThread = std::this_thread::get_id();
    }
    const bool started = startReceive(pipe, TransportKind::kNamedPipe, request, buffer, sizeof buffer, failure);
    std::lock_guard<std::mutex> guard(outcome.lock);
    outcome.startingThread = std::thread::id();
    return started;
  }

  ScratchFolders folders;
  std::unique_ptr<ScriptedSimulator> server;
  IoHandle pipe = kInvalidIoHandle;
  IoRequest request;
  Outcome outcome;
  uint8_t buffer[64];
};

TEST_F(OverlappedIoTest, DataAlreadyThereStillCompletesOutsideTheStartCall) {
  // A pipe write returns once the bytes wait in the pipe, on both platforms.
  ASSERT_TRUE(server->send(Bytes{1, 2, 3, 4, 5}));
  ASSERT_TRUE(startRead());
  ASSERT_TRUE(eventually([this] { return outcome.completions.load() == 1; })) << "the read never completed";
  EXPECT_FALSE(outcome.completedInsideStartCall.load());
  EXPECT_EQ(outcome.status.load(), iostatus::kSuccess);
  EXPECT_EQ(outcome.bytes.load(), 5u);
  EXPECT_EQ(std::memcmp(buffer, "\x01\x02\x03\x04\x05", 5), 0);
}

TEST_F(OverlappedIoTest, ServerClosingItsEndIsABrokenPipe) {
  ASSERT_TRUE(startRead());
  server->closeConnection();
  ASSERT_TRUE(eventually([this] { return outcome.completions.load() == 1; })) << "the read never completed";
  EXPECT_EQ(outcome.status.load(), iostatus::kPipeBroken);
  EXPECT_EQ(outcome.bytes.load(), 0u);
}

// What matters to the link is that the read completes (releasing what it
// holds) as a failure; Wine reports a broken pipe where POSIX says cancelled.
TEST_F(OverlappedIoTest, ClosingTheHandleEndsAPendingReadAsAFailure) {
  ASSERT_TRUE(startRead());
  closePipeHandle(pipe);
  pipe = kInvalidIoHandle;
  ASSERT_TRUE(eventually([this] { return outcome.completions.load() == 1; })) << "the read never completed";
  const uint32_t status = outcome.status.load();
  EXPECT_TRUE(status == iostatus::kCancelled || status == iostatus::kPipeBroken) << std::hex << status;
}

}  // namespace
