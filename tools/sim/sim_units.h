// The units in which a client may ask for a simulator variable, and the
// conversion of a value between them. Every unit belongs to one dimension
// and converts to that dimension's base unit (listed in sim_units.cpp). The
// table is constant: safe from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace simemu {

enum class Dimension {
  kText,
  kAngle,
  kAngularRate,
  kLength,
  kSpeed,
  kPressure,
  kTemperature,
  kFraction,
  kNumber,
  kAcceleration,
  kMassFlow,
  kTorque,
  kRotation,
  kVolume,
  kFrequency,
};

// How a base value is written in this unit. Linear units scale and shift;
// the two radio encodings turn a frequency in Hz into packed decimal digits.
enum class UnitEncoding { kLinear, kBcd16, kAdfBcd32 };

struct Unit {
  const char* name;
  Dimension dimension;
  double scale;  // base value = value * scale + offset
  double offset;
  UnitEncoding encoding;
};

// The unit of that name (letter case and surrounding blanks do not matter);
// null when the name is unknown. An empty name is the unit of text variables.
const Unit* findUnit(const std::string& name);

// Converts between a unit's values and its dimension's base values.
double toBase(double value, const Unit& unit);
double fromBase(double base, const Unit& unit);

// Packed decimal: each 4-bit group holds one digit, the last digit lowest.
uint32_t encodeBcd(uint64_t decimal);
uint64_t decodeBcd(uint32_t packed);

const char* dimensionName(Dimension dimension);

}  // namespace simemu
