// The simulator variables that the emulator can report, found by name, each
// with the unit its raw value is in. A client asks for a variable by name
// (with ":N" for an indexed one) and a unit; the emulator converts the raw
// value into that unit. The table is constant: safe from any thread.
#pragma once

#include <string>

#include "tools/sim/sim_state.h"
#include "tools/sim/sim_units.h"

namespace simemu {

struct SimValue {
  bool isText = false;
  double number = 0;
  std::string text;
};

struct SimVariable {
  const char* name;  // upper case, as the simulator spells it
  int maxIndex;      // 0: not indexed; otherwise ":1" to ":maxIndex"
  const char* rawUnit;
  SimValue (*read)(const SimState& state, int index);
};

// Splits "ENG N1 RPM:2" into "ENG N1 RPM" and 2; a name without ":" gives
// index 0. False when what follows ":" is not a plain decimal number.
bool splitVariableName(const std::string& datumName, std::string* baseName, int* index);

// The variable of that base name (letter case does not matter), or null.
const SimVariable* findVariable(const std::string& baseName);

// The dimension of a variable's raw unit.
Dimension variableDimension(const SimVariable& variable);

}  // namespace simemu
