#include "bridge/settings_record.h"

#include <cstring>
#include <mutex>

namespace {

struct PendingSettings {
  std::mutex lock;
  SettingsRecord record{};
};

PendingSettings& pending() {
  static PendingSettings store;
  return store;
}

}  // namespace

void resetSettingsRecord(SettingsRecord& record) {
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.tag, kSettingsRecordTag, sizeof kSettingsRecordTag);
  record.targetAltitudeFt = -1.0;
  record.targetVerticalSpeedFpm = -1.0;
  record.targetSpeed = -1.0;
  record.targetHeadingDeg = -1.0;
  record.reserved40 = -1.0;
}

void resetPendingSettings() {
  PendingSettings& p = pending();
  std::lock_guard<std::mutex> hold(p.lock);
  resetSettingsRecord(p.record);
}

void mergePendingSettings(const SettingsRecord& upload) {
  constexpr size_t kCopiedHeadStart = offsetof(SettingsRecord, targetAltitudeFt);
  constexpr size_t kCopiedHeadEnd = offsetof(SettingsRecord, changeFlags);
  constexpr size_t kCopiedTailStart = offsetof(SettingsRecord, switches);
  constexpr size_t kCopiedTailEnd = offsetof(SettingsRecord, padding139);

  const auto* from = reinterpret_cast<const unsigned char*>(&upload);
  PendingSettings& p = pending();
  std::lock_guard<std::mutex> hold(p.lock);
  auto* to = reinterpret_cast<unsigned char*>(&p.record);
  std::memcpy(to, kSettingsRecordTag, sizeof kSettingsRecordTag);  // "ORVX20" and its zero: bytes 0 to 6
  std::memcpy(to + kCopiedHeadStart, from + kCopiedHeadStart, kCopiedHeadEnd - kCopiedHeadStart);
  p.record.changeFlags |= upload.changeFlags;
  std::memcpy(to + kCopiedTailStart, from + kCopiedTailStart, kCopiedTailEnd - kCopiedTailStart);
}

SettingsRecord takePendingSettings() {
  PendingSettings& p = pending();
  std::lock_guard<std::mutex> hold(p.lock);
  SettingsRecord taken = p.record;
  resetSettingsRecord(p.record);
  return taken;
}

SettingsRecord pendingSettingsSnapshot() {
  PendingSettings& p = pending();
  std::lock_guard<std::mutex> hold(p.lock);
  return p.record;
}
