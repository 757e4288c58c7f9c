// A parked "rSIMDATA30" and the session thread's delivery to it, driven
// directly over a connected socket pair: what reaches the app and what the
// serving thread finds when it settles.
#include "server/parked_record_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "bridge/shared_state.h"
#include "platform/socket_library.h"
#include "platform/test_socket_pair.h"
#include "platform/test_tcp_buffers.h"
#include "server/app_protocol.h"
#include "server/client_session.h"
#include "server/connection_registry.h"
#include "server_test_support.h"

namespace {

using Clock = ParkedRecordRequest::Clock;
using Settled = ParkedRecordRequest::Settled;

// A build as the session thread would publish it, marked with its counter.
FlightRecordBuild buildNumbered(int32_t counter) {
  auto build = std::make_shared<PublishedFlightRecord>();
  std::memcpy(build->record.tag, kFlightRecordTag, sizeof kFlightRecordTag);
  build->record.latitudeDeg = counter;
  build->buildCounter = counter;
  return build;
}

class ParkedRecordRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startSocketLibrary();
    // Deliveries here happen only where a test asks for them.
    onFlightRecordPublished(nullptr);
    publishFlightRecord();
    latest_ = flightBuildCounter();
    ASSERT_TRUE(makeConnectedSocketPair(bridgeEnd_, appEnd_));
  }
  void TearDown() override {
    closeTcpSocket(bridgeEnd_);
    closeTcpSocket(appEnd_);
    stopSocketLibrary();
  }

  // Everything the app has been sent so far.
  std::vector<uint8_t> appReceived() {
    std::vector<uint8_t> bytes;
    uint8_t piece[4096];
    while (waitTcpReadable(appEnd_, 50)) {
      const long received = receiveFromTcpSocket(appEnd_, piece, sizeof piece);
      if (received <= 0) break;
      bytes.insert(bytes.end(), piece, piece + received);
    }
    return bytes;
  }

  Clock::time_point soon() const { return Clock::now() + std::chrono::milliseconds(100); }

  int32_t latest_ = 0;
  TcpSocket bridgeEnd_ = kInvalidTcpSocket;
  TcpSocket appEnd_ = kInvalidTcpSocket;
};

TEST_F(ParkedRecordRequestTest, ANewerBuildIsSentWholeOnceAndTheServingThreadLearnsWhich) {
  ParkedRecordRequest request(bridgeEnd_);
  ASSERT_TRUE(request.park(latest_, soon()));
  const FlightRecordBuild next = buildNumbered(latest_ + 1);
  ParkedRecordRequest::deliverToParked(next);
  // Not parked any more: a later build waits for the app's next request.
  ParkedRecordRequest::deliverToParked(buildNumbered(latest_ + 2));

  const std::vector<uint8_t> received = appReceived();
  ASSERT_EQ(received.size(), kFlightRecordSize);
  EXPECT_EQ(std::memcmp(received.data(), &next->record, kFlightRecordSize), 0);
  const Settled settled = request.settle();
  EXPECT_EQ(settled.outcome, Settled::delivered);
  EXPECT_EQ(settled.build, next);
  EXPECT_FALSE(request.isParked());
  EXPECT_EQ(request.settle().outcome, Settled::nothingParked);
}

// Cases where a delivery must send nothing: it leaves the request to its
// serving thread (takenBack), hands it the build to send (delivered) or finds
// none parked.
TEST_F(ParkedRecordRequestTest, DeliveriesThatMustSendNothing) {
  struct Row {
    const char* what;
    bool park;
    int32_t parkAfter;  // relative to the latest counter
    int32_t delivered;  // relative to the latest counter
    bool appBufferFull;
    bool parked;  // what park() answers
    Settled::Outcome outcome;
  };
  const Row rows[] = {
      {"the build the app was last sent, by a pass that began before the app asked again", true, 0, 0, false, true,
       Settled::takenBack},
      {"a build to a connection with nothing parked", false, 0, 1, false, false, Settled::nothingParked},
      {"a request parked after an older build than the latest", true, -1, 1, false, false, Settled::nothingParked},
      // The serving thread sends it, as soon as there is room.
      {"a newer build to an app whose buffer is full", true, 0, 1, true, true, Settled::delivered},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TearDown();
    SetUp();
    size_t filled = 0;
    if (row.appBufferFull) {
      const std::vector<uint8_t> filler(64 * 1024, 0xAB);
      for (long sent; (sent = sendOnTcpSocketWithin(bridgeEnd_, filler.data(), filler.size(), 0)) > 0;) {
        filled += static_cast<size_t>(sent);
      }
    }
    ParkedRecordRequest request(bridgeEnd_);
    if (row.park) {
      EXPECT_EQ(request.park(latest_ + row.parkAfter, soon()), row.parked);
    }
    ParkedRecordRequest::deliverToParked(buildNumbered(latest_ + row.delivered));
    EXPECT_EQ(appReceived().size(), filled) << "nothing but the filler reaches the app";
    EXPECT_EQ(request.settle().outcome, row.outcome);
  }
}

