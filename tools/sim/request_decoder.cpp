#include "tools/sim/request_decoder.h"

#include <cstdio>

#include "simlink/wire.h"
#include "tools/sim/text_util.h"
#include "tools/sim/wire_bytes.h"

namespace simemu {

namespace {

void addNumber(LoggedRequest* entry, const char* name, uint32_t value) {
  entry->fields.push_back(RequestField{name, std::to_string(value), true});
}

void addText(LoggedRequest* entry, const char* name, const std::string& value) {
  entry->fields.push_back(RequestField{name, value, false});
}

void addFloat(LoggedRequest* entry, const char* name, float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  entry->fields.push_back(RequestField{name, text, true});
}

void decodeOpen(const uint8_t* b, LoggedRequest* entry) {
  addText(entry, "applicationName", requestText(b, 16));
  addNumber(entry, "reserved", readU32(b + 272));
  addNumber(entry, "magic", readU32(b + 276));
  addNumber(entry, "versionMajor", readU32(b + 280));
  addNumber(entry, "versionMinor", readU32(b + 284));
  addNumber(entry, "buildMajor", readU32(b + 288));
  addNumber(entry, "buildMinor", readU32(b + 292));
  if (readU32(b + 276) != simwire::kOpenMagic) entry->note = "unexpected magic value";
}

void decodeFields(const uint8_t* b, LoggedRequest* entry) {
  switch (entry->kind) {
    case simwire::kOpen:
      decodeOpen(b, entry);
      break;
    case simwire::kMapClientEventToSimEvent:
      addNumber(entry, "eventId", readU32(b + 16));
      addText(entry, "eventName", requestText(b, 20));
      break;
    case simwire::kTransmitClientEvent:
      addNumber(entry, "objectId", readU32(b + 16));
      addNumber(entry, "eventId", readU32(b + 20));
      addNumber(entry, "data", readU32(b + 24));
      addNumber(entry, "groupId", readU32(b + 28));
      addNumber(entry, "flags", readU32(b + 32));
      break;
    case simwire::kAddToDataDefinition:
      addNumber(entry, "defineId", readU32(b + 16));
      addText(entry, "datumName", requestText(b, 20));
      addText(entry, "unitsName", requestText(b, 276));
      addNumber(entry, "datumType", readU32(b + 532));
      addFloat(entry, "epsilon", readF32(b + 536));
      addNumber(entry, "datumId", readU32(b + 540));
      break;
    case simwire::kRequestDataOnSimObjectType:
      addNumber(entry, "requestId", readU32(b + 16));
      addNumber(entry, "defineId", readU32(b + 20));
      addNumber(entry, "radiusMeters", readU32(b + 24));
      addNumber(entry, "objectType", readU32(b + 28));
      break;
    case simwire::kSubscribeToSystemEvent:
      addNumber(entry, "eventId", readU32(b + 16));
      addText(entry, "eventName", requestText(b, 20));
      break;
    case simwire::kRequestSystemState:
      addNumber(entry, "requestId", readU32(b + 16));
      addText(entry, "stateName", requestText(b, 20));
      break;
    default:
      break;
  }
}

}  // namespace

const char* requestKindName(uint32_t kind) {
  switch (kind) {
    case simwire::kOpen:
      return "Open";
    case simwire::kMapClientEventToSimEvent:
      return "MapClientEventToSimEvent";
    case simwire::kTransmitClientEvent:
      return "TransmitClientEvent";
    case simwire::kAddToDataDefinition:
      return "AddToDataDefinition";
    case simwire::kRequestDataOnSimObjectType:
      return "RequestDataOnSimObjectType";
    case simwire::kSubscribeToSystemEvent:
      return "SubscribeToSystemEvent";
    case simwire::kRequestSystemState:
      return "RequestSystemState";
    default:
      return "Unknown";
  }
}

uint32_t expectedRequestSize(uint32_t kind) {
  switch (kind) {
    case simwire::kOpen:
      return simwire::kOpenSize;
    case simwire::kMapClientEventToSimEvent:
      return simwire::kMapClientEventToSimEventSize;
    case simwire::kTransmitClientEvent:
      return simwire::kTransmitClientEventSize;
    case simwire::kAddToDataDefinition:
      return simwire::kAddToDataDefinitionSize;
    case simwire::kRequestDataOnSimObjectType:
      return simwire::kRequestDataOnSimObjectTypeSize;
    case simwire::kSubscribeToSystemEvent:
      return simwire::kSubscribeToSystemEventSize;
    case simwire::kRequestSystemState:
      return simwire::kRequestSystemStateSize;
    default:
      return 0;
  }
}

std::string requestText(const uint8_t* bytes, size_t offset) {
  return fixedFieldText(bytes + offset, simwire::kStringFieldSize);
}

LoggedRequest decodeRequest(int clientId, const uint8_t* bytes, size_t size) {
  LoggedRequest entry;
  entry.clientId = clientId;
  entry.raw.assign(bytes, bytes + size);
  entry.size = readU32(bytes);
  entry.version = readU32(bytes + 4);
  entry.kind = readU32(bytes + 8);
  entry.sendId = readU32(bytes + 12);
  entry.kindName = requestKindName(entry.kind);
  const uint32_t expected = expectedRequestSize(entry.kind);
  if (expected == 0) {
    entry.note = "unknown request kind";
    return entry;
  }
  if (size < expected) {
    entry.note = "shorter than its kind (" + std::to_string(expected) + " bytes); not acted on";
    return entry;
  }
  decodeFields(bytes, &entry);
  if (size > expected) entry.note = "longer than its kind (" + std::to_string(expected) + " bytes)";
  if (entry.version != simwire::kProtocolVersion && entry.note.empty()) entry.note = "unexpected protocol version";
  return entry;
}

}  // namespace simemu
