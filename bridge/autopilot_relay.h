// The autopilot relay's decision: which simulator client events an app's
// pending settings ask for, given the simulator's current state in the
// delivered block. Pure functions apart from takeAndPlanAutopilotRelay, which
// takes the pending settings record; session thread only for that one, any
// thread for the rest. Transmitting the plan is the caller's business.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bridge/settings_record.h"

// One SimConnect_TransmitClientEvent to make: client event id (3 to 19), its
// 32-bit data (a negative value as its two's complement) and the priority
// passed as the group (SIMCONNECT_GROUP_PRIORITY_STANDARD or _HIGHEST).
struct ClientEventSend {
  uint32_t eventId;
  uint32_t data;
  uint32_t priority;
};

// The sends of one relay, in the order they are to be transmitted. 24 is the
// most one relay can ask for: 10 switches, 7 values, 3 for the altitude and
// vertical-speed targets, 4 for the speed and heading targets.
struct RelayPlan {
  ClientEventSend sends[24];
  size_t count;
};

// The integer sent for a setting: x in single precision, then rounded to the
// nearest integer with halves going up when positive, truncated toward zero
// when negative (2.5 gives 3, -2.7 gives -2). NaN gives 0; a value beyond
// the 32-bit range (infinities included) saturates at INT32_MAX or INT32_MIN.
int32_t roundSetting(double x);

// The altitude and vertical-speed form: roundSetting of x / 100, the
// division done in single precision after the conversion, times 100
// (12345 gives 12300, 12350 gives 12400, -1550 gives -1500). The product
// saturates at the 32-bit range instead of overflowing.
int32_t roundSettingToHundreds(double x);

// Decides the sends for `pending` against the simulator state in `block`,
// in this order:
//  1. each changed switch (change-flag bits 0-6, 9-11) whose requested
//     position differs from the simulator's, with the requested byte as data;
//  2. each changed value (bits 14-20), always;
//  3. a target altitude (other than -1.0): the altitude hold switched on if
//     it is off, and the altitude when it differs from the simulator's
//     (truncated); a target vertical speed likewise, without a mode event.
//     A NaN target has no value to send and sends nothing at all;
//  4. a target speed (0.0 or more): Mach above 0.0 and below 2.0, else knots,
//     as the panel mode and then the value; a target heading (0.0 or more):
//     the heading mode, then the heading bug at the highest priority.
// Requires: `block` holds kSimDataBlockSize bytes (any alignment).
RelayPlan planAutopilotRelay(const SettingsRecord& pending, const uint8_t* block);

// Takes the pending settings record (returning it to its start values in the
// same step, so each request is acted on once) and plans its sends.
RelayPlan takeAndPlanAutopilotRelay(const uint8_t* block);
