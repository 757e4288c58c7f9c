#include "bridge/flight_record_builder.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

#include "bridge/aircraft_config.h"
#include "bridge/flight_record.h"
#include "bridge/sim_catalogue.h"

namespace {

constexpr double kRadiansToDegrees = 57.2957795129;
constexpr double kTrackPi = 3.14159265359;  // the track's own constant: 10 east, 0 north gives 89.99999999999407
constexpr double kRankineAtZeroCelsius = 491.67;
constexpr double kRankineToCelsius = 0.5555555555555556;
constexpr double kPsfToPsi = 0.00694444444;
constexpr double kBallScale = 0.0078125 * 3.0;  // "Position 128" to about -3..+3
constexpr double kSpoilerFull = 16383.0;
constexpr double kWrapLoopLimit = 360.0 * 1000.0;

constexpr int kEngines = 4;
constexpr int kReceivers = 2;
constexpr size_t kIdentLength = 5;  // characters that fit a 6-byte ident field with its zero

// A simulator test "is not zero": true for NaN as well.
uint8_t isOn(double value) { return value != 0.0 ? 1 : 0; }

double radiansAt(const uint8_t* block, uint32_t offset) { return simDouble(block, offset) * kRadiansToDegrees; }

double rankineToCelsius(double rankine) { return (rankine - kRankineAtZeroCelsius) * kRankineToCelsius; }

void setPair(double (&pair)[2], double value) { pair[0] = pair[1] = value; }

void setPair(uint8_t (&pair)[2], uint8_t value) { pair[0] = pair[1] = value; }

// The ident arrives as the 8 bytes of an integer whose bytes, in memory
// order up to the first zero, are its characters. The field holds at most
// five of them and a zero; a longer ident keeps its first five characters.
// The rest of the field is zeroed so a shorter ident leaves nothing behind.
void copyIdent(char (&field)[6], const uint8_t* identBytes) {
  size_t length = 0;
  while (length < kIdentLength && identBytes[length] != 0) ++length;
  std::memcpy(field, identBytes, length);
  std::memset(field + length, 0, sizeof field - length);
}

void clearIdent(char (&field)[6]) { std::memset(field, 0, sizeof field); }

void writeHeader(FlightRecord& r) {
  std::memcpy(r.tag, "ORVX30", 7);
  std::memcpy(r.platformName, "WIN32", 6);
  std::memcpy(r.simulatorName, "P3D", 4);
  r.unixTime = static_cast<double>(std::time(nullptr));
  r.baroStandardHpa = 1013.2;
  r.reserved64 = 0;
}

void writeAirData(FlightRecord& r, const uint8_t* b) {
  using namespace simvar;
  r.magVarDeg = simDouble(b, kMagvar);
  r.windDirDeg = simDouble(b, kAmbientWindDirection);
  r.windSpeedKt = simDouble(b, kAmbientWindVelocity);
  r.latitudeDeg = simDouble(b, kPlaneLatitude);
  r.longitudeDeg = simDouble(b, kPlaneLongitude);
  r.altitudeFt = simDouble(b, kPlaneAltitude);
  r.reserved120 = 0.0;
  // East component first: atan2(east, north) is the bearing from north.
  r.trackTrueDeg =
      wrapDegrees(std::atan2(simDouble(b, kVelocityWorldX), simDouble(b, kVelocityWorldZ)) * 180.0 / kTrackPi);
  r.headingTrueDeg = radiansAt(b, kPlaneHeadingDegreesTrue);  // not wrapped
  r.trueAirspeedKt = simDouble(b, kAirspeedTrue);
  r.mach = simDouble(b, kAirspeedMach);
  r.groundSpeedKt = simDouble(b, kGroundVelocity);
  r.verticalSpeedFpm = simDouble(b, kVerticalSpeed) * 60.0;
  r.pitchDeg = -radiansAt(b, kPlanePitchDegrees);  // the simulator counts nose down as positive
  r.bankDeg = -radiansAt(b, kPlaneBankDegrees);
  r.reserved192[0] = r.reserved192[1] = 0.0;
  r.angleOfAttackDeg = radiansAt(b, kAngleOfAttackIndicator);
  setPair(r.validPair216, 1);
  setPair(r.sideBaroHpa, simDouble(b, kKohlsmanSettingMb));
  r.reserved240[0] = r.reserved240[1] = 0.0;
  setPair(r.sideIndicatedAltFt, simDouble(b, kIndicatedAltitude));
  r.indicatedAltitudeFt = simDouble(b, kIndicatedAltitude);
  setPair(r.sideAltReserved, r.altReserved);
  setPair(r.sideTrueAirspeedKt, simDouble(b, kAirspeedTrue));
  setPair(r.sideIndicatedAirspeedKt, simDouble(b, kAirspeedIndicated));
  setPair(r.sideMaxSpeedKt, simDouble(b, kAirspeedBarberPole));
  setPair(r.sideMach, simDouble(b, kAirspeedMach));
  std::memset(r.sideValidFlags, 1, sizeof r.sideValidFlags);
  r.reserved376 = 0.0;
}

void writeAttitude(FlightRecord& r, const uint8_t* b) {
  using namespace simvar;
  setPair(r.sidePitchDeg, r.pitchDeg);
  setPair(r.sideBankDeg, r.bankDeg);
  r.headingMagDeg = wrapDegrees(r.headingTrueDeg - simDouble(b, kMagvar));
  setPair(r.sideHeadingMagDeg, r.headingMagDeg);
  setPair(r.sideVerticalSpeedFpm, r.verticalSpeedFpm);
  setPair(r.sideTurnRateDegSec, radiansAt(b, kTurnIndicatorRate));
  r.slipBall = simDouble(b, kTurnCoordinatorBall) * kBallScale;
  setPair(r.sideRadioHeightFt, simDouble(b, kRadioHeight));
  r.gLoad = simDouble(b, kGForce);
  r.elevatorTrimDeg = radiansAt(b, kElevatorTrimPosition);
  r.aileronTrimDeg = radiansAt(b, kAileronTrim);
  r.rudderTrimDeg = radiansAt(b, kRudderTrim);
}

void writeGearFlapsSpoilers(FlightRecord& r, const uint8_t* b) {
  using namespace simvar;
  const uint32_t gear[3] = {kGearCenterPosition, kGearLeftPosition, kGearRightPosition};
  for (int leg = 0; leg < 3; ++leg) r.gearDown[leg] = simDouble(b, gear[leg]) / 100.0 != 0.0 ? 1.0 : 0.0;
  r.flapAngleDeg = (radiansAt(b, kTrailingEdgeFlapsLeftAngleCopy) + radiansAt(b, kTrailingEdgeFlapsLeftAngle)) * 0.5;
  r.flapMaxDetentAngleDeg = flapDetentLookup(simDouble(b, kFlapsNumHandlePositions));
  r.flapDetentAngleDeg = flapDetentLookup(simDouble(b, kFlapsHandleIndex));
  r.speedBrakeRatio = (simDouble(b, kSpoilersRightPosition) + simDouble(b, kSpoilersLeftPosition)) * 0.5 / kSpoilerFull;
  r.spoilersArmed = isOn(simDouble(b, kSpoilersArmed));
  std::memset(r.reserved593, 0, sizeof r.reserved593);
  std::memset(r.validPairs600, 1, sizeof r.validPairs600);
}

void writeNavFlags(FlightRecord& r, const uint8_t* b) {
  using namespace simvar;
  for (int k = 0; k < kReceivers; ++k) {
    const uint32_t step = k * kReceiverStride;
    const uint8_t hasNav = isOn(simDouble(b, kNavHasNav + step));
    const uint8_t glideslope = hasNav & isOn(simDouble(b, kNavHasGlideSlope + step));
    const uint8_t localizer = hasNav & isOn(simDouble(b, kNavHasLocalizer + step));
    const int64_t toFrom = simInt64(b, kNavToFrom + step);
    r.navGlideslopeRx[k] = r.navGlideslopeRx2[k] = r.navGlideslopeRx3[k] = glideslope;
    r.navLocalizerRx[k] = r.navLocalizerRx2[k] = localizer;
    r.navReceiving[k] = hasNav;
    r.navFromFlag[k] = toFrom == 2 ? 1 : 0;
    r.navToFlag[k] = toFrom == 1 ? 1 : 0;
  }
  std::memset(r.reserved614, 0, sizeof r.reserved614);
  std::memset(r.reserved624, 0, sizeof r.reserved624);
  std::memset(r.reserved632, 0, sizeof r.reserved632);
  std::memset(r.validFlags639, 1, sizeof r.validFlags639);
}

void writeFuel(FlightRecord& r, const uint8_t* b) {
  using namespace simvar;
  // Level and capacity of each tank, in record order.
  const uint32_t tanks[9][2] = {
      {kFuelTankCenterLevel, kFuelTankCenterCapacity},       {kFuelTankCenter2Level, kFuelTankCenter2Capacity},
      {kFuelTankCenter3Level, kFuelTankCenter3Capacity},     {kFuelTankLeftMainLevel, kFuelTankLeftMainCapacity},
      {kFuelTankRightMainLevel, kFuelTankRightMainCapacity}, {kFuelTankLeftAuxLevel, kFuelTankLeftAuxCapacity},
      {kFuelTankRightAuxLevel, kFuelTankRightAuxCapacity},   {kFuelTankLeftTipLevel, kFuelTankLeftTipCapacity},
      {kFuelTankRightTipLevel, kFuelTankRightTipCapacity},
  };
  for (int t = 0; t < 12; ++t) {
    r.tankLevelPct[t] = t < 9 ? simDouble(b, tanks[t][0]) : 0.0;
    r.tankCapacityGal[t] = t < 9 ? simDouble(b, tanks[t][1]) : 0.0;
  }
  std::memset(r.reserved840, 0, sizeof r.reserved840);
  std::memset(r.reserved896, 0, sizeof r.reserved896);
}

void writeEngines(FlightRecord& r, const uint8_t* b) {
  using namespace simvar;
  for (int e = 0; e < kEngines; ++e) {
    const uint32_t step = e * kEngineStride;
    r.engN1Pct[e] = simDouble(b, kEngN1Rpm + step);
    r.engN2Pct[e] = simDouble(b, kEngN2Rpm + step);
    r.engEpr[e] = simDouble(b, kEngPressureRatio + step);
    r.engEgtC[e] = rankineToCelsius(simDouble(b, kEngExhaustGasTemperature + step));
    r.engVibration[e] = simDouble(b, kEngVibration + step);
    r.engHydPressPsi[e] = simDouble(b, kEngHydraulicPressure + step) * kPsfToPsi;
    r.engHydQuantity[e] = simDouble(b, kEngHydraulicQuantity + step) / 100.0;
    r.engTorque[e] = simDouble(b, kEngTorque + step) * 12.0;
    r.engRpm[e] = simDouble(b, kGeneralEngRpm + step);
    r.engTurbineInletTempC[e] = simDouble(b, kRecipEngTurbineInletTemperature + step);
    r.engFuelFlowKpph[e] = simDouble(b, kEngFuelFlowPph + step) / 1000.0;
    r.engFuelPressPsi[e] = simDouble(b, kGeneralEngFuelPressure + step);
    r.engOilTempC[e] = rankineToCelsius(simDouble(b, kGeneralEngOilTemperature + step));
    r.engOilPressPsi[e] = simDouble(b, kGeneralEngOilPressure + step) * kPsfToPsi;
    r.engOilQuantityPct[e] = simDouble(b, kEngOilQuantity + step) * 100.0;
    const uint8_t starter = isOn(simDouble(b, kGeneralEngStarter + step));
    r.engStarterOn[e] = starter;
    r.engStarterFlag[e] = starter;
  }
  std::memset(r.reserved1352, 0, sizeof r.reserved1352);
  std::memset(r.reserved1416, 0, sizeof r.reserved1416);
  std::memset(r.reserved1496, 0, sizeof r.reserved1496);
  r.reserved1524 = 0;
  std::memset(r.reserved1525, 0, sizeof r.reserved1525);
  std::memset(r.reserved1537, 0, sizeof r.reserved1537);
  std::memset(r.reserved1549, 0, sizeof r.reserved1549);
}

void writeRadios(FlightRecord& r, const uint8_t* b) {
  using namespace simvar;
  for (int k = 0; k < kReceivers; ++k) {
    const uint32_t step = k * kReceiverStride;
    const uint32_t bcdStep = k * kBcdFrequencyStride;
    const uint8_t navUsable = isOn(simDouble(b, kNavAvailable + step)) & isOn(simDouble(b, kNavHasNav + step));
    const uint8_t glideslope = isOn(simDouble(b, kNavHasGlideSlope + step));
    r.navGsDeviation[k] = simDouble(b, kNavGsi + step) / 119.0;
    r.navCdiDeviation[k] = simDouble(b, kNavCdi + step) * 0.0078125;
    r.radioValid[k] = navUsable;
    r.navValid2[k] = navUsable;
    r.radioValid[2 + k] = isOn(simDouble(b, kAdfAvailable + step));
    r.ilsValid[k] = navUsable & glideslope;
    // The 32-bit BCD words as delivered; the int32-to-uint32 step is modular.
    r.comFreq[k] = decodeBcd(static_cast<uint32_t>(simInt32(b, kComActiveFrequency + bcdStep))) / 10000.0;
    r.adfFreqKhz[k] = decodeBcd(static_cast<uint32_t>(simInt32(b, kAdfActiveFrequency + bcdStep))) / 10000.0;
    r.navFreqMhz[k] = simDouble(b, kNavActiveFrequency + step);
    r.navDmeNm[k] = simDouble(b, kNavDme + step);
    r.navRelBearingDeg[k] = wrapDegrees(simDouble(b, kNavRadial + step) + 180.0 - r.headingTrueDeg + r.magVarDeg);
    r.adfBearingDeg[k] = wrapDegrees(simDouble(b, kAdfRadial + step));
    copyIdent(r.radioIdent[k], b + kNavIdent + step);
    if (glideslope) {
      copyIdent(r.ilsIdent[k], b + kNavIdent + step);
    } else {
      clearIdent(r.ilsIdent[k]);
    }
    clearIdent(r.radioIdent[2 + k]);  // ADF idents stay empty
  }
  std::memset(r.reserved1624, 0, sizeof r.reserved1624);
}

void writeAutopilot(FlightRecord& r, const uint8_t* b) {
  using namespace simvar;
  std::memset(r.validFlags1824, 1, sizeof r.validFlags1824);
  std::memset(r.reserved1830, 0, sizeof r.reserved1830);
  const int64_t marker = simInt64(b, kMarkerBeaconState);
  for (int m = 0; m < 3; ++m) r.markerBeacon[m] = marker == m + 1 ? 1 : 0;  // outer, middle, inner
  const uint8_t directorOn = isOn(simDouble(b, kAutopilotFlightDirectorActive));
  setPair(r.sideFlightDirectorOn, directorOn);
  setPair(r.sideFlightDirectorOn2, directorOn);
  setPair(r.sideFdPitchDeg, radiansAt(b, kAutopilotFlightDirectorPitch));
  setPair(r.sideFdBankDeg, radiansAt(b, kAutopilotFlightDirectorBank));
  r.reserved1880[0] = r.reserved1880[1] = 0;
  r.apHeadingDeg = simDouble(b, kAutopilotHeadingLockDir);
  r.apAirspeedKt = simDouble(b, kAutopilotAirspeedHoldVar);
  r.apMach = simDouble(b, kAutopilotMachHoldVar);
  r.apAltitudeFt = simDouble(b, kAutopilotAltitudeLockVar);
  r.apVerticalSpeedFpm = simDouble(b, kAutopilotVerticalHoldVar);
  r.reserved1928 = 0.0;
  r.apEngaged = isOn(simDouble(b, kAutopilotMaster));
  r.autothrottleArmed = isOn(simDouble(b, kAutopilotThrottleArm));

  const uint8_t altitudeHold = isOn(simDouble(b, kAutopilotAltitudeLock));
  const uint8_t approachHold = isOn(simDouble(b, kAutopilotApproachHold));
  const uint8_t navHold = isOn(simDouble(b, kAutopilotNav1Lock)) | approachHold;
  const uint8_t glideslopeHold = isOn(simDouble(b, kAutopilotGlideslopeHold)) | approachHold;
  const uint8_t lights[15] = {
      isOn(simDouble(b, kAutopilotHeadingLock)),
      altitudeHold,
      static_cast<uint8_t>(isOn(simDouble(b, kAutopilotVerticalHold)) | altitudeHold),
      isOn(simDouble(b, kAutopilotAirspeedHold)),
      isOn(simDouble(b, kAutopilotMachHold)),
      isOn(simDouble(b, kAutopilotRpmHold)),
      navHold,
      navHold,
      glideslopeHold,
      glideslopeHold,
  };  // pairs 10 to 14 are never lit
  for (int pair = 0; pair < 15; ++pair) setPair(r.apModeLights[pair], lights[pair]);
  r.reserved1973 = 0;
  r.apDisengaged = r.apEngaged == 0 ? 1 : 0;
}

void zeroTrailingReserved(FlightRecord& r) {
  std::memset(r.reserved2076, 0, sizeof r.reserved2076);
  r.reserved2088[0] = r.reserved2088[1] = 0;
}

}  // namespace

