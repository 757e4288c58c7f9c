#include "tools/sim/flight_model.h"

#include <algorithm>
#include <cmath>

#include "tools/sim/engine_model.h"
#include "tools/sim/radio_navigation.h"

namespace simemu {

namespace {

constexpr double kMaxStepSec = 0.05;
constexpr double kGravityFps2 = 32.174;
constexpr double kTaxiSpeedKt = 15;
constexpr double kTaxiTurnRateDegSec = 8;
constexpr double kTaxiTurnRadiusFt = kTaxiSpeedKt * kFeetPerSecondPerKnot / (kTaxiTurnRateDegSec * kPi / 180);
constexpr double kGateNorthFt = -1500;
constexpr double kInterceptHeightFt = 3000;  // above the field
// The circuit: runway heading to 6 nm east, north to 30 nm, west to 20 nm
// west of the threshold, south to 2.5 nm north of the centre line, then the
// localizer.
constexpr double kRunwayLegEndEastNm = 6;
constexpr double kNorthLegEndNorthNm = 30;
constexpr double kDownwindEndEastNm = -20;
constexpr double kBaseLegEndNorthNm = 2.5;

double clampTo(double value, double low, double high) { return std::max(low, std::min(high, value)); }

double moveToward(double value, double target, double maxStep) {
  return value + clampTo(target - value, -maxStep, maxStep);
}

// Track that brings the aircraft onto the line through origin with course c:
// the farther right of it, the more the track turns left, up to maxDeg.
double trackToLine(GridPoint position, GridPoint origin, double courseDeg, double degPerFt, double maxDeg) {
  const double c = degToRad(courseDeg);
  const double rightFt =
      (position.eastFt - origin.eastFt) * std::cos(c) - (position.northFt - origin.northFt) * std::sin(c);
  return wrap360(courseDeg - clampTo(rightFt * degPerFt, -maxDeg, maxDeg));
}

double speedOfSoundKt(double altitudeFt) {
  const double kelvin = std::max(216.65, 288.15 - 0.0019812 * altitudeFt);
  return 661.47 * std::sqrt(kelvin / 288.15);
}

double trueFromIndicated(double indicatedKt, double altitudeFt) { return indicatedKt * (1 + 0.02 * altitudeFt / 1000); }

}  // namespace

const char* flightPhaseName(FlightPhase phase) {
  switch (phase) {
    case FlightPhase::kGate:
      return "gate";
    case FlightPhase::kTaxiOut:
      return "taxi out";
    case FlightPhase::kLineUp:
      return "line up";
    case FlightPhase::kTakeoffRoll:
      return "take-off roll";
    case FlightPhase::kRotate:
      return "rotate";
    case FlightPhase::kInitialClimb:
      return "initial climb";
    case FlightPhase::kClimb:
      return "climb";
    case FlightPhase::kCruise:
      return "cruise";
    case FlightPhase::kDescent:
      return "descent";
    case FlightPhase::kApproach:
      return "approach";
    case FlightPhase::kFinal:
      return "final";
    case FlightPhase::kFlare:
      return "flare";
    case FlightPhase::kRollout:
      return "roll-out";
    case FlightPhase::kTaxiIn:
      return "taxi in";
  }
  return "?";
}

FlightModel::FlightModel() { load(AircraftProfile()); }

void FlightModel::load(const AircraftProfile& profile) {
  profile_ = profile;
  state_ = SimState();
  state_.aircraftName = profile.name;
  state_.title = profile.title;
  state_.aircraftFilePath = profile.configPath;
  restartFlight();
}

void FlightModel::restartFlight() {
  const AutopilotState autopilot = state_.autopilot;
  const std::string name = state_.aircraftName, title = state_.title, path = state_.aircraftFilePath;
  const double scriptTime = state_.scriptTimeSec;
  state_ = SimState();
  state_.aircraftName = name;
  state_.title = title;
  state_.aircraftFilePath = path;
  state_.scriptTimeSec = scriptTime;
  state_.autopilot = autopilot;
  state_.groundElevationFt = kFieldElevationFt;
  state_.altitudeFt = kFieldElevationFt;
  state_.kohlsmanMb = kQnhMb;
  state_.flapsHandleCount = static_cast<int>(profile_.flapDetentsDeg.size()) - 1;
  prepareEngines(profile_, &state_);
  tuneRadios(&state_);
  position_ = GridPoint{-kTaxiTurnRadiusFt, kGateNorthFt};
  leg_ = Leg::kTaxiNorth;
  speedKt_ = 0;
  gearDown_ = true;
  flapsTarget_ = 0;
  spoilersDeployed_ = false;
  enter(FlightPhase::kGate);
  step(0);
}

void FlightModel::enter(FlightPhase phase) {
  phase_ = phase;
  phaseElapsedSec_ = 0;
  state_.phase = flightPhaseName(phase);
}

void FlightModel::advance(double seconds) {
  while (seconds > 1e-9) {
    const double dt = std::min(seconds, kMaxStepSec);
    step(dt);
    seconds -= dt;
  }
}

void FlightModel::step(double dt) {
  state_.scriptTimeSec += dt;
  phaseElapsedSec_ += dt;
  const double previousHeading = state_.headingTrueDeg;
  const double previousVs = state_.verticalSpeedFpm;
  const Command wanted = command();
  for (int i = 0; i < state_.engineCount; ++i) state_.engines[i].thrustLever = wanted.thrustLever;
  moveSpeed(wanted, dt);
  moveTrack(dt);
  moveVertically(wanted, dt);
  movePosition(dt);
  moveControls(dt);
  moveAttitude(previousHeading, previousVs, dt);
  advanceEngines(profile_, phase_ == FlightPhase::kGate ? phaseElapsedSec_ : -1, dt, &state_);
  burnFuel(dt, &state_);
  updateAirData();
  updateRadios(position_, &state_);
  updateAutopilotDisplay();
  advanceLeg();
  checkTransitions();
}

double FlightModel::distanceToGoNm() const {
  const double east = position_.eastFt / kFeetPerNm;
  const double north = position_.northFt / kFeetPerNm;
  const double finalNm = -kDownwindEndEastNm;
  const double baseNm = kNorthLegEndNorthNm - kBaseLegEndNorthNm;
  const double downwindNm = kRunwayLegEndEastNm - kDownwindEndEastNm;
  switch (leg_) {
    case Leg::kTaxiNorth:
    case Leg::kRunway:
      return (kRunwayLegEndEastNm - east) + kNorthLegEndNorthNm + downwindNm + baseNm + finalNm;
    case Leg::kNorth:
      return (kNorthLegEndNorthNm - north) + downwindNm + baseNm + finalNm;
    case Leg::kDownwind:
      return (east - kDownwindEndEastNm) + baseNm + finalNm;
    case Leg::kBase:
      return (north - kBaseLegEndNorthNm) + std::fabs(east);
    case Leg::kFinal:
      return std::max(0.0, -east);
  }
  return 0;
}

// Lateral guidance: lines to follow on the ground and on the runway and the
// localizer, plain tracks on the circuit legs.
double FlightModel::desiredTrackDeg() const {
  switch (leg_) {
    case Leg::kTaxiNorth:
      return trackToLine(position_, GridPoint{-kTaxiTurnRadiusFt, 0}, 0, 0.2, 20);
    case Leg::kRunway:
      return trackToLine(position_, GridPoint{0, 0}, kRunwayCourseDeg, state_.onGround ? 0.2 : 0.01, 20);
    case Leg::kNorth:
      return 0;
    case Leg::kDownwind:
      return 270;
    case Leg::kBase:
      return 180;
    case Leg::kFinal:
      return trackToLine(position_, GridPoint{0, 0}, kRunwayCourseDeg, 0.004, 45);
  }
  return state_.trackTrueDeg;
}

void FlightModel::advanceLeg() {
  const double east = position_.eastFt;
  const double north = position_.northFt;
  if (leg_ == Leg::kTaxiNorth && north >= -kTaxiTurnRadiusFt) leg_ = Leg::kRunway;
  if (leg_ == Leg::kRunway && !state_.onGround && east >= kRunwayLegEndEastNm * kFeetPerNm) leg_ = Leg::kNorth;
  if (leg_ == Leg::kNorth && north >= kNorthLegEndNorthNm * kFeetPerNm) leg_ = Leg::kDownwind;
  if (leg_ == Leg::kDownwind && east <= kDownwindEndEastNm * kFeetPerNm) leg_ = Leg::kBase;
  if (leg_ == Leg::kBase && north <= kBaseLegEndNorthNm * kFeetPerNm) leg_ = Leg::kFinal;
}

// Time to leave the cruise: about 3.3 nm per 1000 ft to lose, plus room to
// settle at the intercept height before the glide slope.
bool FlightModel::pastTopOfDescent(double interceptAltitudeFt) const {
  const double descentNm = (state_.altitudeFt - interceptAltitudeFt) / 1000 * 3.3 + 11;
  return leg_ != Leg::kRunway && distanceToGoNm() <= descentNm;
}

int FlightModel::approachFlapsIndex() const {
  const int last = state_.flapsHandleCount;
  const double toGoNm = -position_.eastFt / kFeetPerNm;
  if (last <= 0 || leg_ != Leg::kFinal) return 0;
  if (toGoNm <= 5) return last;
  if (toGoNm <= 7) return std::max(1, last - 1);
  if (toGoNm <= 10) return std::max(1, last / 2);
  if (toGoNm <= 14) return 1;
  return 0;
}

FlightModel::Command FlightModel::groundCommand() {
  Command c;
  switch (phase_) {
    case FlightPhase::kTaxiOut:
      c.speedTargetKt = kTaxiSpeedKt;
      break;
    case FlightPhase::kTakeoffRoll:
    case FlightPhase::kRotate:
      c.speedTargetKt = 400;
      break;
    case FlightPhase::kRollout:
      c.speedTargetKt = kTaxiSpeedKt;
      break;
    case FlightPhase::kTaxiIn:
      c.speedTargetKt = phaseElapsedSec_ < 25 ? 12 : 0;
      break;
    default:
      c.speedTargetKt = 0;
      break;
  }
  const bool takeoff = phase_ == FlightPhase::kTakeoffRoll || phase_ == FlightPhase::kRotate;
  const bool taxi = phase_ == FlightPhase::kTaxiOut || phase_ == FlightPhase::kTaxiIn;
  c.thrustLever = takeoff ? 0.95 : (taxi ? clampTo(0.1 + 0.03 * (c.speedTargetKt - speedKt_), 0, 0.3) : 0);
  return c;
}

FlightModel::Command FlightModel::command() {
  if (state_.onGround) return groundCommand();
  const double vr = profile_.stallLandingKt * 1.3;
  const double vapp = profile_.stallLandingKt * 1.3;
  const double cruiseAltitude = std::min(profile_.cruiseAltitudeFt, 16000.0);
  const double climbIas = std::min(profile_.maxIndicatedKt - 30, profile_.jet ? 290.0 : 200.0);
  const double climbRate = profile_.jet ? 2500 : 1600;
  const double descentRate = profile_.jet ? 1800 : 1300;
  const double alt = state_.altitudeFt;
  const double interceptAlt = kFieldElevationFt + kInterceptHeightFt;
  Command c;
  switch (phase_) {
    case FlightPhase::kInitialClimb:
      c = Command{vr + 25, climbRate * 0.8, 0.92};
      break;
    case FlightPhase::kClimb: {
      const double rate = alt < 10000 ? climbRate : climbRate * 0.7;
      c = Command{alt < 10000 ? std::min(250.0, climbIas) : climbIas,
                  std::min(rate, std::max(300.0, (cruiseAltitude - alt) * 3)), 0.9};
      break;
    }
    case FlightPhase::kCruise: {
      const double machLimitedIas = (profile_.maxMach - 0.03) * speedOfSoundKt(alt) / (1 + 0.02 * alt / 1000);
      const double cruiseIas =
          std::min({profile_.cruiseTasKt / (1 + 0.02 * alt / 1000), profile_.maxIndicatedKt - 15, machLimitedIas});
      c = Command{cruiseIas, clampTo((cruiseAltitude - alt) * 2, -1000, 1000), 0.72};
      break;
    }
    case FlightPhase::kDescent: {
      double ias = alt > 10500 ? std::min(280.0, profile_.maxIndicatedKt - 20) : std::min(250.0, climbIas);
      if (leg_ == Leg::kBase || leg_ == Leg::kFinal) ias = profile_.jet ? 210 : 180;
      c = Command{ias, clampTo((interceptAlt - alt) * 2, -descentRate, 500), 0.08};
      break;
    }
    case FlightPhase::kApproach: {
      const double toGoNm = -position_.eastFt / kFeetPerNm;
      c = Command{std::max(vapp, std::min(profile_.jet ? 210.0 : 180.0, vapp + (toGoNm - 4) * 8)),
                  clampTo((interceptAlt - alt) * 2, -descentRate, 500), 0.5};
      break;
    }
    case FlightPhase::kFinal: {
      const double toGlideSlopeFt = kGlideSlopeXFt - position_.eastFt;
      const double pathAlt = kFieldElevationFt + toGlideSlopeFt * std::tan(degToRad(kGlideSlopeDeg));
      const double toGoNm = -position_.eastFt / kFeetPerNm;
      const double onPathFpm = -state_.groundSpeedKt * kFeetPerSecondPerKnot * std::tan(degToRad(kGlideSlopeDeg)) * 60;
      c = Command{std::max(vapp, vapp + (toGoNm - 4) * 8), clampTo(onPathFpm + (pathAlt - alt) * 6, -2000, 500), 0.45};
      break;
    }
    case FlightPhase::kFlare:
      c = Command{vapp - 5, -150, 0};
      break;
    default:
      break;
  }
  const double leverTrim = 0.04 * (c.speedTargetKt - speedKt_);
  if (phase_ != FlightPhase::kFlare) c.thrustLever = clampTo(c.thrustLever + leverTrim, 0.02, 1.0);
  return c;
}

void FlightModel::moveSpeed(const Command& wanted, double dt) {
  if (state_.onGround) {
    const bool takeoff = phase_ == FlightPhase::kTakeoffRoll || phase_ == FlightPhase::kRotate;
    const double accel = takeoff ? (profile_.jet ? 4.5 : 4.0) : 2.0;
    const double decel = phase_ == FlightPhase::kRollout ? (profile_.jet ? 5.0 : 4.0) : 3.0;
    speedKt_ = std::max(0.0, speedKt_ + clampTo(wanted.speedTargetKt - speedKt_, -decel * dt, accel * dt));
    return;
  }
  speedKt_ += clampTo(wanted.speedTargetKt - speedKt_, -1.0 * dt, 1.5 * dt);
}

void FlightModel::moveTrack(double dt) {
  if (state_.onGround && speedKt_ < 0.5) return;
  double maxRateDegSec = kTaxiTurnRateDegSec;
  if (!state_.onGround) {
    const double tasFps = std::max(1.0, state_.trueAirspeedKt * kFeetPerSecondPerKnot);
    maxRateDegSec = std::min(3.0, radToDeg(kGravityFps2 * std::tan(degToRad(25)) / tasFps));
  } else if (speedKt_ > 30) {
    maxRateDegSec = 1;
  }
  const double error = wrap180(desiredTrackDeg() - state_.trackTrueDeg);
  const double rate = clampTo(error * 0.6, -maxRateDegSec, maxRateDegSec);
  state_.trackTrueDeg = wrap360(state_.trackTrueDeg + rate * dt);
}

void FlightModel::moveVertically(const Command& wanted, double dt) {
  if (state_.onGround) {
    state_.verticalSpeedFpm = 0;
    state_.altitudeFt = kFieldElevationFt;
    return;
  }
  state_.verticalSpeedFpm = moveToward(state_.verticalSpeedFpm, wanted.verticalSpeedFpm, 700 * dt);
  state_.altitudeFt += state_.verticalSpeedFpm / 60 * dt;
  if (state_.altitudeFt <= kFieldElevationFt && phase_ == FlightPhase::kFlare) {
    state_.altitudeFt = kFieldElevationFt;
    state_.verticalSpeedFpm = 0;
    state_.onGround = true;
  }
}

// Ground speed and heading from the air mass: on the ground the aircraft
// rolls where it points; in the air it crabs into the wind.
void FlightModel::movePosition(double dt) {
  const double alt = state_.altitudeFt;
  state_.windDirectionDeg = wrap360(240 + alt / 1000 * 2.5);
  state_.windSpeedKt = 8 + alt / 1000 * 2.2;
  const double windAngle = degToRad(state_.windDirectionDeg - state_.trackTrueDeg);
  const double headwindKt = state_.windSpeedKt * std::cos(windAngle);
  if (state_.onGround) {
    state_.groundSpeedKt = speedKt_;
    state_.indicatedAirspeedKt = std::max(0.0, speedKt_ + headwindKt);
    state_.headingTrueDeg = state_.trackTrueDeg;
  } else {
    state_.indicatedAirspeedKt = speedKt_;
    const double tas = trueFromIndicated(speedKt_, alt);
    const double crab = std::asin(clampTo(state_.windSpeedKt * std::sin(windAngle) / std::max(tas, 1.0), -0.5, 0.5));
    state_.headingTrueDeg = wrap360(state_.trackTrueDeg + radToDeg(crab));
    state_.groundSpeedKt = std::max(0.0, tas * std::cos(crab) - headwindKt);
  }
  const double gsFps = state_.groundSpeedKt * kFeetPerSecondPerKnot;
  state_.velocityNorthFps = gsFps * std::cos(degToRad(state_.trackTrueDeg));
  state_.velocityEastFps = gsFps * std::sin(degToRad(state_.trackTrueDeg));
  position_.northFt += state_.velocityNorthFps * dt;
  position_.eastFt += state_.velocityEastFps * dt;
}

void FlightModel::moveControls(double dt) {
  const double rates[3] = {1.0 / 6, 1.0 / 8, 1.0 / 8};  // the nose gear is the quickest
  for (int i = 0; i < 3; ++i) {
    state_.gearPosition[i] = moveToward(state_.gearPosition[i], gearDown_ ? 1.0 : 0.0, rates[i] * dt);
  }
  state_.flapsHandleIndex = flapsTarget_;
  const double detentAngle = profile_.flapDetentsDeg[static_cast<size_t>(flapsTarget_)];
  state_.flapsAngleDeg = moveToward(state_.flapsAngleDeg, detentAngle, (profile_.jet ? 1.5 : 2.5) * dt);
  const bool speedBrake = phase_ == FlightPhase::kDescent && speedKt_ > 260 && state_.altitudeFt < 10500;
  const double spoilerTarget = spoilersDeployed_ ? 1.0 : (speedBrake ? 0.3 : 0.0);
  state_.spoilersLeft = moveToward(state_.spoilersLeft, spoilerTarget, 1.0 * dt);
  state_.spoilersRight = state_.spoilersLeft;
}

void FlightModel::moveAttitude(double previousHeadingDeg, double previousVsFpm, double dt) {
  const double tasFps = state_.trueAirspeedKt * kFeetPerSecondPerKnot;
  if (dt > 0) state_.turnRateDegSec = wrap180(state_.headingTrueDeg - previousHeadingDeg) / dt;
  if (state_.onGround) {
    const bool rotating = phase_ == FlightPhase::kRotate;
    pitchTargetDeg_ = rotating ? 9.0 : 0.0;
    bankTargetDeg_ = 0;
    state_.angleOfAttackDeg = state_.pitchDeg;
  } else {
    const double alpha = clampTo(
        0.5 + 9 * std::pow(profile_.stallCleanKt / std::max(speedKt_, 60.0), 2) - state_.flapsAngleDeg * 0.08, 0, 14);
    const double gamma = radToDeg(std::atan2(state_.verticalSpeedFpm / 60, std::max(tasFps, 1.0)));
    pitchTargetDeg_ = alpha + gamma;
    bankTargetDeg_ = radToDeg(std::atan(degToRad(state_.turnRateDegSec) * tasFps / kGravityFps2));
    state_.angleOfAttackDeg = alpha;
  }
  state_.pitchDeg = moveToward(state_.pitchDeg, pitchTargetDeg_, 3 * dt);
  state_.bankDeg = moveToward(state_.bankDeg, bankTargetDeg_, 6 * dt);
  const double vsChangeFps2 = dt > 0 ? (state_.verticalSpeedFpm - previousVsFpm) / 60 / dt : 0;
  state_.gForce = state_.onGround ? 1.0 : 1 / std::cos(degToRad(state_.bankDeg)) + vsChangeFps2 / kGravityFps2;
  state_.slipBall =
      state_.onGround
          ? clampTo(-state_.windSpeedKt * std::sin(degToRad(state_.windDirectionDeg - state_.trackTrueDeg)) / 200, -0.2,
                    0.2)
          : 0;
  state_.elevatorTrimDeg = clampTo(1.0 - 0.6 * state_.angleOfAttackDeg, -8, 8);
}

void FlightModel::updateAirData() {
  const double alt = state_.altitudeFt;
  state_.trueAirspeedKt = trueFromIndicated(state_.indicatedAirspeedKt, alt);
  state_.mach = state_.trueAirspeedKt / speedOfSoundKt(alt);
  const double machLimitIas = profile_.maxMach * speedOfSoundKt(alt) / (1 + 0.02 * alt / 1000);
  state_.barberPoleKt = std::min(profile_.maxIndicatedKt, machLimitIas);
  state_.radioHeightFt = std::max(0.0, alt - kFieldElevationFt);
  state_.indicatedAltitudeFt = alt + (state_.kohlsmanMb - kQnhMb) * 27.3;
  state_.latitudeDeg = latitudeOf(position_);
  state_.longitudeDeg = longitudeOf(position_);
  state_.magVarDeg = kMagVarDeg + (state_.longitudeDeg - kOriginLongitudeDeg) * 0.5;
}

void FlightModel::updateAutopilotDisplay() {
  AutopilotState& ap = state_.autopilot;
  ap.glideslopeHold = ap.approachHold && state_.nav[0].hasGlideSlope;
  ap.fdPitchDeg = pitchTargetDeg_;
  ap.fdBankDeg = bankTargetDeg_;
}

void FlightModel::checkGroundTransitions() {
  switch (phase_) {
    case FlightPhase::kGate: {
      bool allRunning = true;
      for (int i = 0; i < state_.engineCount; ++i) allRunning = allRunning && state_.engines[i].running;
      if (allRunning && phaseElapsedSec_ > 30) enter(FlightPhase::kTaxiOut);
      break;
    }
    case FlightPhase::kTaxiOut:
      flapsTarget_ = profile_.takeoffFlapsIndex;
      if (leg_ == Leg::kRunway && std::fabs(wrap180(state_.trackTrueDeg - kRunwayCourseDeg)) < 3 &&
          std::fabs(position_.northFt) < 30) {
        enter(FlightPhase::kLineUp);
      }
      break;
    case FlightPhase::kLineUp:
      if (speedKt_ < 0.1 && phaseElapsedSec_ > 8) enter(FlightPhase::kTakeoffRoll);
      break;
    case FlightPhase::kTakeoffRoll:
      if (state_.indicatedAirspeedKt >= profile_.stallLandingKt * 1.3) enter(FlightPhase::kRotate);
      break;
    case FlightPhase::kRotate:
      if (state_.pitchDeg >= 7.5) {
        state_.onGround = false;
        speedKt_ = state_.indicatedAirspeedKt;
        enter(FlightPhase::kInitialClimb);
      }
      break;
    case FlightPhase::kRollout:
      if (speedKt_ <= kTaxiSpeedKt + 1) {
        spoilersDeployed_ = false;
        state_.spoilersArmed = false;
        flapsTarget_ = 0;
        enter(FlightPhase::kTaxiIn);
      }
      break;
    case FlightPhase::kTaxiIn:
      if (speedKt_ < 0.1 && phaseElapsedSec_ > 40) restartFlight();
      break;
    default:
      break;
  }
}

void FlightModel::checkTransitions() {
  if (state_.onGround && phase_ != FlightPhase::kFlare) {
    checkGroundTransitions();
    return;
  }
  const double height = state_.radioHeightFt;
  const double cruiseAltitude = std::min(profile_.cruiseAltitudeFt, 16000.0);
  const double interceptAlt = kFieldElevationFt + kInterceptHeightFt;
  switch (phase_) {
    case FlightPhase::kInitialClimb:
      if (height > 300) gearDown_ = false;
      if (height > 1500) enter(FlightPhase::kClimb);
      break;
    case FlightPhase::kClimb:
      if (flapsTarget_ > 0 && phaseElapsedSec_ > 6) {
        --flapsTarget_;
        phaseElapsedSec_ = 0.001;  // one detent every six seconds
      }
      if (state_.altitudeFt >= cruiseAltitude - 30) enter(FlightPhase::kCruise);
      if (pastTopOfDescent(interceptAlt)) enter(FlightPhase::kDescent);
      break;
    case FlightPhase::kCruise:
      if (pastTopOfDescent(interceptAlt)) enter(FlightPhase::kDescent);
      break;
    case FlightPhase::kDescent:
      if (leg_ == Leg::kFinal) enter(FlightPhase::kApproach);
      break;
    case FlightPhase::kApproach:
      flapsTarget_ = std::max(flapsTarget_, approachFlapsIndex());
      if (state_.nav[0].hasGlideSlope && state_.nav[0].gsi <= 0 && std::fabs(state_.nav[0].cdi) < 64) {
        gearDown_ = true;
        enter(FlightPhase::kFinal);
      }
      break;
    case FlightPhase::kFinal:
      flapsTarget_ = std::max(flapsTarget_, approachFlapsIndex());
      if (height < 1500) state_.spoilersArmed = true;
      if (height < 40) enter(FlightPhase::kFlare);
      break;
    case FlightPhase::kFlare:
      if (state_.onGround) {
        spoilersDeployed_ = state_.spoilersArmed;
        speedKt_ = state_.groundSpeedKt;
        enter(FlightPhase::kRollout);
      }
      break;
    default:
      break;
  }
}

}  // namespace simemu
