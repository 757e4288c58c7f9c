// The settings record: start values, the merge of uploads into the pending
// record, and take-and-reset as one step against concurrent merges.
#include "bridge/settings_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

void expectStartValues(const SettingsRecord& record) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  EXPECT_EQ(std::memcmp(bytes, "ORVX20\0\0", 8), 0);
  for (size_t offset = 8; offset < 48; offset += 8) {
    double value;
    std::memcpy(&value, bytes + offset, 8);
    EXPECT_EQ(value, -1.0) << "double at " << offset;
  }
  for (size_t i = 48; i < kSettingsRecordSize; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
}

SettingsRecord uploadWith(uint32_t flags, double speedKt, uint8_t masterSwitch) {
  SettingsRecord upload;
  std::memset(&upload, 0xEE, sizeof upload);  // bytes that must not be copied stand out
  upload.targetAltitudeFt = -1.0;
  upload.targetVerticalSpeedFpm = -1.0;
  upload.targetSpeed = -1.0;
  upload.targetHeadingDeg = -1.0;
  upload.setSpeedKt = speedKt;
  upload.changeFlags = flags;
  upload.switches[switchIndex(124)] = masterSwitch;
  return upload;
}

TEST(SettingsRecord, StartValuesInBothStores) {
  SettingsRecord record;
  std::memset(&record, 0x5A, sizeof record);
  resetSettingsRecord(record);
  expectStartValues(record);
  resetPendingSettings();
  expectStartValues(pendingSettingsSnapshot());
}

TEST(SettingsRecord, MergeCopiesTheFieldsAndAddsUpTheFlags) {
  resetPendingSettings();
  mergePendingSettings(uploadWith(0x1, 200.0, 1));
  mergePendingSettings(uploadWith(0x4000, 250.0, 0));
  const SettingsRecord pending = pendingSettingsSnapshot();
  const auto* bytes = reinterpret_cast<const unsigned char*>(&pending);

  EXPECT_EQ(std::memcmp(bytes, "ORVX20", 7), 0);  // tag rewritten, upload's tag bytes ignored
  EXPECT_EQ(bytes[7], 0);                         // byte 7 left as it was
  EXPECT_EQ(pending.changeFlags, 0x4001u);        // both uploads' flags
  EXPECT_EQ(pending.setSpeedKt, 250.0);           // the second upload's values
  EXPECT_EQ(pending.switches[switchIndex(124)], 0);
  for (size_t i = 139; i < 144; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i << " is not copied";
  EXPECT_EQ(bytes[138], 0xEE);  // the last switch byte is copied
}

TEST(SettingsRecord, TakeReturnsThePendingRecordAndResetsIt) {
  resetPendingSettings();
  mergePendingSettings(uploadWith(0x1, 180.0, 1));
  const SettingsRecord taken = takePendingSettings();
  EXPECT_EQ(taken.changeFlags, 0x1u);
  EXPECT_EQ(taken.setSpeedKt, 180.0);
  expectStartValues(pendingSettingsSnapshot());
  EXPECT_EQ(takePendingSettings().changeFlags, 0u);  // a request is acted on once
}

// Each merge sets one distinct flag bit; whatever the interleaving, every bit
// must come out of exactly one take.
TEST(SettingsRecord, EveryMergeIsTakenExactlyOnce) {
  resetPendingSettings();
  std::atomic<bool> mergesDone{false};
  uint32_t seen = 0;
  int duplicated = 0;
  std::thread relay([&] {
    for (;;) {
      const bool last = mergesDone.load();
      const uint32_t flags = takePendingSettings().changeFlags;
      if (seen & flags) ++duplicated;
      seen |= flags;
      if (last) break;
    }
  });
  std::thread merger([&] {
    for (int bit = 0; bit < 32; ++bit) {
      mergePendingSettings(uploadWith(1u << bit, bit, 1));
      std::this_thread::yield();
    }
    mergesDone = true;
  });
  merger.join();
  relay.join();
  EXPECT_EQ(seen, 0xFFFFFFFFu);
  EXPECT_EQ(duplicated, 0);
}

}  // namespace