double wrapDegrees(double degrees) {
  if (std::isinf(degrees)) return std::numeric_limits<double>::quiet_NaN();
  if (std::fabs(degrees) > kWrapLoopLimit) degrees = std::fmod(degrees, 360.0);
  while (degrees < 0.0) degrees += 360.0;
  while (degrees >= 360.0) degrees -= 360.0;
  return degrees;
}

uint32_t decodeBcd(uint32_t bcd) {
  uint32_t value = 0;
  uint32_t digitWeight = 1;
  for (; bcd != 0; bcd >>= 4, digitWeight *= 10) value += (bcd & 0xF) * digitWeight;
  return value;
}

double flapDetentLookup(double leverPosition) {
  // Truncation lands in 0..19 exactly when -1 < position < 20; NaN fails both.
  if (!(leverPosition > -1.0 && leverPosition < static_cast<double>(kFlapDetentCount))) return 0.0;
  const float angle = flapDetentTable()[static_cast<size_t>(leverPosition)];
  return angle >= 0.0f ? static_cast<double>(angle) : 0.0;
}

void buildFlightRecord(const uint8_t* block) {
  FlightRecord& r = flightRecordForBuild();
  writeHeader(r);
  writeAirData(r, block);
  writeAttitude(r, block);
  writeGearFlapsSpoilers(r, block);
  writeNavFlags(r, block);
  writeFuel(r, block);
  writeEngines(r, block);
  writeRadios(r, block);
  writeAutopilot(r, block);
  zeroTrailingReserved(r);
  publishFlightRecord();  // advances the build counter: the last write
}
