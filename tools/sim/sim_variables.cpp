#include "tools/sim/sim_variables.h"

#include <cstdlib>

#include "tools/sim/text_util.h"

namespace simemu {

namespace {

SimValue number(double value) {
  SimValue result;
  result.number = value;
  return result;
}

SimValue text(const std::string& value) {
  SimValue result;
  result.isText = true;
  result.text = value;
  return result;
}

SimValue flag(bool value) { return number(value ? 1.0 : 0.0); }

const EngineState& engine(const SimState& s, int index) { return s.engines[index - 1]; }
const NavRadioState& nav(const SimState& s, int index) { return s.nav[index - 1]; }
const AdfRadioState& adf(const SimState& s, int index) { return s.adf[index - 1]; }
const AutopilotState& ap(const SimState& s) { return s.autopilot; }

// The simulator counts pitch up and a left bank as negative.
const SimVariable kVariables[] = {
    {"TITLE", 0, "", [](const SimState& s, int) { return text(s.title); }},
    {"PLANE LATITUDE", 0, "degrees", [](const SimState& s, int) { return number(s.latitudeDeg); }},
    {"PLANE LONGITUDE", 0, "degrees", [](const SimState& s, int) { return number(s.longitudeDeg); }},
    {"PLANE ALTITUDE", 0, "feet", [](const SimState& s, int) { return number(s.altitudeFt); }},
    {"INDICATED ALTITUDE", 0, "feet", [](const SimState& s, int) { return number(s.indicatedAltitudeFt); }},
    {"RADIO HEIGHT", 0, "feet", [](const SimState& s, int) { return number(s.radioHeightFt); }},
    {"GROUND ALTITUDE", 0, "feet", [](const SimState& s, int) { return number(s.groundElevationFt); }},
    {"SIM ON GROUND", 0, "bool", [](const SimState& s, int) { return flag(s.onGround); }},
    {"KOHLSMAN SETTING MB", 0, "millibars", [](const SimState& s, int) { return number(s.kohlsmanMb); }},
    {"PLANE HEADING DEGREES TRUE", 0, "degrees", [](const SimState& s, int) { return number(s.headingTrueDeg); }},
    {"PLANE HEADING DEGREES MAGNETIC", 0, "degrees",
     [](const SimState& s, int) { return number(s.headingTrueDeg - s.magVarDeg); }},
    {"GPS GROUND TRUE TRACK", 0, "degrees", [](const SimState& s, int) { return number(s.trackTrueDeg); }},
    {"MAGVAR", 0, "degrees", [](const SimState& s, int) { return number(s.magVarDeg); }},
    {"AIRSPEED INDICATED", 0, "knots", [](const SimState& s, int) { return number(s.indicatedAirspeedKt); }},
    {"AIRSPEED MACH", 0, "mach", [](const SimState& s, int) { return number(s.mach); }},
    {"GROUND VELOCITY", 0, "knots", [](const SimState& s, int) { return number(s.groundSpeedKt); }},
    {"AIRSPEED TRUE", 0, "knots", [](const SimState& s, int) { return number(s.trueAirspeedKt); }},
    {"VERTICAL SPEED", 0, "feet/minute", [](const SimState& s, int) { return number(s.verticalSpeedFpm); }},
    {"AIRSPEED BARBER POLE", 0, "knots", [](const SimState& s, int) { return number(s.barberPoleKt); }},
    {"PLANE BANK DEGREES", 0, "degrees", [](const SimState& s, int) { return number(-s.bankDeg); }},
    {"PLANE PITCH DEGREES", 0, "degrees", [](const SimState& s, int) { return number(-s.pitchDeg); }},
    {"ANGLE OF ATTACK INDICATOR", 0, "degrees", [](const SimState& s, int) { return number(s.angleOfAttackDeg); }},
    {"TURN INDICATOR RATE", 0, "degrees per second", [](const SimState& s, int) { return number(s.turnRateDegSec); }},
    {"TURN COORDINATOR BALL", 0, "part", [](const SimState& s, int) { return number(s.slipBall); }},
    {"G FORCE", 0, "gforce", [](const SimState& s, int) { return number(s.gForce); }},
    {"AUTOPILOT HEADING LOCK DIR", 0, "degrees", [](const SimState& s, int) { return number(ap(s).headingDeg); }},
    {"AUTOPILOT AIRSPEED HOLD VAR", 0, "knots", [](const SimState& s, int) { return number(ap(s).airspeedKt); }},
    {"AUTOPILOT MACH HOLD VAR", 0, "number", [](const SimState& s, int) { return number(ap(s).mach); }},
    {"AUTOPILOT RPM HOLD VAR", 0, "number", [](const SimState& s, int) { return number(ap(s).n1RefPct); }},
    {"AUTOPILOT ALTITUDE LOCK VAR", 0, "feet", [](const SimState& s, int) { return number(ap(s).altitudeFt); }},
    {"AUTOPILOT VERTICAL HOLD VAR", 0, "feet/minute",
     [](const SimState& s, int) { return number(ap(s).verticalSpeedFpm); }},
    {"AUTOPILOT MASTER", 0, "bool", [](const SimState& s, int) { return flag(ap(s).master); }},
    {"AUTOPILOT THROTTLE ARM", 0, "bool", [](const SimState& s, int) { return flag(ap(s).throttleArm); }},
    {"AUTOPILOT HEADING LOCK", 0, "bool", [](const SimState& s, int) { return flag(ap(s).headingLock); }},
    {"AUTOPILOT AIRSPEED HOLD", 0, "bool", [](const SimState& s, int) { return flag(ap(s).airspeedHold); }},
    {"AUTOPILOT MACH HOLD", 0, "bool", [](const SimState& s, int) { return flag(ap(s).machHold); }},
    {"AUTOPILOT RPM HOLD", 0, "bool", [](const SimState& s, int) { return flag(ap(s).rpmHold); }},
    {"AUTOPILOT ALTITUDE LOCK", 0, "bool", [](const SimState& s, int) { return flag(ap(s).altitudeLock); }},
    {"AUTOPILOT VERTICAL HOLD", 0, "bool", [](const SimState& s, int) { return flag(ap(s).verticalHold); }},
    {"AUTOPILOT NAV1 LOCK", 0, "bool", [](const SimState& s, int) { return flag(ap(s).nav1Lock); }},
    {"AUTOPILOT GLIDESLOPE HOLD", 0, "bool", [](const SimState& s, int) { return flag(ap(s).glideslopeHold); }},
    {"AUTOPILOT APPROACH HOLD", 0, "bool", [](const SimState& s, int) { return flag(ap(s).approachHold); }},
    {"AUTOPILOT FLIGHT DIRECTOR ACTIVE", 0, "bool", [](const SimState& s, int) { return flag(ap(s).flightDirector); }},
    {"AUTOPILOT FLIGHT DIRECTOR BANK", 0, "degrees", [](const SimState& s, int) { return number(ap(s).fdBankDeg); }},
    {"AUTOPILOT FLIGHT DIRECTOR PITCH", 0, "degrees", [](const SimState& s, int) { return number(ap(s).fdPitchDeg); }},
    {"GEAR CENTER POSITION", 0, "ratio", [](const SimState& s, int) { return number(s.gearPosition[0]); }},
    {"GEAR LEFT POSITION", 0, "ratio", [](const SimState& s, int) { return number(s.gearPosition[1]); }},
    {"GEAR RIGHT POSITION", 0, "ratio", [](const SimState& s, int) { return number(s.gearPosition[2]); }},
    {"FLAPS HANDLE INDEX", 0, "number", [](const SimState& s, int) { return number(s.flapsHandleIndex); }},
    {"FLAPS NUM HANDLE POSITIONS", 0, "number", [](const SimState& s, int) { return number(s.flapsHandleCount); }},
    {"TRAILING EDGE FLAPS LEFT ANGLE", 0, "degrees", [](const SimState& s, int) { return number(s.flapsAngleDeg); }},
    {"TRAILING EDGE FLAPS RIGHT ANGLE", 0, "degrees", [](const SimState& s, int) { return number(s.flapsAngleDeg); }},
    {"SPOILERS ARMED", 0, "bool", [](const SimState& s, int) { return flag(s.spoilersArmed); }},
    {"SPOILERS LEFT POSITION", 0, "ratio", [](const SimState& s, int) { return number(s.spoilersLeft); }},
    {"SPOILERS RIGHT POSITION", 0, "ratio", [](const SimState& s, int) { return number(s.spoilersRight); }},
    {"ELEVATOR TRIM POSITION", 0, "degrees", [](const SimState& s, int) { return number(s.elevatorTrimDeg); }},
    {"AILERON TRIM", 0, "degrees", [](const SimState& s, int) { return number(s.aileronTrimDeg); }},
    {"RUDDER TRIM", 0, "degrees", [](const SimState& s, int) { return number(s.rudderTrimDeg); }},
    {"ENG N1 RPM", 4, "percent", [](const SimState& s, int i) { return number(engine(s, i).n1Pct); }},
    {"ENG N2 RPM", 4, "percent", [](const SimState& s, int i) { return number(engine(s, i).n2Pct); }},
    {"ENG PRESSURE RATIO", 4, "ratio", [](const SimState& s, int i) { return number(engine(s, i).epr); }},
    {"ENG EXHAUST GAS TEMPERATURE", 4, "celsius", [](const SimState& s, int i) { return number(engine(s, i).egtC); }},
    {"GENERAL ENG OIL PRESSURE", 4, "psi",
     [](const SimState& s, int i) { return number(engine(s, i).oilPressurePsi); }},
    {"GENERAL ENG OIL TEMPERATURE", 4, "celsius",
     [](const SimState& s, int i) { return number(engine(s, i).oilTemperatureC); }},
    {"ENG OIL QUANTITY", 4, "ratio", [](const SimState& s, int i) { return number(engine(s, i).oilQuantity); }},
    {"ENG VIBRATION", 4, "number", [](const SimState& s, int i) { return number(engine(s, i).vibration); }},
    {"ENG HYDRAULIC PRESSURE", 4, "psi",
     [](const SimState& s, int i) { return number(engine(s, i).hydraulicPressurePsi); }},
    {"ENG HYDRAULIC QUANTITY", 4, "ratio",
     [](const SimState& s, int i) { return number(engine(s, i).hydraulicQuantity); }},
    {"ENG FUEL FLOW PPH", 4, "pounds per hour",
     [](const SimState& s, int i) { return number(engine(s, i).fuelFlowPph); }},
    {"GENERAL ENG FUEL PRESSURE", 4, "psi",
     [](const SimState& s, int i) { return number(engine(s, i).fuelPressurePsi); }},
    {"ENG TORQUE", 4, "foot pounds", [](const SimState& s, int i) { return number(engine(s, i).torqueFtLb); }},
    {"GENERAL ENG RPM", 4, "rpm", [](const SimState& s, int i) { return number(engine(s, i).rpm); }},
    {"RECIP ENG TURBINE INLET TEMPERATURE", 4, "celsius",
     [](const SimState& s, int i) { return number(engine(s, i).turbineInletTemperatureC); }},
    {"GENERAL ENG STARTER", 4, "bool", [](const SimState& s, int i) { return flag(engine(s, i).starter); }},
    {"GENERAL ENG THROTTLE LEVER POSITION", 4, "ratio",
     [](const SimState& s, int i) { return number(engine(s, i).thrustLever); }},
    {"NUMBER OF ENGINES", 0, "number", [](const SimState& s, int) { return number(s.engineCount); }},
    {"FUEL TANK CENTER LEVEL", 0, "ratio", [](const SimState& s, int) { return number(s.tanks[kTankCenter].level); }},
    {"FUEL TANK CENTER CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankCenter].capacityGal); }},
    {"FUEL TANK CENTER2 LEVEL", 0, "ratio", [](const SimState& s, int) { return number(s.tanks[kTankCenter2].level); }},
    {"FUEL TANK CENTER2 CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankCenter2].capacityGal); }},
    {"FUEL TANK CENTER3 LEVEL", 0, "ratio", [](const SimState& s, int) { return number(s.tanks[kTankCenter3].level); }},
    {"FUEL TANK CENTER3 CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankCenter3].capacityGal); }},
    {"FUEL TANK LEFT MAIN LEVEL", 0, "ratio",
     [](const SimState& s, int) { return number(s.tanks[kTankLeftMain].level); }},
    {"FUEL TANK LEFT MAIN CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankLeftMain].capacityGal); }},
    {"FUEL TANK RIGHT MAIN LEVEL", 0, "ratio",
     [](const SimState& s, int) { return number(s.tanks[kTankRightMain].level); }},
    {"FUEL TANK RIGHT MAIN CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankRightMain].capacityGal); }},
    {"FUEL TANK LEFT AUX LEVEL", 0, "ratio",
     [](const SimState& s, int) { return number(s.tanks[kTankLeftAux].level); }},
    {"FUEL TANK LEFT AUX CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankLeftAux].capacityGal); }},
    {"FUEL TANK RIGHT AUX LEVEL", 0, "ratio",
     [](const SimState& s, int) { return number(s.tanks[kTankRightAux].level); }},
    {"FUEL TANK RIGHT AUX CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankRightAux].capacityGal); }},
    {"FUEL TANK LEFT TIP LEVEL", 0, "ratio",
     [](const SimState& s, int) { return number(s.tanks[kTankLeftTip].level); }},
    {"FUEL TANK LEFT TIP CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankLeftTip].capacityGal); }},
    {"FUEL TANK RIGHT TIP LEVEL", 0, "ratio",
     [](const SimState& s, int) { return number(s.tanks[kTankRightTip].level); }},
    {"FUEL TANK RIGHT TIP CAPACITY", 0, "gallons",
     [](const SimState& s, int) { return number(s.tanks[kTankRightTip].capacityGal); }},
    {"HSI CDI NEEDLE VALID", 0, "bool", [](const SimState& s, int) { return flag(s.nav[0].hasNav); }},
    {"HSI CDI NEEDLE", 0, "number", [](const SimState& s, int) { return number(s.nav[0].cdi); }},
    {"HSI GSI NEEDLE VALID", 0, "bool", [](const SimState& s, int) { return flag(s.nav[0].hasGlideSlope); }},
    {"HSI GSI NEEDLE", 0, "number", [](const SimState& s, int) { return number(s.nav[0].gsi); }},
    {"NAV AVAILABLE", 2, "bool", [](const SimState& s, int i) { return flag(nav(s, i).available); }},
    {"NAV ACTIVE FREQUENCY", 2, "mhz", [](const SimState& s, int i) { return number(nav(s, i).frequencyMhz); }},
    {"NAV HAS NAV", 2, "bool", [](const SimState& s, int i) { return flag(nav(s, i).hasNav); }},
    {"NAV HAS LOCALIZER", 2, "bool", [](const SimState& s, int i) { return flag(nav(s, i).hasLocalizer); }},
    {"NAV HAS GLIDE SLOPE", 2, "bool", [](const SimState& s, int i) { return flag(nav(s, i).hasGlideSlope); }},
    {"NAV HAS DME", 2, "bool", [](const SimState& s, int i) { return flag(nav(s, i).hasDme); }},
    {"NAV CDI", 2, "number", [](const SimState& s, int i) { return number(nav(s, i).cdi); }},
    {"NAV GSI", 2, "number", [](const SimState& s, int i) { return number(nav(s, i).gsi); }},
    {"NAV MAGVAR", 2, "degrees", [](const SimState& s, int i) { return number(nav(s, i).magVarDeg); }},
    {"NAV RADIAL", 2, "degrees", [](const SimState& s, int i) { return number(nav(s, i).radialDeg); }},
    {"NAV TOFROM", 2, "enum", [](const SimState& s, int i) { return number(nav(s, i).toFrom); }},
    {"NAV OBS", 2, "degrees", [](const SimState& s, int i) { return number(nav(s, i).obsDeg); }},
    {"NAV DME", 2, "nautical miles", [](const SimState& s, int i) { return number(nav(s, i).dmeNm); }},
    {"NAV IDENT", 2, "", [](const SimState& s, int i) { return text(nav(s, i).ident); }},
    {"ADF AVAILABLE", 2, "bool", [](const SimState& s, int i) { return flag(adf(s, i).available); }},
    {"ADF ACTIVE FREQUENCY", 2, "khz", [](const SimState& s, int i) { return number(adf(s, i).frequencyKhz); }},
    {"ADF IDENT", 2, "", [](const SimState& s, int i) { return text(adf(s, i).ident); }},
    {"ADF RADIAL", 2, "degrees", [](const SimState& s, int i) { return number(adf(s, i).relativeBearingDeg); }},
    {"COM ACTIVE FREQUENCY", 2, "mhz", [](const SimState& s, int i) { return number(s.comMhz[i - 1]); }},
    {"MARKER BEACON STATE", 0, "enum", [](const SimState& s, int) { return number(s.markerBeacon); }},
    {"AMBIENT WIND DIRECTION", 0, "degrees", [](const SimState& s, int) { return number(s.windDirectionDeg); }},
    {"AMBIENT WIND VELOCITY", 0, "knots", [](const SimState& s, int) { return number(s.windSpeedKt); }},
    {"VELOCITY WORLD Z", 0, "feet per second", [](const SimState& s, int) { return number(s.velocityNorthFps); }},
    {"VELOCITY WORLD X", 0, "feet per second", [](const SimState& s, int) { return number(s.velocityEastFps); }},
};

}  // namespace

bool splitVariableName(const std::string& datumName, std::string* baseName, int* index) {
  const std::string name = trimBlanks(datumName);
  const size_t colon = name.rfind(':');
  if (colon == std::string::npos) {
    *baseName = name;
    *index = 0;
    return true;
  }
  const std::string digits = name.substr(colon + 1);
  if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *baseName = trimBlanks(name.substr(0, colon));
  *index = std::atoi(digits.c_str());
  return true;
}

const SimVariable* findVariable(const std::string& baseName) {
  for (const SimVariable& variable : kVariables) {
    if (equalsIgnoringCase(baseName, variable.name)) return &variable;
  }
  return nullptr;
}

Dimension variableDimension(const SimVariable& variable) {
  const Unit* unit = findUnit(variable.rawUnit);
  return unit != nullptr ? unit->dimension : Dimension::kNumber;
}

}  // namespace simemu
