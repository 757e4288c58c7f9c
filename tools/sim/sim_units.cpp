#include "tools/sim/sim_units.h"

#include <cmath>
#include <cstdint>

#include "tools/sim/text_util.h"

namespace simemu {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFeetPerNauticalMile = 6076.11549;
constexpr double kFeetPerSecondPerKnot = 1.68780986;

// Base units: angle degrees, angular rate degrees per second, length feet,
// speed knots, pressure pounds per square foot, temperature Rankine, fraction
// a ratio (1 = full), acceleration g, mass flow pounds per hour, torque foot
// pounds, rotation rpm, volume US gallons, frequency Hz.
const Unit kUnits[] = {
    {"", Dimension::kText, 1, 0, UnitEncoding::kLinear},
    {"string", Dimension::kText, 1, 0, UnitEncoding::kLinear},
    {"degrees", Dimension::kAngle, 1, 0, UnitEncoding::kLinear},
    {"degree", Dimension::kAngle, 1, 0, UnitEncoding::kLinear},
    {"radians", Dimension::kAngle, 180.0 / kPi, 0, UnitEncoding::kLinear},
    {"radian", Dimension::kAngle, 180.0 / kPi, 0, UnitEncoding::kLinear},
    {"degrees per second", Dimension::kAngularRate, 1, 0, UnitEncoding::kLinear},
    {"radians per second", Dimension::kAngularRate, 180.0 / kPi, 0, UnitEncoding::kLinear},
    {"feet", Dimension::kLength, 1, 0, UnitEncoding::kLinear},
    {"foot", Dimension::kLength, 1, 0, UnitEncoding::kLinear},
    {"meters", Dimension::kLength, 3.280839895, 0, UnitEncoding::kLinear},
    {"nautical miles", Dimension::kLength, kFeetPerNauticalMile, 0, UnitEncoding::kLinear},
    {"knots", Dimension::kSpeed, 1, 0, UnitEncoding::kLinear},
    {"knot", Dimension::kSpeed, 1, 0, UnitEncoding::kLinear},
    {"feet per second", Dimension::kSpeed, 1.0 / kFeetPerSecondPerKnot, 0, UnitEncoding::kLinear},
    {"feet/minute", Dimension::kSpeed, 1.0 / (kFeetPerSecondPerKnot * 60.0), 0, UnitEncoding::kLinear},
    {"feet per minute", Dimension::kSpeed, 1.0 / (kFeetPerSecondPerKnot * 60.0), 0, UnitEncoding::kLinear},
    {"meters per second", Dimension::kSpeed, 1.943844492, 0, UnitEncoding::kLinear},
    {"psf", Dimension::kPressure, 1, 0, UnitEncoding::kLinear},
    {"psi", Dimension::kPressure, 144, 0, UnitEncoding::kLinear},
    {"millibars", Dimension::kPressure, 2.088543423, 0, UnitEncoding::kLinear},
    {"millibar", Dimension::kPressure, 2.088543423, 0, UnitEncoding::kLinear},
    {"inches of mercury", Dimension::kPressure, 70.72619, 0, UnitEncoding::kLinear},
    {"rankine", Dimension::kTemperature, 1, 0, UnitEncoding::kLinear},
    {"celsius", Dimension::kTemperature, 1.8, 491.67, UnitEncoding::kLinear},
    {"fahrenheit", Dimension::kTemperature, 1, 459.67, UnitEncoding::kLinear},
    {"kelvin", Dimension::kTemperature, 1.8, 0, UnitEncoding::kLinear},
    {"percent", Dimension::kFraction, 0.01, 0, UnitEncoding::kLinear},
    {"percent over 100", Dimension::kFraction, 1, 0, UnitEncoding::kLinear},
    {"ratio", Dimension::kFraction, 1, 0, UnitEncoding::kLinear},
    {"part", Dimension::kFraction, 1, 0, UnitEncoding::kLinear},
    {"position", Dimension::kFraction, 1.0 / 16383.0, 0, UnitEncoding::kLinear},
    {"position 16k", Dimension::kFraction, 1.0 / 16383.0, 0, UnitEncoding::kLinear},
    {"position 32k", Dimension::kFraction, 1.0 / 32767.0, 0, UnitEncoding::kLinear},
    {"position 128", Dimension::kFraction, 1.0 / 128.0, 0, UnitEncoding::kLinear},
    {"number", Dimension::kNumber, 1, 0, UnitEncoding::kLinear},
    {"bool", Dimension::kNumber, 1, 0, UnitEncoding::kLinear},
    {"boolean", Dimension::kNumber, 1, 0, UnitEncoding::kLinear},
    {"enum", Dimension::kNumber, 1, 0, UnitEncoding::kLinear},
    {"mach", Dimension::kNumber, 1, 0, UnitEncoding::kLinear},
    {"scalar", Dimension::kNumber, 1, 0, UnitEncoding::kLinear},
    {"gforce", Dimension::kAcceleration, 1, 0, UnitEncoding::kLinear},
    {"feet per second squared", Dimension::kAcceleration, 1.0 / 32.174, 0, UnitEncoding::kLinear},
    {"pounds per hour", Dimension::kMassFlow, 1, 0, UnitEncoding::kLinear},
    {"kilograms per hour", Dimension::kMassFlow, 2.20462262, 0, UnitEncoding::kLinear},
    {"foot pounds", Dimension::kTorque, 1, 0, UnitEncoding::kLinear},
    {"foot pound", Dimension::kTorque, 1, 0, UnitEncoding::kLinear},
    {"newton meters", Dimension::kTorque, 0.737562149, 0, UnitEncoding::kLinear},
    {"rpm", Dimension::kRotation, 1, 0, UnitEncoding::kLinear},
    {"gallons", Dimension::kVolume, 1, 0, UnitEncoding::kLinear},
    {"liters", Dimension::kVolume, 0.264172052, 0, UnitEncoding::kLinear},
    {"hz", Dimension::kFrequency, 1, 0, UnitEncoding::kLinear},
    {"khz", Dimension::kFrequency, 1e3, 0, UnitEncoding::kLinear},
    {"mhz", Dimension::kFrequency, 1e6, 0, UnitEncoding::kLinear},
    {"frequency bcd16", Dimension::kFrequency, 1, 0, UnitEncoding::kBcd16},
    {"frequency adf bcd32", Dimension::kFrequency, 1, 0, UnitEncoding::kAdfBcd32},
};

}  // namespace

