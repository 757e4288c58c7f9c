#include "tools/sim/data_definition.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "simlink/simconnect.h"

namespace simemu {

namespace {

bool isTextType(uint32_t type) { return type >= SIMCONNECT_DATATYPE_STRING8 && type <= SIMCONNECT_DATATYPE_STRING260; }
bool isIntegerType(uint32_t type) { return type == SIMCONNECT_DATATYPE_INT32 || type == SIMCONNECT_DATATYPE_INT64; }

// A text variable is given as text, or as an integer of its characters when
// asked for a number; a numeric variable in any unit of its dimension.
std::string typeAndUnitProblem(const Datum& datum) {
  const Dimension wanted = variableDimension(*datum.variable);
  const Dimension given = datum.unit->dimension;
  if (wanted == Dimension::kText) {
    const bool asText = isTextType(datum.datumType) && given == Dimension::kText;
    const bool asInteger = isIntegerType(datum.datumType) && given == Dimension::kNumber;
    if (asText || asInteger) return std::string();
    return std::string("text variable asked as ") + datumTypeName(datum.datumType) + " in a " + dimensionName(given) +
           " unit";
  }
  if (isTextType(datum.datumType)) return "numeric variable asked as text";
  if (given != wanted)
    return std::string("unit is a ") + dimensionName(given) + ", variable a " + dimensionName(wanted);
  return std::string();
}

std::string resolveProblem(Datum* datum) {
  if (datumTypeSize(datum->datumType) == 0) return "unknown data type";
  std::string baseName;
  if (!splitVariableName(datum->datumName, &baseName, &datum->index)) return "bad index in variable name";
  datum->variable = findVariable(baseName);
  if (datum->variable == nullptr) return "unknown variable";
  const int maxIndex = datum->variable->maxIndex;
  if (maxIndex == 0 && datum->index != 0) return "variable takes no index";
  if (maxIndex > 0 && (datum->index < 1 || datum->index > maxIndex)) {
    return "variable needs an index 1 to " + std::to_string(maxIndex);
  }
  datum->unit = findUnit(datum->unitsName);
  if (datum->unit == nullptr) return "unknown unit";
  return typeAndUnitProblem(*datum);
}

template <typename T>
void appendRaw(T value, std::vector<uint8_t>* out) {
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));  // little-endian hosts only, as the wire format
  out->insert(out->end(), bytes, bytes + sizeof(T));
}

// Out-of-range and NaN values become the nearest representable integer (NaN 0).
template <typename T>
T toInteger(double value) {
  if (std::isnan(value)) return 0;
  const double low = static_cast<double>(std::numeric_limits<T>::min());
  const double high = static_cast<double>(std::numeric_limits<T>::max());
  if (value <= low) return std::numeric_limits<T>::min();
  if (value >= high) return std::numeric_limits<T>::max();
  return static_cast<T>(value);  // toward zero
}

void packText(const std::string& text, size_t size, const PackOptions& options, std::vector<uint8_t>* out) {
  std::vector<uint8_t> field(size, 0);
  const size_t room = options.unterminatedText ? size : size - 1;
  const size_t length = text.size() < room ? text.size() : room;
  std::memcpy(field.data(), text.data(), length);
  if (options.unterminatedText) {
    for (size_t i = length; i < size; ++i) field[i] = '#';
  }
  out->insert(out->end(), field.begin(), field.end());
}

// An integer whose bytes, lowest first, are the text's first characters: how
// the simulator hands out idents to a client that asks for a number.
void packTextAsInteger(const std::string& text, size_t size, std::vector<uint8_t>* out) {
  for (size_t i = 0; i < size; ++i) out->push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

void packNumber(double value, uint32_t type, std::vector<uint8_t>* out) {
  switch (type) {
    case SIMCONNECT_DATATYPE_INT32:
      appendRaw(toInteger<int32_t>(value), out);
      break;
    case SIMCONNECT_DATATYPE_INT64:
      appendRaw(toInteger<int64_t>(value), out);
      break;
    case SIMCONNECT_DATATYPE_FLOAT32:
      appendRaw(static_cast<float>(value), out);
      break;
    case SIMCONNECT_DATATYPE_FLOAT64:
      appendRaw(value, out);
      break;
    default:
      out->insert(out->end(), datumTypeSize(type), 0);
      break;
  }
}

}  // namespace

Datum declareDatum(uint32_t defineId, const std::string& datumName, const std::string& unitsName, uint32_t datumType,
                   float epsilon, uint32_t datumId) {
  Datum datum;
  datum.defineId = defineId;
  datum.datumName = datumName;
  datum.unitsName = unitsName;
  datum.datumType = datumType;
  datum.epsilon = epsilon;
  datum.datumId = datumId;
  datum.problem = resolveProblem(&datum);
  if (!datum.problem.empty()) {
    datum.variable = nullptr;
    datum.unit = nullptr;
  }
  return datum;
}

size_t datumTypeSize(uint32_t datumType) {
  switch (datumType) {
    case SIMCONNECT_DATATYPE_INT32:
      return 4;
    case SIMCONNECT_DATATYPE_INT64:
      return 8;
    case SIMCONNECT_DATATYPE_FLOAT32:
      return 4;
    case SIMCONNECT_DATATYPE_FLOAT64:
      return 8;
    case SIMCONNECT_DATATYPE_STRING8:
      return 8;
    case SIMCONNECT_DATATYPE_STRING32:
      return 32;
    case SIMCONNECT_DATATYPE_STRING64:
      return 64;
    case SIMCONNECT_DATATYPE_STRING128:
      return 128;
    case SIMCONNECT_DATATYPE_STRING256:
      return 256;
    case SIMCONNECT_DATATYPE_STRING260:
      return 260;
    default:
      return 0;
  }
}

const char* datumTypeName(uint32_t datumType) {
  static const char* const kNames[] = {"INVALID",  "INT32",    "INT64",     "FLOAT32",   "FLOAT64",  "STRING8",
                                       "STRING32", "STRING64", "STRING128", "STRING256", "STRING260"};
  return datumType < sizeof kNames / sizeof kNames[0] ? kNames[datumType] : "UNKNOWN";
}

void packDatum(const Datum& datum, const SimState& state, const PackOptions& options, std::vector<uint8_t>* out) {
  const size_t size = datumTypeSize(datum.datumType);
  if (size == 0) return;
  if (!datum.problem.empty()) {
    out->insert(out->end(), size, 0);
    return;
  }
  const SimValue value = datum.variable->read(state, datum.index);
  if (value.isText) {
    if (isTextType(datum.datumType)) {
      packText(value.text, size, options, out);
    } else {
      packTextAsInteger(value.text, size, out);
    }
    return;
  }
  const Unit* raw = findUnit(datum.variable->rawUnit);
  packNumber(fromBase(toBase(value.number, *raw), *datum.unit), datum.datumType, out);
}

}  // namespace simemu
