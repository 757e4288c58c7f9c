// The autopilot relay's decision: switches only when the simulator differs,
// values always, the altitude and vertical-speed targets against the
// simulator, speed and heading targets every time, the rounding of settings,
// and taking the pending record (each request acted on once).
#include "bridge/autopilot_relay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "bridge/settings_record.h"
#include "tests/bridge/catalogue_reference.h"
#include "tests/bridge/sim_block.h"

bool operator==(const ClientEventSend& a, const ClientEventSend& b) {
  return a.eventId == b.eventId && a.data == b.data && a.priority == b.priority;
}
void PrintTo(const ClientEventSend& s, std::ostream* os) {
  *os << "{event " << s.eventId << ", data " << static_cast<int32_t>(s.data) << ", priority " << s.priority << "}";
}

namespace {

constexpr uint32_t kStandard = 1900000000u, kHighest = 1;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Block offsets of the simulator state the relay compares with.
constexpr uint32_t kApMaster = 472, kApAltitudeLock = 520, kApAltitudeLockVar = 456, kApVerticalHoldVar = 464;

ClientEventSend send(uint32_t eventId, int32_t data, uint32_t priority = kStandard) {
  return ClientEventSend{eventId, static_cast<uint32_t>(data), priority};
}

std::vector<ClientEventSend> sends(const RelayPlan& plan) { return {plan.sends, plan.sends + plan.count}; }

SettingsRecord request() {
  SettingsRecord record;
  resetSettingsRecord(record);
  return record;
}

SettingsRecord switchRequest(uint32_t flags, size_t switchOffset, uint8_t position) {
  SettingsRecord record = request();
  record.changeFlags = flags;
  record.switches[switchIndex(switchOffset)] = position;
  return record;
}

// Nearest with halves up and negatives truncated; beyond the int range held
// at its ends, NaN zero.
TEST(RoundSetting, WorkedValuesAndTheEndsOfTheRange) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
  struct Case {
    int32_t (*round)(double);
    double value;
    int32_t expected;
  };
  const Case cases[] = {
      {roundSetting, 2.5, 3},
      {roundSetting, 2.49, 2},
      {roundSetting, -2.7, -2},
      {roundSetting, 0.78 * 100.0, 78},
      {roundSetting, kNaN, 0},
      {roundSetting, kInf, kMax},
      {roundSetting, -kInf, kMin},
      {roundSetting, 1e300, kMax},  // beyond the float range
      {roundSetting, -3e9, kMin},
      {roundSetting, 2147483600.0, kMax},  // rounds up to 2^31 in single precision
      {roundSettingToHundreds, 12345.0, 12300},
      {roundSettingToHundreds, 12350.0, 12400},
      {roundSettingToHundreds, -1550.0, -1500},
      {roundSettingToHundreds, 1e12, kMax},  // hundreds fit, the product does not
      {roundSettingToHundreds, -1e12, kMin},
      {roundSettingToHundreds, kNaN, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.round(c.value), c.expected) << (c.round == roundSetting ? "roundSetting " : "hundreds ") << c.value;
}

// The simulator's switch counts as on for any value but zero, NaN included;
// a switch byte without its change flag, and flags without a switch, do
// nothing.
TEST(AutopilotRelay, NaNSwitchIsOnAndUnflaggedSwitchesAreIgnored) {
  const SettingsRecord masterOff = switchRequest(0x1, 124, 0);
  EXPECT_EQ(sends(planAutopilotRelay(masterOff, SimBlock().setDouble(kApMaster, kNaN).data())),
            std::vector<ClientEventSend>{send(3, 0)});
  const SettingsRecord unflagged = switchRequest(0x3180, 125, 1);  // bits 7, 8, 12, 13
  EXPECT_TRUE(sends(planAutopilotRelay(unflagged, SimBlock().data())).empty());
}

// The switch rules written out as apps and the simulator know them: change
// flag bit, switch byte, the simulator variable compared, the event sent.
struct SwitchRuleCase {
  uint32_t bit;
  size_t switchOffset;
  const char* variable;
  const char* event;
};
const SwitchRuleCase kSwitchRuleCases[] = {
    {0, 124, "AUTOPILOT MASTER", "AP_MASTER"},
    {1, 125, "AUTOPILOT THROTTLE ARM", "AUTO_THROTTLE_ARM"},
    {2, 126, "AUTOPILOT FLIGHT DIRECTOR ACTIVE", "TOGGLE_FLIGHT_DIRECTOR"},
    {3, 127, "AUTOPILOT AIRSPEED HOLD", "AP_PANEL_SPEED_SET"},
    {4, 128, "AUTOPILOT RPM HOLD", "AP_N1_HOLD"},
    {5, 129, "AUTOPILOT MACH HOLD", "AP_PANEL_MACH_SET"},
    {6, 130, "AUTOPILOT ALTITUDE LOCK", "AP_PANEL_ALTITUDE_SET"},
    {9, 133, "AUTOPILOT HEADING LOCK", "AP_PANEL_HEADING_SET"},
    {10, 135, "AUTOPILOT NAV1 LOCK", "AP_LOC_HOLD"},
    {11, 136, "AUTOPILOT APPROACH HOLD", "AP_APP_HOLD"},
};

uint32_t blockOffsetOf(const char* variable) {
  for (const catalogue_reference::Entry& entry : catalogue_reference::kEntries)
    if (std::string(entry.name) == variable) return entry.offset;
  ADD_FAILURE() << variable << " is not in the catalogue";
  return 0;
}

uint32_t eventIdOf(const char* event) {
  for (uint32_t i = 0; i < 17; ++i)
    if (std::string(catalogue_reference::kClientEvents[i]) == event) return 3 + i;
  ADD_FAILURE() << event << " is not a client event";
  return 0;
}

// Every rule, every requested position against every simulator position,
// with all the other switches in the simulator standing the other way: a
// rule that compares with the wrong variable sends when it should not, or
// stays silent when it should send.
TEST(AutopilotRelay, EachSwitchRuleComparesWithItsOwnVariable) {
  for (const SwitchRuleCase& rule : kSwitchRuleCases) {
    for (uint8_t requested : {0, 1}) {
      for (bool simulatorOn : {false, true}) {
        SimBlock block;
        for (const SwitchRuleCase& other : kSwitchRuleCases)
          block.setDouble(blockOffsetOf(other.variable), simulatorOn ? 0.0 : 1.0);
        block.setDouble(blockOffsetOf(rule.variable), simulatorOn ? 1.0 : 0.0);
        const SettingsRecord asked = switchRequest(1u << rule.bit, rule.switchOffset, requested);
        std::vector<ClientEventSend> expected;
        if (requested != (simulatorOn ? 1 : 0)) expected.push_back(send(eventIdOf(rule.event), requested));
        EXPECT_EQ(sends(planAutopilotRelay(asked, block.data())), expected)
            << rule.event << ": requested " << int{requested} << ", simulator " << (simulatorOn ? "on" : "off");
      }
    }
  }
}

TEST(AutopilotRelay, AllSwitchesInBitOrder) {
  SettingsRecord all = request();
  all.changeFlags = 0xE7F;  // bits 0-6 and 9-11
  for (size_t offset : {124, 125, 126, 127, 128, 129, 130, 133, 135, 136}) all.switches[switchIndex(offset)] = 1;
  const std::vector<ClientEventSend> expected = {send(3, 1), send(4, 1), send(5, 1), send(7, 1),  send(10, 1),
                                                 send(8, 1), send(6, 1), send(9, 1), send(11, 1), send(12, 1)};
  EXPECT_EQ(sends(planAutopilotRelay(all, SimBlock().data())), expected);
}

TEST(AutopilotRelay, ValuesAreAlwaysSentInBitOrder) {
  SettingsRecord values = request();
  values.changeFlags = 0x1FC000;  // bits 14-20
  values.setSpeedKt = 250.4;
  values.setN1RefPct = 95.5;
  values.setMach = 0.78;
  values.setAltitudeFt = 12345.0;
  values.setVerticalSpeedFpm = -1550.0;
  values.setHeadingDeg = 359.6;
  values.setCourseDeg = 90.2;
  const std::vector<ClientEventSend> expected = {send(16, 250),   send(19, 96),  send(17, 78), send(14, 12300),
                                                 send(15, -1500), send(18, 360), send(13, 90)};
  SimBlock simulatorAlreadyThere;
  simulatorAlreadyThere.setDouble(kApAltitudeLockVar, 12300.0).setDouble(kApVerticalHoldVar, -1500.0);
  EXPECT_EQ(sends(planAutopilotRelay(values, simulatorAlreadyThere.data())), expected);
}

TEST(AutopilotRelay, AltitudeAndVerticalSpeedTargetsAgainstTheSimulator) {
  SettingsRecord altitude = request();
  altitude.targetAltitudeFt = 10000.0;
  SimBlock holdOffAtTarget;
  holdOffAtTarget.setDouble(kApAltitudeLockVar, 10000.0);
  EXPECT_EQ(sends(planAutopilotRelay(altitude, holdOffAtTarget.data())), std::vector<ClientEventSend>{send(6, 1)});

  altitude.targetAltitudeFt = 12345.0;
  SimBlock holdOnElsewhere;
  holdOnElsewhere.setDouble(kApAltitudeLock, 1.0).setDouble(kApAltitudeLockVar, 10000.9);
  EXPECT_EQ(sends(planAutopilotRelay(altitude, holdOnElsewhere.data())), std::vector<ClientEventSend>{send(14, 12300)});

  SettingsRecord verticalSpeed = request();
  verticalSpeed.targetVerticalSpeedFpm = -1550.0;
  EXPECT_TRUE(
      sends(planAutopilotRelay(verticalSpeed, SimBlock().setDouble(kApVerticalHoldVar, -1500.7).data())).empty());
  EXPECT_EQ(sends(planAutopilotRelay(verticalSpeed, SimBlock().data())),
            std::vector<ClientEventSend>{send(15, -1500)});  // no mode event for a vertical speed
  EXPECT_EQ(sends(planAutopilotRelay(verticalSpeed, SimBlock().setDouble(kApVerticalHoldVar, kNaN).data())),
            std::vector<ClientEventSend>{send(15, -1500)});

  // NaN targets have no value to send: nothing at all for them.
  SettingsRecord notANumber = request();
  notANumber.targetAltitudeFt = kNaN;
  notANumber.targetVerticalSpeedFpm = kNaN;
  EXPECT_TRUE(sends(planAutopilotRelay(notANumber, SimBlock().data())).empty());
}

TEST(AutopilotRelay, SpeedAndHeadingTargetsAreSentEveryTime) {
  struct Case {
    double speed;
    std::vector<ClientEventSend> expected;
  };
  const Case cases[] = {
      {0.78, {send(8, 1), send(17, 78)}},
      {250.0, {send(7, 1), send(16, 250)}},
      {0.0, {send(7, 1), send(16, 0)}},
      {2.0, {send(7, 1), send(16, 2)}},
      {-1.0, {}},
      {-5.0, {}},
      {kNaN, {}},
  };
  for (const Case& c : cases) {
    SettingsRecord speed = request();
    speed.targetSpeed = c.speed;
    EXPECT_EQ(sends(planAutopilotRelay(speed, SimBlock().data())), c.expected) << "target speed " << c.speed;
  }

  SettingsRecord heading = request();
  heading.targetHeadingDeg = 0.0;  // heading 0 is a request
  EXPECT_EQ(sends(planAutopilotRelay(heading, SimBlock().data())),
            (std::vector<ClientEventSend>{send(9, 1), send(18, 0, kHighest)}));
  for (double none : {-1.0, kNaN}) {
    heading.targetHeadingDeg = none;
    EXPECT_TRUE(sends(planAutopilotRelay(heading, SimBlock().data())).empty()) << none;
  }
}

TEST(AutopilotRelay, EachPendingRequestIsRelayedOnce) {
  resetPendingSettings();
  SettingsRecord first = switchRequest(0x1, 124, 0);
  SettingsRecord second = switchRequest(0x4000, 124, 1);
  second.setSpeedKt = 280.0;
  mergePendingSettings(first);
  mergePendingSettings(second);

  const SimBlock block;
  // The flags add up; the switch byte and the speed come from the second upload.
  EXPECT_EQ(sends(takeAndPlanAutopilotRelay(block.data())), (std::vector<ClientEventSend>{send(3, 1), send(16, 280)}));
  EXPECT_TRUE(sends(takeAndPlanAutopilotRelay(block.data())).empty());

  const SettingsRecord left = pendingSettingsSnapshot();
  const SettingsRecord start = request();
  EXPECT_EQ(std::memcmp(&left, &start, sizeof left), 0) << "the pending record is back to its start values";
}

}  // namespace
