// The six commands over loopback: reply bytes, frames in pieces, frames that
// are no command, the settings checksum and merge, the shared FMC and
// flight-plan stores, refused upload lengths.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "bridge/flight_record.h"
#include "bridge/settings_record.h"
#include "server/app_protocol.h"
#include "server/mcp_checksum.h"
#include "server/shared_data_store.h"
#include "server_test_support.h"

namespace {

using CommandProtocolTest = ServerTest;

const Bytes kEmptyPeek(8, 0xFF);

FlightRecord recordFrom(const Bytes& bytes) {
  FlightRecord record{};
  if (bytes.size() == sizeof record) std::memcpy(&record, bytes.data(), sizeof record);
  return record;
}

void publishLatitude(double latitudeDeg) {
  flightRecordForBuild().latitudeDeg = latitudeDeg;
  publishFlightRecord();
}

Bytes fmcReply(const std::string& data, uint32_t word) { return bytesOf(lengthPrefixed(data, word)); }

TEST(McpSettingsChecksum, MatchesTheWorkedValues) {
  // The first byte's value and the checksum worked by hand for it, the rest zero.
  const std::pair<uint8_t, uint32_t> worked[] = {
      {0x00, 0xB2A4C15Fu}, {0x01, 0x19496642u}, {0xFF, 0x19496642u}, {0x80, 0xACCEF5DFu}};
  for (const auto& [first, checksum] : worked) {
    uint8_t record[kSettingsRecordSize] = {first};
    EXPECT_EQ(mcpSettingsChecksum(record, sizeof record), checksum) << int{first};
  }
}

TEST_F(CommandProtocolTest, FlightDataBeforeAnyBuildIsTheStartupRecordEveryTime) {
  RawApp app(port());
  for (int request = 0; request < 3; ++request) {
    app.send(commandFrame(kRequestFlightData));
    const Bytes reply = app.receive(kFlightRecordSize);
    ASSERT_EQ(reply.size(), kFlightRecordSize) << "request " << request;
    EXPECT_EQ(std::memcmp(reply.data(), "ORVX30\0", 7), 0);
    const FlightRecord record = recordFrom(reply);
    EXPECT_EQ(record.baroDefaultHpa, 1013.0);
    EXPECT_EQ(record.reserved2272, 0x55);
  }
  EXPECT_EQ(flightBuildCounter(), 0);
}

TEST_F(CommandProtocolTest, FmcDataStoredOnOneConnectionIsServedOnAnother) {
  RawApp writer(port());
  RawApp reader(port());
  reader.send(commandFrame(kRequestFmcData) + commandFrame(kPeekFmcData));
  EXPECT_EQ(reader.receive(8), fmcReply("", 0)) << "empty FMC data: zero length and word";
  EXPECT_EQ(reader.receive(8), kEmptyPeek);

  writer.send(commandFrame(kUploadFmcData) + lengthPrefixed("abc", 0x11223344));
  writer.sync();
  reader.send(commandFrame(kRequestFmcData) + commandFrame(kPeekFmcData));
  EXPECT_EQ(reader.receive(11), fmcReply("abc", 0x11223344));
  EXPECT_EQ(reader.receive(8), (Bytes{'a', 'b', 'c', 0, 0, 0, 0, 0})) << "fewer than eight bytes: zero-padded";

  writer.send(commandFrame(kUploadFmcData) + lengthPrefixed("0123456789", 7));
  writer.sync();
  reader.send(commandFrame(kPeekFmcData));
  EXPECT_EQ(reader.receive(8), bytesOf("01234567"));
}

TEST_F(CommandProtocolTest, FlightPlanUploadReplacesDataAndWord) {
  RawApp app(port());
  app.send(commandFrame(kUploadFlightPlan) + lengthPrefixed("KSEA KPDX", 42));
  app.sync();
  const SharedDataStore::Snapshot plan = flightPlanStore().snapshot();
  EXPECT_EQ(*plan.data, bytesOf("KSEA KPDX"));
  EXPECT_EQ(plan.word, 42u);
  EXPECT_TRUE(fmcDataStore().snapshot().data->empty()) << "the FMC data is a store of its own";
}

TEST_F(CommandProtocolTest, FramesInPiecesAreServedWholeAndFramesThatAreNoCommandIgnored) {
  RawApp app(port());
  const std::string frame = commandFrame(kPeekFmcData);
  app.send(frame.substr(0, 3));
  app.send(frame.substr(3, 3));
  app.send(frame.substr(6, 4));
  EXPECT_EQ(app.receive(8), kEmptyPeek);

  app.send(std::string("vfmcdata20") + "rSIMDATA31" + "sMCPDATA21" + "VFMCDATA20" + commandFrame(kRequestFmcData));
  EXPECT_EQ(app.receive(8), fmcReply("", 0)) << "the first reply belongs to the only real command";
  app.send(commandFrame(kPeekFmcData));
  EXPECT_EQ(app.receive(8), kEmptyPeek) << "the connection is kept";
}

TEST_F(CommandProtocolTest, SettingsWithAWrongChecksumChangeNothing) {
  SettingsRecord upload;
  resetSettingsRecord(upload);
  upload.changeFlags = 0x1;
  upload.switches[0] = 1;
  const auto* bytes = reinterpret_cast<const uint8_t*>(&upload);
  RawApp app(port());
  app.send(commandFrame(kUploadSettings) + recordBytes(upload) +
           littleEndian32(mcpSettingsChecksum(bytes, sizeof upload) + 1));
  app.sync();  // also proves the connection goes on
  SettingsRecord startValues;
  resetSettingsRecord(startValues);
  const SettingsRecord pending = pendingSettingsSnapshot();
  EXPECT_EQ(std::memcmp(&pending, &startValues, sizeof pending), 0);
}

// Through the socket, byte by byte: the request bytes 8 to 119 and 124 to
// 138 of the upload arrive in the pending record, the tag is rewritten, and
// byte 7 and the padding 139 to 143 keep their start values.
TEST_F(CommandProtocolTest, SettingsUploadMergesEveryRequestByte) {
  SettingsRecord upload;
  auto* sent = reinterpret_cast<uint8_t*>(&upload);
  for (size_t i = 0; i < sizeof upload; ++i) sent[i] = static_cast<uint8_t>(0x21 + i);
  RawApp app(port());
  app.send(commandFrame(kUploadSettings) + settingsPayload(upload));
  app.sync();

  const SettingsRecord pending = pendingSettingsSnapshot();
  const auto* merged = reinterpret_cast<const uint8_t*>(&pending);
  for (size_t i = 0; i < kSettingsRecordSize; ++i) {
    uint8_t expected = 0;  // byte 7 and 139 to 143: start values, which are zero
    if (i < 7) expected = static_cast<uint8_t>("ORVX20"[i]);
    if ((i >= 8 && i <= 119) || (i >= 124 && i <= 138)) expected = sent[i];
    if (i >= 120 && i <= 123) expected = sent[i];  // OR-ed into start flags of 0
    EXPECT_EQ(merged[i], expected) << "byte " << i;
  }
}

// The wait for a fresh build: a request that has seen the latest build waits
// for the next one for about 100 ms (20 waits of 5 ms) and then gets the
// same record again; a build that lands meanwhile is sent at once; before
// any build there is nothing to wait for. "At once" is measured against a
// round trip that never waits ("vFMCDATA20"), since a loaded machine or Wine
// adds its own delay to every reply; a minimum over a few tries keeps
// scheduling hiccups out.
TEST_F(CommandProtocolTest, FreshnessWaitIsBoundedAndEndsWhenABuildLands) {
  using Clock = std::chrono::steady_clock;
  using std::chrono::milliseconds;
  auto elapsed = [](Clock::time_point since) { return std::chrono::duration_cast<milliseconds>(Clock::now() - since); };
  RawApp app(port());
  auto quickestRoundTrip = [&](const char* frame, size_t replySize) {
    milliseconds quickest = milliseconds::max();
    for (int attempt = 0; attempt < 5; ++attempt) {
      const auto asked = Clock::now();
      app.send(commandFrame(frame));
      EXPECT_EQ(app.receive(replySize).size(), replySize);
      quickest = std::min(quickest, elapsed(asked));
    }
    return quickest;
  };
  const milliseconds noWait = quickestRoundTrip(kPeekFmcData, kFmcPeekSize);
  const milliseconds kAtOnce{40};  // well below the 100 ms a needless wait would add

  EXPECT_LT(quickestRoundTrip(kRequestFlightData, kFlightRecordSize), noWait + kAtOnce)
      << "before the first build a request must not wait";

  publishLatitude(1.0);
  app.send(commandFrame(kRequestFlightData));
  ASSERT_EQ(recordFrom(app.receive(kFlightRecordSize)).latitudeDeg, 1.0);
  const auto asked = Clock::now();
  app.send(commandFrame(kRequestFlightData));
  ASSERT_EQ(recordFrom(app.receive(kFlightRecordSize)).latitudeDeg, 1.0);
  const milliseconds stale = elapsed(asked);
  EXPECT_GE(stale.count(), 95) << "20 waits of 5 ms before the same record again";
  EXPECT_LT(stale, noWait + milliseconds(1000)) << "the wait is bounded";

  milliseconds quickest = milliseconds::max();
  for (int attempt = 0; attempt < 3; ++attempt) {
    app.send(commandFrame(kRequestFlightData));
    std::this_thread::sleep_for(milliseconds(20));  // the request is waiting by now
    const auto built = Clock::now();
    publishLatitude(2.0 + attempt);
    const FlightRecord fresh = recordFrom(app.receive(kFlightRecordSize));
    quickest = std::min(quickest, elapsed(built));
    EXPECT_EQ(fresh.latitudeDeg, 2.0 + attempt);
  }
  EXPECT_LT(quickest, noWait + kAtOnce) << "a build that lands ends the wait at once";
}

// A request that waits for the next build is answered before any command the
// app sends after it, and a build that ends the wait is sent once.
TEST_F(CommandProtocolTest, AWaitingRequestIsAnsweredBeforeTheCommandsAfterIt) {
  RawApp app(port());
  publishLatitude(1.0);
  app.send(commandFrame(kRequestFlightData));
  ASSERT_EQ(recordFrom(app.receive(kFlightRecordSize)).latitudeDeg, 1.0);

  app.send(commandFrame(kRequestFlightData) + commandFrame(kPeekFmcData));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  publishLatitude(2.0);
  EXPECT_EQ(recordFrom(app.receive(kFlightRecordSize)).latitudeDeg, 2.0);
  EXPECT_EQ(app.receive(kFmcPeekSize), kEmptyPeek);

  app.send(commandFrame(kRequestFlightData));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  publishLatitude(3.0);
  EXPECT_EQ(recordFrom(app.receive(kFlightRecordSize)).latitudeDeg, 3.0);
  app.send(commandFrame(kPeekFmcData));
  EXPECT_EQ(app.receive(kFmcPeekSize), kEmptyPeek) << "the record was sent once, and nothing else came before this";
}

TEST_F(CommandProtocolTest, UploadAtTheCapIsTakenAndRefusedLengthsEndTheConnectionWithTheStoreEmpty) {
  RawApp reader(port());
  reader.send(commandFrame(kUploadFmcData) + lengthPrefixed(std::string(kMaxUploadLength, 'x'), 3));
  reader.sync();
  EXPECT_EQ(fmcDataStore().snapshot().data->size(), kMaxUploadLength);

  const uint32_t refused[] = {0u, kMaxUploadLength + 1, 0x80000000u, 0xFFFFFFFFu};
  for (uint32_t length : refused) {
    RawApp writer(port());
    writer.send(commandFrame(kUploadFmcData) + lengthPrefixed("filled", 5));
    writer.sync();
    writer.send(commandFrame(kUploadFmcData) + littleEndian32(length) + "data" + littleEndian32(9));
    EXPECT_TRUE(writer.closedByBridge()) << "length " << length;
    reader.send(commandFrame(kPeekFmcData));
    EXPECT_EQ(reader.receive(8), kEmptyPeek) << "length " << length;
  }
  RawApp planner(port());
  planner.send(commandFrame(kUploadFlightPlan) + littleEndian32(0));
  EXPECT_TRUE(planner.closedByBridge());
  EXPECT_TRUE(flightPlanStore().snapshot().data->empty());
}

TEST(SharedDataStoreTest, AnOlderUploadNeverWritesIntoANewerOne) {
  SharedDataStore store;
  const SharedDataStore::UploadTicket older = store.beginUpload();
  store.sizeForUpload(older, 4);
  const SharedDataStore::UploadTicket newer = store.beginUpload();
  store.sizeForUpload(newer, 2);
  const uint8_t olderBytes[] = {1, 2, 3, 4};
  const uint8_t newerBytes[] = {9, 8};
  store.writeUploadBytes(older, 0, olderBytes, sizeof olderBytes);
  store.writeUploadBytes(newer, 0, newerBytes, sizeof newerBytes);
  store.storeUploadWord(older, 1);
  store.storeUploadWord(newer, 2);
  EXPECT_EQ(*store.snapshot().data, (Bytes{9, 8}));
  EXPECT_EQ(store.snapshot().word, 2u);
}

// A reader holds the bytes as they were when it asked, whatever uploads do
// after; readers that ask between two changes share one copy.
TEST(SharedDataStoreTest, HeldDataNeverChangesAndReadersShareIt) {
  SharedDataStore store;
  const uint8_t abcd[] = {'a', 'b', 'c', 'd'};
  const uint8_t xy[] = {'x', 'y'};
  const SharedDataStore::UploadTicket first = store.beginUpload();
  store.sizeForUpload(first, 4);
  store.writeUploadBytes(first, 0, abcd, 2);
  const SharedDataStore::Snapshot halfway = store.snapshot();  // "ab" arrived, "cd" still zero
  store.writeUploadBytes(first, 2, abcd + 2, 2);
  store.storeUploadWord(first, 5);
  const SharedDataStore::Snapshot whole = store.snapshot();
  const SharedDataStore::Snapshot again = store.snapshot();
  const SharedDataStore::UploadTicket second = store.beginUpload();
  store.sizeForUpload(second, 2);
  store.writeUploadBytes(second, 0, xy, 2);

  EXPECT_EQ(*halfway.data, (Bytes{'a', 'b', 0, 0}));
  EXPECT_EQ(*whole.data, (Bytes{'a', 'b', 'c', 'd'}));
  EXPECT_EQ(whole.word, 5u);
  EXPECT_EQ(whole.data.get(), again.data.get()) << "two readers of unchanged data got two copies";
  EXPECT_EQ(*store.snapshot().data, (Bytes{'x', 'y'}));
}

// Replies copy the store under its lock while uploads resize and fill it: a
// reply is always whole, its bytes either already uploaded or still zero.
TEST_F(CommandProtocolTest, RepliesStayWholeWhileAnotherAppUploads) {
  RawApp writer(port());
  RawApp reader(port());
  std::atomic<bool> reading{true};
  std::thread uploads([&] {
    for (uint32_t round = 0; reading.load(); ++round) {
      const uint32_t length = round % 50 + 1;
      writer.send(commandFrame(kUploadFmcData) +
                  lengthPrefixed(std::string(length, static_cast<char>(length)), length));
      writer.sync();
    }
  });
  for (int request = 0; request < 50; ++request) {
    reader.send(commandFrame(kRequestFmcData));
    const Bytes length = reader.receive(4);
    ASSERT_EQ(length.size(), 4u);
    const uint32_t size = decodeLittleEndian32(length.data());
    ASSERT_LE(size, 50u);
    const Bytes rest = reader.receive(size + 4);
    ASSERT_EQ(rest.size(), size + 4) << "request " << request;
    for (uint32_t i = 0; i < size; ++i) {
      ASSERT_TRUE(rest[i] == 0 || rest[i] == static_cast<uint8_t>(size)) << "request " << request << " byte " << i;
    }
  }
  reading.store(false);
  uploads.join();
}

}  // namespace
