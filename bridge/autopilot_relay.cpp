#include "bridge/autopilot_relay.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "bridge/sim_catalogue.h"

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr double kNoTarget = -1.0;

// A change-flag bit that asks for a switch position, the switch byte that
// holds it (offset in the settings record), the simulator variable that says
// where the switch stands, and the event that moves it.
struct SwitchRule {
  uint32_t flagBit;
  size_t switchOffset;
  uint32_t stateOffset;
  uint32_t eventId;
};

constexpr SwitchRule kSwitchRules[] = {
    {0, 124, simvar::kAutopilotMaster, kEventApMaster},
    {1, 125, simvar::kAutopilotThrottleArm, kEventAutoThrottleArm},
    {2, 126, simvar::kAutopilotFlightDirectorActive, kEventToggleFlightDirector},
    {3, 127, simvar::kAutopilotAirspeedHold, kEventApPanelSpeedSet},
    {4, 128, simvar::kAutopilotRpmHold, kEventApN1Hold},
    {5, 129, simvar::kAutopilotMachHold, kEventApPanelMachSet},
    {6, 130, simvar::kAutopilotAltitudeLock, kEventApPanelAltitudeSet},
    {9, 133, simvar::kAutopilotHeadingLock, kEventApPanelHeadingSet},
    {10, 135, simvar::kAutopilotNav1Lock, kEventApLocHold},
    {11, 136, simvar::kAutopilotApproachHold, kEventApAppHold},
};

bool isSet(uint32_t flags, uint32_t bit) { return (flags >> bit & 1u) != 0; }

// A simulator switch is on when its variable is not zero (NaN included).
uint8_t switchState(const uint8_t* block, uint32_t offset) { return simDouble(block, offset) != 0.0 ? 1 : 0; }

void add(RelayPlan& plan, uint32_t eventId, int32_t data, uint32_t priority = SIMCONNECT_GROUP_PRIORITY_STANDARD) {
  plan.sends[plan.count++] = ClientEventSend{eventId, static_cast<uint32_t>(data), priority};
}

// Narrows to single precision; beyond the float range (where narrowing is
// undefined) the result is the infinity of that sign.
float toSingle(double x) {
  if (x > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (x < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(x);
}

int32_t roundSingle(float f) {
  if (std::isnan(f)) return 0;
  if (f >= 2147483648.0f) return kInt32Max;
  if (f < -2147483648.0f) return kInt32Min;
  const int32_t i = static_cast<int32_t>(f);  // toward zero; in range, and i + 1 cannot overflow
  return (static_cast<float>(i + 1) - f) > (f - static_cast<float>(i)) ? i : i + 1;
}

// The simulator's value truncated toward zero equals `value`; a NaN or a
// value beyond the 32-bit range never does.
bool equalsTruncated(int32_t value, double simValue) { return static_cast<double>(value) == std::trunc(simValue); }

void planSwitches(const SettingsRecord& p, const uint8_t* block, RelayPlan& plan) {
  const auto* record = reinterpret_cast<const uint8_t*>(&p);
  for (const SwitchRule& rule : kSwitchRules) {
    if (!isSet(p.changeFlags, rule.flagBit)) continue;
    const uint8_t requested = record[rule.switchOffset];
    if (requested != switchState(block, rule.stateOffset)) add(plan, rule.eventId, requested);
  }
}

void planValues(const SettingsRecord& p, RelayPlan& plan) {
  const uint32_t f = p.changeFlags;
  if (isSet(f, 14)) add(plan, kEventApSpdVarSet, roundSetting(p.setSpeedKt));
  if (isSet(f, 15)) add(plan, kEventApN1RefSet, roundSetting(p.setN1RefPct));
  if (isSet(f, 16)) add(plan, kEventApMachVarSet, roundSetting(p.setMach * 100.0));
  if (isSet(f, 17)) add(plan, kEventApAltVarSetEnglish, roundSettingToHundreds(p.setAltitudeFt));
  if (isSet(f, 18)) add(plan, kEventApVsVarSetEnglish, roundSettingToHundreds(p.setVerticalSpeedFpm));
  if (isSet(f, 19)) add(plan, kEventHeadingBugSet, roundSetting(p.setHeadingDeg));
  if (isSet(f, 20)) add(plan, kEventVor1Set, roundSetting(p.setCourseDeg));
}

void planAltitudeTargets(const SettingsRecord& p, const uint8_t* block, RelayPlan& plan) {
  if (p.targetAltitudeFt != kNoTarget && !std::isnan(p.targetAltitudeFt)) {
    if (simDouble(block, simvar::kAutopilotAltitudeLock) == 0.0) add(plan, kEventApPanelAltitudeSet, 1);
    const int32_t altitude = roundSettingToHundreds(p.targetAltitudeFt);
    if (!equalsTruncated(altitude, simDouble(block, simvar::kAutopilotAltitudeLockVar)))
      add(plan, kEventApAltVarSetEnglish, altitude);
  }
  if (p.targetVerticalSpeedFpm != kNoTarget && !std::isnan(p.targetVerticalSpeedFpm)) {
    const int32_t verticalSpeed = roundSettingToHundreds(p.targetVerticalSpeedFpm);
    if (!equalsTruncated(verticalSpeed, simDouble(block, simvar::kAutopilotVerticalHoldVar)))
      add(plan, kEventApVsVarSetEnglish, verticalSpeed);
  }
}

// Sent on every relay that sees a target, whatever the simulator holds.
void planSpeedAndHeadingTargets(const SettingsRecord& p, RelayPlan& plan) {
  const double speed = p.targetSpeed;
  if (speed >= 0.0) {
    if (speed > 0.0 && speed < 2.0) {
      add(plan, kEventApPanelMachSet, 1);
      add(plan, kEventApMachVarSet, roundSetting(speed * 100.0));
    } else {
      add(plan, kEventApPanelSpeedSet, 1);
      add(plan, kEventApSpdVarSet, roundSetting(speed));
    }
  }
  if (p.targetHeadingDeg >= 0.0) {
    add(plan, kEventApPanelHeadingSet, 1);
    add(plan, kEventHeadingBugSet, roundSetting(p.targetHeadingDeg), SIMCONNECT_GROUP_PRIORITY_HIGHEST);
  }
}

}  // namespace

int32_t roundSetting(double x) { return roundSingle(toSingle(x)); }

int32_t roundSettingToHundreds(double x) {
  const int64_t hundreds = roundSingle(toSingle(x) / 100.0f);
  const int64_t product = hundreds * 100;
  if (product > kInt32Max) return kInt32Max;
  if (product < kInt32Min) return kInt32Min;
  return static_cast<int32_t>(product);
}

RelayPlan planAutopilotRelay(const SettingsRecord& pending, const uint8_t* block) {
  RelayPlan plan{};
  planSwitches(pending, block, plan);
  planValues(pending, plan);
  planAltitudeTargets(pending, block, plan);
  planSpeedAndHeadingTargets(pending, plan);
  return plan;
}

RelayPlan takeAndPlanAutopilotRelay(const uint8_t* block) { return planAutopilotRelay(takePendingSettings(), block); }
