// The simulator variable catalogue: the 182 variables the bridge asks for on
// every frame (data definition 0), in the order that lays out the 1688-byte
// SimDataBlock, and the identifiers the bridge uses on the simulator link.
// Constant data, safe to read from any thread.
//
// The table is a binary format as much as a list: the builder and the relay
// read the delivered block by the offsets below, so an entry added, removed
// or moved shifts every later offset. The offsets are checked against the
// table at compile time (sim_catalogue.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "simlink/simconnect.h"

// One variable of data definition 0.
struct SimVariable {
  const char* name;
  const char* unit;  // nullptr for "Title", which is asked for without a unit
  DWORD dataType;    // SIMCONNECT_DATATYPE_*
  uint32_t offset;   // from the start of the delivered block
  uint32_t size;     // bytes the entry occupies in the block
};

constexpr size_t kSimVariableCount = 182;
constexpr uint32_t kSimDataBlockSize = 1688;

// The catalogue in definition order. Entries 48 and 49 both ask for
// "TRAILING EDGE FLAPS LEFT ANGLE": the duplicate is part of the layout.
extern const SimVariable kSimVariables[kSimVariableCount];

// --- Identifiers on the simulator link -------------------------------------
constexpr DWORD kSimDataDefinition = 0;           // the whole catalogue
constexpr DWORD kRequestUserAircraftData = 1;     // definition 0, every "Frame"
constexpr DWORD kRequestAircraftLoadedState = 2;  // system state "AircraftLoaded"
constexpr const char* kAircraftLoadedStateName = "AircraftLoaded";

constexpr DWORD kSystemEventFrame = 0;
constexpr DWORD kSystemEventAircraftLoaded = 1;
constexpr DWORD kSystemEventSimStart = 2;

// A client or system event id with the simulator's name for it.
struct SimEventName {
  DWORD id;
  const char* name;
};

constexpr size_t kSystemEventCount = 3;
// The subscriptions, in the order they are made.
extern const SimEventName kSystemEvents[kSystemEventCount];

// Client events the autopilot relay transmits (never added to a group).
constexpr DWORD kEventApMaster = 3;
constexpr DWORD kEventAutoThrottleArm = 4;
constexpr DWORD kEventToggleFlightDirector = 5;
constexpr DWORD kEventApPanelAltitudeSet = 6;
constexpr DWORD kEventApPanelSpeedSet = 7;
constexpr DWORD kEventApPanelMachSet = 8;
constexpr DWORD kEventApPanelHeadingSet = 9;
constexpr DWORD kEventApN1Hold = 10;
constexpr DWORD kEventApLocHold = 11;
constexpr DWORD kEventApAppHold = 12;
constexpr DWORD kEventVor1Set = 13;
constexpr DWORD kEventApAltVarSetEnglish = 14;
constexpr DWORD kEventApVsVarSetEnglish = 15;
constexpr DWORD kEventApSpdVarSet = 16;
constexpr DWORD kEventApMachVarSet = 17;
constexpr DWORD kEventHeadingBugSet = 18;
constexpr DWORD kEventApN1RefSet = 19;

constexpr size_t kClientEventCount = 17;
// Ids 3 to 19 with their simulator event names, in mapping order.
extern const SimEventName kClientEvents[kClientEventCount];

