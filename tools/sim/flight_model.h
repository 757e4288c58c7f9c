// The scripted flight of the user aircraft, looping: engine start at the gate,
// taxi, take-off from runway 09, climb with turns onto a wide left-hand
// circuit, cruise, descent, ILS approach (localizer, glide slope, marker
// beacons), landing and roll-out, then a fresh start at the gate with the
// tanks refilled. Deterministic: the same steps give the same states. The
// autopilot part of the state is the clients' (set through events) and is
// only shown, never flown. Owned by the emulator, used under its lock.
#pragma once

#include <string>

#include "tools/sim/aircraft_profile.h"
#include "tools/sim/flight_area.h"
#include "tools/sim/sim_state.h"

namespace simemu {

enum class FlightPhase {
  kGate,
  kTaxiOut,
  kLineUp,
  kTakeoffRoll,
  kRotate,
  kInitialClimb,
  kClimb,
  kCruise,
  kDescent,
  kApproach,
  kFinal,
  kFlare,
  kRollout,
  kTaxiIn,
};

const char* flightPhaseName(FlightPhase phase);

class FlightModel {
 public:
  FlightModel();
  // Flies this aircraft from the gate, autopilot settings back to defaults.
  void load(const AircraftProfile& profile);
  // Moves the script on by seconds (in steps of at most 50 ms).
  void advance(double seconds);

  const SimState& state() const { return state_; }
  SimState& state() { return state_; }
  const AircraftProfile& profile() const { return profile_; }
  FlightPhase phase() const { return phase_; }

 private:
  enum class Leg { kTaxiNorth, kRunway, kNorth, kDownwind, kBase, kFinal };
  struct Command {
    double speedTargetKt = 0;  // ground speed on the ground, indicated airspeed in the air
    double verticalSpeedFpm = 0;
    double thrustLever = 0;
  };

  void restartFlight();
  void step(double dt);
  void enter(FlightPhase phase);
  Command command();
  Command groundCommand();
  void checkTransitions();
  void checkGroundTransitions();
  void advanceLeg();
  double desiredTrackDeg() const;
  double distanceToGoNm() const;
  void moveSpeed(const Command& command, double dt);
  void moveTrack(double dt);
  void moveVertically(const Command& command, double dt);
  void movePosition(double dt);
  void moveControls(double dt);
  void moveAttitude(double previousHeadingDeg, double previousVsFpm, double dt);
  void updateAirData();
  void updateAutopilotDisplay();
  int approachFlapsIndex() const;
  bool pastTopOfDescent(double interceptAltitudeFt) const;

  AircraftProfile profile_;
  SimState state_;
  GridPoint position_{0, 0};
  FlightPhase phase_ = FlightPhase::kGate;
  Leg leg_ = Leg::kTaxiNorth;
  double phaseElapsedSec_ = 0;
  double speedKt_ = 0;  // ground speed on the ground, indicated airspeed in the air
  bool gearDown_ = true;
  int flapsTarget_ = 0;
  bool spoilersDeployed_ = false;
  double pitchTargetDeg_ = 0;
  double bankTargetDeg_ = 0;
};

}  // namespace simemu
