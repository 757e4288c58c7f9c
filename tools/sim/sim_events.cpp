#include "tools/sim/sim_events.h"

#include <cmath>

#include "tools/sim/text_util.h"

namespace simemu {

namespace {

void setSwitch(bool* value, uint32_t data) {
  if (data == 0 || data == 1) {
    *value = data == 1;
  } else {
    *value = !*value;
  }
}

double wrappedDegrees(int32_t degrees) {
  const double wrapped = std::fmod(static_cast<double>(degrees), 360.0);
  return wrapped < 0 ? wrapped + 360.0 : wrapped;
}

bool applySwitchEvent(const std::string& name, uint32_t data, AutopilotState* ap) {
  struct SwitchEvent {
    const char* name;
    bool AutopilotState::*field;
  };
  static const SwitchEvent kSwitches[] = {
      {"ap_master", &AutopilotState::master},
      {"auto_throttle_arm", &AutopilotState::throttleArm},
      {"toggle_flight_director", &AutopilotState::flightDirector},
      {"ap_panel_altitude_set", &AutopilotState::altitudeLock},
      {"ap_panel_speed_set", &AutopilotState::airspeedHold},
      {"ap_panel_mach_set", &AutopilotState::machHold},
      {"ap_panel_heading_set", &AutopilotState::headingLock},
      {"ap_n1_hold", &AutopilotState::rpmHold},
      {"ap_loc_hold", &AutopilotState::nav1Lock},
      {"ap_app_hold", &AutopilotState::approachHold},
      {"ap_panel_vs_set", &AutopilotState::verticalHold},
  };
  for (const SwitchEvent& event : kSwitches) {
    if (name == event.name) {
      setSwitch(&(ap->*(event.field)), data);
      return true;
    }
  }
  return false;
}

bool applyValueEvent(const std::string& name, int32_t value, SimState* state) {
  AutopilotState& ap = state->autopilot;
  if (name == "ap_alt_var_set_english") {
    ap.altitudeFt = value;
  } else if (name == "ap_vs_var_set_english") {
    ap.verticalSpeedFpm = value;
  } else if (name == "ap_spd_var_set") {
    ap.airspeedKt = value;
  } else if (name == "ap_mach_var_set") {
    ap.mach = value / 100.0;
  } else if (name == "heading_bug_set") {
    ap.headingDeg = wrappedDegrees(value);
  } else if (name == "ap_n1_ref_set") {
    ap.n1RefPct = value;
  } else if (name == "vor1_set") {
    state->nav[0].obsDeg = wrappedDegrees(value);
  } else if (name == "vor2_set") {
    state->nav[1].obsDeg = wrappedDegrees(value);
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool applySimEvent(const std::string& eventName, uint32_t data, SimState* state) {
  const std::string name = lowerAscii(trimBlanks(eventName));
  if (applySwitchEvent(name, data, &state->autopilot)) return true;
  return applyValueEvent(name, static_cast<int32_t>(data), state);
}

}  // namespace simemu
