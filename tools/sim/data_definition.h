// A client's data definition as the emulator keeps it: each datum exactly as
// the client declared it, plus what the emulator made of it (the variable and
// unit found, or why none). Packing turns the current state into the bytes
// of a data message. Owned by the emulator; touched under its lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/sim_state.h"
#include "tools/sim/sim_variables.h"

namespace simemu {

struct Datum {
  // As declared.
  uint32_t defineId = 0;
  std::string datumName;
  std::string unitsName;
  uint32_t datumType = 0;
  float epsilon = 0;
  uint32_t datumId = 0;
  // As understood: the variable and unit, or the reason the value is zero.
  const SimVariable* variable = nullptr;
  int index = 0;
  const Unit* unit = nullptr;
  std::string problem;  // empty when the datum resolves
};

// Builds a datum from a declaration and resolves its variable and unit.
Datum declareDatum(uint32_t defineId, const std::string& datumName, const std::string& unitsName, uint32_t datumType,
                   float epsilon, uint32_t datumId);

// Bytes a datum of this data type occupies; 0 for an unknown type.
size_t datumTypeSize(uint32_t datumType);
const char* datumTypeName(uint32_t datumType);

struct PackOptions {
  bool unterminatedText = false;  // fill text fields completely, without a zero byte
};

// Appends the datum's value in its declared type and unit. A datum that does
// not resolve packs zero bytes of its type's size.
void packDatum(const Datum& datum, const SimState& state, const PackOptions& options, std::vector<uint8_t>* out);

}  // namespace simemu
