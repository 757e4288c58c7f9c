// How a serving thread ends on frames and payloads that are cut short or never
// arrive: what it logs, what the stores keep, and that the count goes back.
#include <cstring>
#include <map>

#include "bridge/settings_record.h"
#include "bridge/shared_state.h"
#include "server/app_protocol.h"
#include "server/shared_data_store.h"
#include "server_test_support.h"

namespace {

const char* const kEnded = "Orvx Socket: ended client serving thread";
const char* const kSocketError = "Orvx Socket: WSA Error code";

class FailureRowsTest : public ServerTest {
 protected:
  // Sends `bytes` on a new connection and closes it; returns once the bridge
  // has ended that connection.
  void sendAndClose(const std::string& bytes) {
    {
      RawApp app(port());
      ASSERT_TRUE(app.connected());
      ASSERT_TRUE(waitUntil([] { return connectedClientCount.load() == 1; }));
      app.send(bytes);
    }
    ASSERT_TRUE(waitUntil([] { return connectedClientCount.load() == 0; })) << "the connection never ended";
  }

  // How many lines with `text` the last sendAndClose added.
  size_t newLines(const char* text) {
    const size_t now = log_.countLines(text);
    const size_t added = now - seen_[text];
    seen_[text] = now;
    return added;
  }

  void expectEndedWithSocketError(bool socketError, const char* row) {
    EXPECT_EQ(newLines(kSocketError), socketError ? 1u : 0u) << row;
    EXPECT_EQ(newLines(kEnded), 1u) << row;
  }

  static bool pendingIsStartValues() {
    SettingsRecord startValues;
    resetSettingsRecord(startValues);
    const SettingsRecord pending = pendingSettingsSnapshot();
    return std::memcmp(&pending, &startValues, sizeof pending) == 0;
  }

  LogCapture log_;
  std::map<std::string, size_t> seen_;
};

std::string validSettings() {
  SettingsRecord record;
  resetSettingsRecord(record);
  record.changeFlags = 0x1;
  record.switches[0] = 1;
  return settingsPayload(record);
}

TEST_F(FailureRowsTest, FramesCutShortOrAfterTheStopAreNotCarriedOut) {
  sendAndClose(commandFrame(kPeekFmcData).substr(0, 5));
  expectEndedWithSocketError(false, "frame cut short");

  sendAndClose("");
  expectEndedWithSocketError(false, "connection closed before a frame");

  RawApp app(port());
  ASSERT_TRUE(waitUntil([] { return connectedClientCount.load() == 1; }));
  listenerRunning.store(false);
  app.send(commandFrame(kPeekFmcData));
  EXPECT_TRUE(app.closedByBridge()) << "a frame after the listener stopped ends the connection";
  EXPECT_TRUE(app.receive(8, std::chrono::milliseconds(0)).empty()) << "and is not carried out";
  listenerRunning.store(true);
}

TEST_F(FailureRowsTest, SettingsUploadRows) {
  const std::string frame = commandFrame(kUploadSettings);
  const std::string payload = validSettings();

  sendAndClose(frame);
  expectEndedWithSocketError(false, "record never sent: no merge, the frame read ends it");
  sendAndClose(frame + payload.substr(0, 100));
  expectEndedWithSocketError(true, "record cut short");
  sendAndClose(frame + payload.substr(0, kSettingsRecordSize));
  expectEndedWithSocketError(true, "checksum never sent");
  sendAndClose(frame + payload.substr(0, kSettingsRecordSize + 2));
  expectEndedWithSocketError(false, "checksum cut short");
  EXPECT_TRUE(pendingIsStartValues()) << "no incomplete upload is merged";

  sendAndClose(frame + payload);
  expectEndedWithSocketError(false, "complete upload, then a close");
  EXPECT_EQ(pendingSettingsSnapshot().changeFlags, 0x1u);
}

TEST_F(FailureRowsTest, DataUploadRows) {
  const std::string frame = commandFrame(kUploadFmcData);
  SharedDataStore& fmc = fmcDataStore();

  sendAndClose(frame + lengthPrefixed("previous", 77));
  expectEndedWithSocketError(false, "complete upload, then a close");
  EXPECT_EQ(fmc.snapshot().word, 77u);

  sendAndClose(frame + littleEndian32(10).substr(0, 2));
  expectEndedWithSocketError(true, "length cut short");
  EXPECT_TRUE(fmc.snapshot().data->empty());

  sendAndClose(frame + littleEndian32(10) + "abcd");
  expectEndedWithSocketError(true, "data cut short");
  EXPECT_EQ(*fmc.snapshot().data, bytesOf(std::string("abcd\0\0\0\0\0\0", 10))) << "kept and zero-padded";
  EXPECT_EQ(fmc.snapshot().word, 77u) << "the word is unchanged";

  sendAndClose(frame + littleEndian32(3) + "xyz");
  expectEndedWithSocketError(true, "word never sent");
  sendAndClose(frame + littleEndian32(3) + "xyz" + littleEndian32(5).substr(0, 2));
  expectEndedWithSocketError(false, "word cut short");
  EXPECT_EQ(*fmc.snapshot().data, bytesOf("xyz"));
  EXPECT_EQ(fmc.snapshot().word, 77u);

  sendAndClose(frame + littleEndian32(0));
  expectEndedWithSocketError(true, "length 0");
}

}  // namespace