// --- Offsets into the block ---------------------------------------------------
// For an indexed variable ("ENG N1 RPM:1" ... ":4", "NAV CDI:1", ":2") the
// constant is the offset of index 1; index n follows at + (n - 1) x stride.
namespace simvar {

constexpr uint32_t kEngineStride = 8;        // the per-engine FLOAT64 groups, engines 1 to 4
constexpr uint32_t kReceiverStride = 8;      // NAV and ADF pairs of FLOAT64 or INT64
constexpr uint32_t kBcdFrequencyStride = 4;  // the INT32 frequency pairs (ADF, COM)

constexpr uint32_t kTitle = 0;                               // "Title"
constexpr uint32_t kPlaneLatitude = 256;                     // "PLANE LATITUDE"
constexpr uint32_t kPlaneLongitude = 264;                    // "PLANE LONGITUDE"
constexpr uint32_t kPlaneAltitude = 272;                     // "PLANE ALTITUDE"
constexpr uint32_t kIndicatedAltitude = 280;                 // "INDICATED ALTITUDE"
constexpr uint32_t kRadioHeight = 288;                       // "RADIO HEIGHT"
constexpr uint32_t kKohlsmanSettingMb = 296;                 // "KOHLSMAN SETTING MB"
constexpr uint32_t kPlaneHeadingDegreesTrue = 304;           // "PLANE HEADING DEGREES TRUE"
constexpr uint32_t kGpsGroundTrueTrack = 312;                // "GPS GROUND TRUE TRACK"
constexpr uint32_t kMagvar = 320;                            // "MAGVAR"
constexpr uint32_t kAirspeedIndicated = 328;                 // "AIRSPEED INDICATED"
constexpr uint32_t kAirspeedMach = 336;                      // "AIRSPEED MACH"
constexpr uint32_t kGroundVelocity = 344;                    // "GROUND VELOCITY"
constexpr uint32_t kAirspeedTrue = 352;                      // "AIRSPEED TRUE"
constexpr uint32_t kVerticalSpeed = 360;                     // "VERTICAL SPEED"
constexpr uint32_t kAirspeedBarberPole = 368;                // "AIRSPEED BARBER POLE"
constexpr uint32_t kPlaneBankDegrees = 376;                  // "PLANE BANK DEGREES"
constexpr uint32_t kPlanePitchDegrees = 384;                 // "PLANE PITCH DEGREES"
constexpr uint32_t kAngleOfAttackIndicator = 392;            // "ANGLE OF ATTACK INDICATOR"
constexpr uint32_t kTurnIndicatorRate = 400;                 // "TURN INDICATOR RATE"
constexpr uint32_t kTurnCoordinatorBall = 408;               // "TURN COORDINATOR BALL"
constexpr uint32_t kGForce = 416;                            // "G FORCE"
constexpr uint32_t kAutopilotHeadingLockDir = 424;           // "AUTOPILOT HEADING LOCK DIR"
constexpr uint32_t kAutopilotAirspeedHoldVar = 432;          // "AUTOPILOT AIRSPEED HOLD VAR"
constexpr uint32_t kAutopilotMachHoldVar = 440;              // "AUTOPILOT MACH HOLD VAR"
constexpr uint32_t kAutopilotRpmHoldVar = 448;               // "AUTOPILOT RPM HOLD VAR"
constexpr uint32_t kAutopilotAltitudeLockVar = 456;          // "AUTOPILOT ALTITUDE LOCK VAR"
constexpr uint32_t kAutopilotVerticalHoldVar = 464;          // "AUTOPILOT VERTICAL HOLD VAR"
constexpr uint32_t kAutopilotMaster = 472;                   // "AUTOPILOT MASTER"
constexpr uint32_t kAutopilotThrottleArm = 480;              // "AUTOPILOT THROTTLE ARM"
constexpr uint32_t kAutopilotHeadingLock = 488;              // "AUTOPILOT HEADING LOCK"
constexpr uint32_t kAutopilotAirspeedHold = 496;             // "AUTOPILOT AIRSPEED HOLD"
constexpr uint32_t kAutopilotMachHold = 504;                 // "AUTOPILOT MACH HOLD"
constexpr uint32_t kAutopilotRpmHold = 512;                  // "AUTOPILOT RPM HOLD"
constexpr uint32_t kAutopilotAltitudeLock = 520;             // "AUTOPILOT ALTITUDE LOCK"
constexpr uint32_t kAutopilotVerticalHold = 528;             // "AUTOPILOT VERTICAL HOLD"
constexpr uint32_t kAutopilotNav1Lock = 536;                 // "AUTOPILOT NAV1 LOCK"
constexpr uint32_t kAutopilotGlideslopeHold = 544;           // "AUTOPILOT GLIDESLOPE HOLD"
constexpr uint32_t kAutopilotApproachHold = 552;             // "AUTOPILOT APPROACH HOLD"
constexpr uint32_t kAutopilotFlightDirectorActive = 560;     // "AUTOPILOT FLIGHT DIRECTOR ACTIVE"
constexpr uint32_t kAutopilotFlightDirectorBank = 568;       // "AUTOPILOT FLIGHT DIRECTOR BANK"
constexpr uint32_t kAutopilotFlightDirectorPitch = 576;      // "AUTOPILOT FLIGHT DIRECTOR PITCH"
constexpr uint32_t kGearCenterPosition = 584;                // "GEAR CENTER POSITION"
constexpr uint32_t kGearLeftPosition = 592;                  // "GEAR LEFT POSITION"
constexpr uint32_t kGearRightPosition = 600;                 // "GEAR RIGHT POSITION"
constexpr uint32_t kFlapsHandleIndex = 608;                  // "FLAPS HANDLE INDEX"
constexpr uint32_t kFlapsNumHandlePositions = 616;           // "FLAPS NUM HANDLE POSITIONS"
constexpr uint32_t kTrailingEdgeFlapsLeftAngle = 624;        // "TRAILING EDGE FLAPS LEFT ANGLE"
constexpr uint32_t kTrailingEdgeFlapsLeftAngleCopy = 632;    // "TRAILING EDGE FLAPS LEFT ANGLE"
constexpr uint32_t kSpoilersArmed = 640;                     // "SPOILERS ARMED"
constexpr uint32_t kSpoilersLeftPosition = 648;              // "SPOILERS LEFT POSITION"
constexpr uint32_t kSpoilersRightPosition = 656;             // "SPOILERS RIGHT POSITION"
constexpr uint32_t kElevatorTrimPosition = 664;              // "ELEVATOR TRIM POSITION"
constexpr uint32_t kAileronTrim = 672;                       // "AILERON TRIM"
constexpr uint32_t kRudderTrim = 680;                        // "RUDDER TRIM"
constexpr uint32_t kEngN1Rpm = 688;                          // "ENG N1 RPM:1"
constexpr uint32_t kEngN2Rpm = 720;                          // "ENG N2 RPM:1"
constexpr uint32_t kEngPressureRatio = 752;                  // "ENG PRESSURE RATIO:1"
constexpr uint32_t kEngExhaustGasTemperature = 784;          // "ENG EXHAUST GAS TEMPERATURE:1"
constexpr uint32_t kGeneralEngOilPressure = 816;             // "GENERAL ENG OIL PRESSURE:1"
constexpr uint32_t kGeneralEngOilTemperature = 848;          // "GENERAL ENG OIL TEMPERATURE:1"
constexpr uint32_t kEngOilQuantity = 880;                    // "ENG OIL QUANTITY:1"
constexpr uint32_t kEngVibration = 912;                      // "ENG VIBRATION:1"
constexpr uint32_t kEngHydraulicPressure = 944;              // "ENG HYDRAULIC PRESSURE:1"
constexpr uint32_t kEngHydraulicQuantity = 976;              // "ENG HYDRAULIC QUANTITY:1"
constexpr uint32_t kEngFuelFlowPph = 1008;                   // "ENG FUEL FLOW PPH:1"
constexpr uint32_t kGeneralEngFuelPressure = 1040;           // "GENERAL ENG FUEL PRESSURE:1"
constexpr uint32_t kEngTorque = 1072;                        // "ENG TORQUE:1"
constexpr uint32_t kGeneralEngRpm = 1104;                    // "GENERAL ENG RPM:1"
constexpr uint32_t kRecipEngTurbineInletTemperature = 1136;  // "RECIP ENG TURBINE INLET TEMPERATURE:1"
constexpr uint32_t kGeneralEngStarter = 1168;                // "GENERAL ENG STARTER:1"
constexpr uint32_t kFuelTankCenterLevel = 1200;              // "FUEL TANK CENTER LEVEL"
constexpr uint32_t kFuelTankCenterCapacity = 1208;           // "FUEL TANK CENTER CAPACITY"
constexpr uint32_t kFuelTankCenter2Level = 1216;             // "FUEL TANK CENTER2 LEVEL"
constexpr uint32_t kFuelTankCenter2Capacity = 1224;          // "FUEL TANK CENTER2 CAPACITY"
constexpr uint32_t kFuelTankCenter3Level = 1232;             // "FUEL TANK CENTER3 LEVEL"
constexpr uint32_t kFuelTankCenter3Capacity = 1240;          // "FUEL TANK CENTER3 CAPACITY"
constexpr uint32_t kFuelTankLeftMainLevel = 1248;            // "FUEL TANK LEFT MAIN LEVEL"
constexpr uint32_t kFuelTankLeftMainCapacity = 1256;         // "FUEL TANK LEFT MAIN CAPACITY"
constexpr uint32_t kFuelTankRightMainLevel = 1264;           // "FUEL TANK RIGHT MAIN LEVEL"
constexpr uint32_t kFuelTankRightMainCapacity = 1272;        // "FUEL TANK RIGHT MAIN CAPACITY"
constexpr uint32_t kFuelTankLeftAuxLevel = 1280;             // "FUEL TANK LEFT AUX LEVEL"
constexpr uint32_t kFuelTankLeftAuxCapacity = 1288;          // "FUEL TANK LEFT AUX CAPACITY"
constexpr uint32_t kFuelTankRightAuxLevel = 1296;            // "FUEL TANK RIGHT AUX LEVEL"
constexpr uint32_t kFuelTankRightAuxCapacity = 1304;         // "FUEL TANK RIGHT AUX CAPACITY"
constexpr uint32_t kFuelTankLeftTipLevel = 1312;             // "FUEL TANK LEFT TIP LEVEL"
constexpr uint32_t kFuelTankLeftTipCapacity = 1320;          // "FUEL TANK LEFT TIP CAPACITY"
constexpr uint32_t kFuelTankRightTipLevel = 1328;            // "FUEL TANK RIGHT TIP LEVEL"
constexpr uint32_t kFuelTankRightTipCapacity = 1336;         // "FUEL TANK RIGHT TIP CAPACITY"
constexpr uint32_t kHsiCdiNeedleValid = 1344;                // "HSI CDI NEEDLE VALID"
constexpr uint32_t kHsiCdiNeedle = 1352;                     // "HSI CDI NEEDLE"
constexpr uint32_t kHsiGsiNeedleValid = 1360;                // "HSI GSI NEEDLE VALID"
constexpr uint32_t kHsiGsiNeedle = 1368;                     // "HSI GSI NEEDLE"
constexpr uint32_t kNavAvailable = 1376;                     // "NAV AVAILABLE:1"
constexpr uint32_t kNavActiveFrequency = 1392;               // "NAV ACTIVE FREQUENCY:1"
constexpr uint32_t kNavHasNav = 1408;                        // "NAV HAS NAV:1"
constexpr uint32_t kNavHasLocalizer = 1424;                  // "NAV HAS LOCALIZER:1"
constexpr uint32_t kNavHasGlideSlope = 1440;                 // "NAV HAS GLIDE SLOPE:1"
constexpr uint32_t kNavHasDme = 1456;                        // "NAV HAS DME:1"
constexpr uint32_t kNavCdi = 1472;                           // "NAV CDI:1"
constexpr uint32_t kNavGsi = 1488;                           // "NAV GSI:1"
constexpr uint32_t kNavMagvar = 1504;                        // "NAV MAGVAR:1"
constexpr uint32_t kNavRadial = 1520;                        // "NAV RADIAL:1"
constexpr uint32_t kNavToFrom = 1536;                        // "NAV TOFROM:1"
constexpr uint32_t kNavObs = 1552;                           // "NAV OBS:1"
constexpr uint32_t kNavDme = 1568;                           // "NAV DME:1"
constexpr uint32_t kNavIdent = 1584;                         // "NAV IDENT:1"
constexpr uint32_t kAdfAvailable = 1600;                     // "ADF AVAILABLE:1"
constexpr uint32_t kAdfActiveFrequency = 1616;               // "ADF ACTIVE FREQUENCY:1"
constexpr uint32_t kAdfRadial = 1624;                        // "ADF RADIAL:1"
constexpr uint32_t kComActiveFrequency = 1640;               // "COM ACTIVE FREQUENCY:1"
constexpr uint32_t kMarkerBeaconState = 1648;                // "MARKER BEACON STATE"
constexpr uint32_t kAmbientWindDirection = 1656;             // "AMBIENT WIND DIRECTION"
constexpr uint32_t kAmbientWindVelocity = 1664;              // "AMBIENT WIND VELOCITY"
constexpr uint32_t kVelocityWorldZ = 1672;                   // "VELOCITY WORLD Z"
constexpr uint32_t kVelocityWorldX = 1680;                   // "VELOCITY WORLD X"

}  // namespace simvar

// --- Reading the block ---------------------------------------------------------
// The block sits inside a received message at no particular alignment, so
// every read copies the bytes out. Requires: offset + the width <= 1688.
inline double simDouble(const uint8_t* block, uint32_t offset) {
  double value;
  std::memcpy(&value, block + offset, sizeof value);
  return value;
}

inline int64_t simInt64(const uint8_t* block, uint32_t offset) {
  int64_t value;
  std::memcpy(&value, block + offset, sizeof value);
  return value;
}

inline int32_t simInt32(const uint8_t* block, uint32_t offset) {
  int32_t value;
  std::memcpy(&value, block + offset, sizeof value);
  return value;
}
