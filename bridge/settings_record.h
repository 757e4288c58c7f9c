// The autopilot settings record "ORVX20" (144 bytes) that apps upload with
// "sMCPDATA20", and the pending settings record that collects uploads until
// the autopilot relay acts on them.
//
// Threads. Serving threads merge verified uploads into the pending record;
// the session thread's relay takes it. Both happen under one short lock:
// takePendingSettings copies the record and resets it in the same hold, so a
// merge lands wholly before a relay (and is relayed by it) or wholly after its
// reset, never in between. The relay then works on its copy without the lock.
// Each serving thread receives into a settings record of its own, so two apps
// uploading at once never write into the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

struct SettingsRecord {
  char tag[8];
  double targetAltitudeFt;
  double targetVerticalSpeedFpm;
  double targetSpeed;
  double targetHeadingDeg;
  double reserved40;
  double reserved48[2];
  double setSpeedKt;
  double setN1RefPct;
  double setMach;
  double setAltitudeFt;
  double setVerticalSpeedFpm;
  double setHeadingDeg;
  double setCourseDeg;
  uint32_t changeFlags;
  uint8_t switches[15];
  uint8_t padding139[5];
};

constexpr size_t kSettingsRecordSize = 144;
static_assert(sizeof(SettingsRecord) == kSettingsRecordSize, "the settings record is 144 bytes on the wire");
static_assert(offsetof(SettingsRecord, targetAltitudeFt) == 8, "layout");
static_assert(offsetof(SettingsRecord, reserved40) == 40, "layout");
static_assert(offsetof(SettingsRecord, setSpeedKt) == 64, "layout");
static_assert(offsetof(SettingsRecord, setCourseDeg) == 112, "layout");
static_assert(offsetof(SettingsRecord, changeFlags) == 120, "layout");
static_assert(offsetof(SettingsRecord, switches) == 124, "layout");
static_assert(offsetof(SettingsRecord, padding139) == 139, "layout");

constexpr char kSettingsRecordTag[] = "ORVX20";

// Offset of a switch byte inside the record, as apps address them.
constexpr size_t switchIndex(size_t recordOffset) { return recordOffset - offsetof(SettingsRecord, switches); }

// Start values: tag "ORVX20" and zero bytes to offset 7, -1.0 in the five
// doubles at 8 to 47 (no request), zero everywhere else.
void resetSettingsRecord(SettingsRecord& record);

// Resets the pending settings record. Bridge start-up, before apps connect.
void resetPendingSettings();

// Merges a verified upload: bytes 0 to 6 become "ORVX20" and a zero, byte 7
// and bytes 139 to 143 stay, bytes 8 to 119 and 124 to 138 are copied, and
// the change flags are OR-ed in so several uploads add up. Any thread.
void mergePendingSettings(const SettingsRecord& upload);

// Returns the pending record and resets it, in one step. Session thread.
SettingsRecord takePendingSettings();

// A copy of the pending record, left as it is. Any thread (tests, status).
SettingsRecord pendingSettingsSnapshot();