const Unit* findUnit(const std::string& name) {
  const std::string wanted = lowerAscii(trimBlanks(name));
  for (const Unit& unit : kUnits) {
    if (wanted == unit.name) return &unit;
  }
  return nullptr;
}

uint32_t encodeBcd(uint64_t decimal) {
  uint32_t packed = 0;
  for (int shift = 0; shift < 32 && decimal > 0; shift += 4) {
    packed |= static_cast<uint32_t>(decimal % 10) << shift;
    decimal /= 10;
  }
  return packed;
}

uint64_t decodeBcd(uint32_t packed) {
  uint64_t decimal = 0;
  for (int shift = 28; shift >= 0; shift -= 4) decimal = decimal * 10 + ((packed >> shift) & 0xF);
  return decimal;
}

// Frequency BCD16 holds the four digits of a COM frequency after its leading
// "1" in hundredths of MHz: 123.45 MHz is 0x2345. Frequency ADF BCD32 holds
// kHz times 10000 in eight digits: 350.5 kHz is 0x03505000.
double fromBase(double base, const Unit& unit) {
  switch (unit.encoding) {
    case UnitEncoding::kBcd16: {
      const double hundredthsMhz = std::round(base / 1e4);
      if (!(hundredthsMhz >= 0)) return 0;
      return encodeBcd(static_cast<uint64_t>(hundredthsMhz) % 10000u);
    }
    case UnitEncoding::kAdfBcd32: {
      const double tenthsHz = std::round(base * 10.0);
      if (!(tenthsHz >= 0)) return 0;
      return encodeBcd(static_cast<uint64_t>(tenthsHz) % 100000000u);
    }
    case UnitEncoding::kLinear:
      break;
  }
  return (base - unit.offset) / unit.scale;
}

double toBase(double value, const Unit& unit) {
  switch (unit.encoding) {
    case UnitEncoding::kBcd16:
      return (10000.0 + static_cast<double>(decodeBcd(static_cast<uint32_t>(value)))) * 1e4;
    case UnitEncoding::kAdfBcd32:
      return static_cast<double>(decodeBcd(static_cast<uint32_t>(value))) / 10.0;
    case UnitEncoding::kLinear:
      break;
  }
  return value * unit.scale + unit.offset;
}

const char* dimensionName(Dimension dimension) {
  switch (dimension) {
    case Dimension::kText:
      return "text";
    case Dimension::kAngle:
      return "angle";
    case Dimension::kAngularRate:
      return "angular rate";
    case Dimension::kLength:
      return "length";
    case Dimension::kSpeed:
      return "speed";
    case Dimension::kPressure:
      return "pressure";
    case Dimension::kTemperature:
      return "temperature";
    case Dimension::kFraction:
      return "fraction";
    case Dimension::kNumber:
      return "number";
    case Dimension::kAcceleration:
      return "acceleration";
    case Dimension::kMassFlow:
      return "mass flow";
    case Dimension::kTorque:
      return "torque";
    case Dimension::kRotation:
      return "rotation";
    case Dimension::kVolume:
      return "volume";
    case Dimension::kFrequency:
      return "frequency";
  }
  return "?";
}

}  // namespace simemu
