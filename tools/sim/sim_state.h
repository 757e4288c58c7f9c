// The simulator's state of the user aircraft: what the emulator's variables
// report, in plain units (degrees, feet, knots, Celsius, psi, fractions where
// 1 is full). The flight model writes it; client events change the autopilot
// part. The emulator guards it with its own lock and hands out copies
// (snapshots), so a copy may be read freely on any thread.
#pragma once

#include <string>

namespace simemu {

constexpr int kMaxEngines = 4;

// Fuel tanks in the order of the simulator's tank variables.
enum TankIndex {
  kTankCenter,
  kTankCenter2,
  kTankCenter3,
  kTankLeftMain,
  kTankRightMain,
  kTankLeftAux,
  kTankRightAux,
  kTankLeftTip,
  kTankRightTip,
  kTankCount
};

struct EngineState {
  bool running = false;
  bool starter = false;
  double thrustLever = 0;  // 0 idle to 1 full
  double n1Pct = 0;
  double n2Pct = 0;
  double epr = 1.0;
  double egtC = 15;
  double oilPressurePsi = 0;
  double oilTemperatureC = 15;
  double oilQuantity = 0.9;  // fraction
  double vibration = 0;
  double hydraulicPressurePsi = 0;
  double hydraulicQuantity = 0.95;  // fraction
  double fuelFlowPph = 0;
  double fuelPressurePsi = 0;
  double torqueFtLb = 0;
  double rpm = 0;
  double turbineInletTemperatureC = 0;
};

struct TankState {
  double capacityGal = 0;
  double level = 0;  // fraction of capacity
};

struct NavRadioState {
  bool available = true;
  double frequencyMhz = 0;
  std::string ident;
  bool hasNav = false;
  bool hasLocalizer = false;
  bool hasGlideSlope = false;
  bool hasDme = false;
  double cdi = 0;  // -127 to 127, positive: the course lies to the right
  double gsi = 0;  // -119 to 119, positive: the glide path lies above
  double magVarDeg = 0;
  double radialDeg = 0;  // magnetic bearing from the station to the aircraft
  double obsDeg = 0;
  double dmeNm = 0;
  int toFrom = 0;  // 0 off, 1 to, 2 from
};

struct AdfRadioState {
  bool available = true;
  double frequencyKhz = 0;
  std::string ident;
  double relativeBearingDeg = 0;  // from the nose, clockwise
};

struct AutopilotState {
  bool master = false;
  bool throttleArm = false;
  bool flightDirector = false;
  bool headingLock = false;
  bool airspeedHold = false;
  bool machHold = false;
  bool rpmHold = false;  // N1 hold
  bool altitudeLock = false;
  bool verticalHold = false;
  bool nav1Lock = false;
  bool glideslopeHold = false;
  bool approachHold = false;
  double headingDeg = 90;
  double airspeedKt = 250;
  double mach = 0.78;
  double n1RefPct = 90;
  double altitudeFt = 5000;
  double verticalSpeedFpm = 0;
  double fdPitchDeg = 0;  // nose up positive
  double fdBankDeg = 0;   // right wing down positive
};

struct SimState {
  // Aircraft and script.
  std::string aircraftName;      // folder name under the aircraft root
  std::string title;             // the aircraft's title
  std::string aircraftFilePath;  // as reported to clients (see sim_emulator.h)
  double scriptTimeSec = 0;
  std::string phase;
  bool onGround = true;

  // Position and air data.
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  double altitudeFt = 0;  // above mean sea level
  double indicatedAltitudeFt = 0;
  double radioHeightFt = 0;
  double groundElevationFt = 0;
  double kohlsmanMb = 1013.25;
  double headingTrueDeg = 0;
  double trackTrueDeg = 0;
  double magVarDeg = 0;  // east positive: magnetic = true - magVar
  double indicatedAirspeedKt = 0;
  double trueAirspeedKt = 0;
  double groundSpeedKt = 0;
  double mach = 0;
  double verticalSpeedFpm = 0;
  double barberPoleKt = 0;
  double velocityNorthFps = 0;
  double velocityEastFps = 0;
  double windDirectionDeg = 0;  // where the wind comes from, true
  double windSpeedKt = 0;

  // Attitude, as a pilot reads it (the variables use the simulator's signs).
  double pitchDeg = 0;  // nose up positive
  double bankDeg = 0;   // right wing down positive
  double angleOfAttackDeg = 0;
  double turnRateDegSec = 0;  // right turn positive
  double slipBall = 0;        // -1 to 1
  double gForce = 1;

  // Controls.
  double gearPosition[3] = {1, 1, 1};  // center, left, right; 1 down and locked
  int flapsHandleIndex = 0;
  int flapsHandleCount = 0;  // highest detent index
  double flapsAngleDeg = 0;
  bool spoilersArmed = false;
  double spoilersLeft = 0;  // fraction
  double spoilersRight = 0;
  double elevatorTrimDeg = 0;
  double aileronTrimDeg = 0;
  double rudderTrimDeg = 0;

  int engineCount = 0;
  EngineState engines[kMaxEngines];
  TankState tanks[kTankCount];

  // Radios.
  NavRadioState nav[2];
  AdfRadioState adf[2];
  double comMhz[2] = {0, 0};
  int markerBeacon = 0;  // 0 none, 1 outer, 2 middle, 3 inner

  AutopilotState autopilot;
};

}  // namespace simemu
