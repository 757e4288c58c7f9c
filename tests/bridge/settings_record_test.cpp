// The settings record: start values, the merge of uploads into the pending
// record, and take-and-reset as one step against concurrent merges.
#include "bridge/settings_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

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

// An upload whose every byte differs from its neighbours and from the other
// pattern's, so a byte copied from the wrong place or not at all shows.
SettingsRecord patterned(uint8_t seed) {
  SettingsRecord record;
  auto* bytes = reinterpret_cast<uint8_t*>(&record);
  for (size_t i = 0; i < sizeof record; ++i) bytes[i] = static_cast<uint8_t>(seed + 3 * i + 1);
  return record;
}

// The merge as apps rely on it, byte by byte: the tag rewritten (0 to 6),
// byte 7 kept, 8 to 119 copied, the flags at 120 to 123 OR-ed in, the switch
// bytes 124 to 138 copied, the padding 139 to 143 kept.
std::vector<uint8_t> mergedByHand(const SettingsRecord& before, const SettingsRecord& upload) {
  const auto* old = reinterpret_cast<const uint8_t*>(&before);
  const auto* in = reinterpret_cast<const uint8_t*>(&upload);
  std::vector<uint8_t> merged(old, old + kSettingsRecordSize);
  std::memcpy(merged.data(), "ORVX20", 7);
  for (size_t i = 8; i <= 119; ++i) merged[i] = in[i];
  for (size_t i = 120; i <= 123; ++i) merged[i] = old[i] | in[i];
  for (size_t i = 124; i <= 138; ++i) merged[i] = in[i];
  return merged;
}

TEST(SettingsRecord, MergeCopiesExactlyTheRequestBytesAndAddsUpTheFlags) {
  struct Case {
    const char* name;
    bool fromStartValues;  // else the pending record first holds another upload
    uint8_t seed;
  };
  const Case cases[] = {{"onto start values", true, 0x10}, {"onto an earlier upload", false, 0x80}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetPendingSettings();
    if (!c.fromStartValues) mergePendingSettings(patterned(0x41));
    const SettingsRecord before = pendingSettingsSnapshot();
    const SettingsRecord upload = patterned(c.seed);
    mergePendingSettings(upload);
    const SettingsRecord after = pendingSettingsSnapshot();
    const auto* actual = reinterpret_cast<const uint8_t*>(&after);
    const std::vector<uint8_t> expected = mergedByHand(before, upload);
    for (size_t i = 0; i < kSettingsRecordSize; ++i) EXPECT_EQ(actual[i], expected[i]) << "byte " << i;
  }
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