// The app has read only a little of a full buffer when the build comes: the
// session thread sends what fits, and the serving thread must learn exactly
// how much went out, so that it sends the rest and the app's stream of records
// stays in step. With the smallest send buffer a record no longer fits in one
// piece of it, so that reading half the buffer leaves room for part of one.
TEST_F(ParkedRecordRequestTest, ARecordSentInPartReportsExactlyTheBytesThatWentOut) {
  int partial = 0;
  enum class Read { oneByte, half, all };
  for (Read reading : {Read::oneByte, Read::half, Read::all}) {
    TearDown();
    SetUp();
    setTcpSendBufferSize(bridgeEnd_, 1);
    size_t filled = 0;
    const std::vector<uint8_t> filler(64 * 1024, 0xAB);
    for (size_t piece : {filler.size(), size_t{1024}, size_t{1}}) {
      for (long sent; (sent = sendOnTcpSocketWithin(bridgeEnd_, filler.data(), piece, 0)) > 0;) {
        filled += static_cast<size_t>(sent);
      }
    }
    const size_t read = reading == Read::oneByte ? 1 : reading == Read::half ? filled / 2 : filled;
    SCOPED_TRACE("the app read " + std::to_string(read) + " of " + std::to_string(filled) + " bytes");
    std::vector<uint8_t> stream(read);
    ASSERT_TRUE(waitTcpReadable(appEnd_, 5000));
    for (size_t in = 0; in < read;) {
      const long received = receiveFromTcpSocket(appEnd_, stream.data() + in, read - in);
      ASSERT_GT(received, 0);
      in += static_cast<size_t>(received);
    }

    ParkedRecordRequest request(bridgeEnd_);
    ASSERT_TRUE(request.park(latest_, Clock::now() + std::chrono::seconds(5)));
    const FlightRecordBuild next = buildNumbered(latest_ + 1);
    ParkedRecordRequest::deliverToParked(next);
    const std::vector<uint8_t> rest = appReceived();
    stream.insert(stream.end(), rest.begin(), rest.end());
    ASSERT_GE(stream.size(), filled);
    const size_t recordBytes = stream.size() - filled;

    const Settled settled = request.settle();
    if (settled.outcome != Settled::delivered) {
      EXPECT_EQ(recordBytes, 0u) << "bytes went out for a request taken back";
      continue;
    }
    EXPECT_EQ(settled.bytesSent, recordBytes) << "the serving thread would send the wrong rest";
    ASSERT_LE(recordBytes, kFlightRecordSize);
    EXPECT_EQ(std::memcmp(stream.data() + filled, &next->record, recordBytes), 0);
    if (recordBytes < kFlightRecordSize) ++partial;
  }
  RecordProperty("partialDeliveries", partial);
  if (partial == 0) GTEST_SKIP() << "no delivery went out in part here";
}

// A serving thread on one end of a socket pair, the app on the other, with
// the listener running so that published builds are delivered.
class ParkedRecordServing : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ASSERT_TRUE(makeConnectedSocketPair(bridgeEnd_, appEnd_));
    registerConnection(bridgeEnd_);
    serving_ = std::thread(serveClient, bridgeEnd_);
  }
  void TearDown() override {
    // The serving thread ends at the close and closes its own end.
    closeTcpSocket(appEnd_);
    serving_.join();
    ServerTest::TearDown();
  }

  static void publishMarked(double mark) {
    flightRecordForBuild().latitudeDeg = mark;
    publishFlightRecord();
  }
  void request() { ASSERT_EQ(sendOnTcpSocket(appEnd_, kRequestFlightData, kCommandFrameSize), kCommandFrameSize); }
  // The next `length` bytes the app is sent; fewer if they do not come.
  std::vector<uint8_t> receive(size_t length) {
    std::vector<uint8_t> bytes(length);
    size_t in = 0;
    while (in < length && waitTcpReadable(appEnd_, 5000)) {
      const long received = receiveFromTcpSocket(appEnd_, bytes.data() + in, length - in);
      if (received <= 0) break;
      in += static_cast<size_t>(received);
    }
    bytes.resize(in);
    return bytes;
  }
  double receiveRecordMark() {
    const std::vector<uint8_t> bytes = receive(kFlightRecordSize);
    if (bytes.size() != kFlightRecordSize) return -1;
    FlightRecord record;
    std::memcpy(&record, bytes.data(), sizeof record);
    return record.latitudeDeg;
  }

  TcpSocket bridgeEnd_ = kInvalidTcpSocket;
  TcpSocket appEnd_ = kInvalidTcpSocket;
  std::thread serving_;
};

// The app's buffer is full when the build it waits for is published. The
// serving thread must take that build over and send it once the app has
// read, not leave the request parked until its freshness wait runs out: by
// then a later build is out, and the app would see the one it was due only
// after a needless wait.
TEST_F(ParkedRecordServing, ABuildTheAppHadNoRoomForIsSentByItsServingThread) {
  publishMarked(1);
  request();
  ASSERT_EQ(receiveRecordMark(), 1);
  request();
  // Once the serving thread has read the request it parks it (no newer build).
  ASSERT_TRUE(waitUntil([&] { return !waitTcpReadable(bridgeEnd_, 0); })) << "the request was never read";
  // Earlier replies the app has not read yet.
  size_t filled = 0;
  const std::vector<uint8_t> filler(64 * 1024, 0xAB);
  for (long sent; (sent = sendOnTcpSocketWithin(bridgeEnd_, filler.data(), filler.size(), 0)) > 0;) {
    filled += static_cast<size_t>(sent);
  }
  publishMarked(2);
  ASSERT_EQ(receive(filled).size(), filled);
  publishMarked(3);
  EXPECT_EQ(receiveRecordMark(), 2) << "the build due was not sent once the app had room for it";
}

}  // namespace
