#include "tools/sim/sim_messages.h"

#include <algorithm>
#include <cstring>

#include "simlink/simconnect.h"
#include "simlink/wire.h"
#include "tools/sim/wire_bytes.h"

namespace simemu {

namespace {

Message startMessage(uint32_t kind, uint32_t size) {
  Message message(size, 0);
  writeU32(&message[0], size);
  writeU32(&message[4], simwire::kProtocolVersion);
  writeU32(&message[8], kind);
  return message;
}

// Writes text into the field at offset: terminated within it, or (when
// unterminated) filling it completely.
void putText(Message* message, size_t offset, size_t fieldSize, const std::string& text, TextEnding ending) {
  const bool unterminated = ending == TextEnding::kUnterminated;
  const size_t room = unterminated ? fieldSize : fieldSize - 1;
  const size_t length = std::min(text.size(), room);
  std::memcpy(message->data() + offset, text.data(), length);
  if (unterminated) std::fill(message->begin() + offset + length, message->begin() + offset + fieldSize, 'X');
}

}  // namespace

Message openMessage(SimulatorKind kind) {
  const bool is2024 = kind == SimulatorKind::kMsfs2024;
  Message message = startMessage(SIMCONNECT_RECV_ID_OPEN, kMessageHeaderSize + 256 + 8 * 4);
  putText(&message, 12, 256, is2024 ? "SunRise" : "KittyHawk", TextEnding::kTerminated);
  const uint32_t applicationMajor = is2024 ? 12 : simwire::kOpenVersionMajor;
  const uint32_t versions[8] = {applicationMajor,         simwire::kOpenVersionMinor, simwire::kOpenBuildMajor,
                                simwire::kOpenBuildMinor, simwire::kOpenVersionMajor, simwire::kOpenVersionMinor,
                                simwire::kOpenBuildMajor, simwire::kOpenBuildMinor};
  for (int i = 0; i < 8; ++i) writeU32(&message[268 + 4 * i], versions[i]);
  return message;
}

Message eventMessage(uint32_t eventId, uint32_t data) {
  Message message = startMessage(SIMCONNECT_RECV_ID_EVENT, 24);
  writeU32(&message[12], SIMCONNECT_UNUSED);  // no notification group
  writeU32(&message[16], eventId);
  writeU32(&message[20], data);
  return message;
}

Message frameMessage(uint32_t eventId, float frameRate, float simSpeed) {
  Message message = startMessage(SIMCONNECT_RECV_ID_EVENT_FRAME, 32);
  writeU32(&message[12], SIMCONNECT_UNUSED);
  writeU32(&message[16], eventId);
  writeF32(&message[24], frameRate);
  writeF32(&message[28], simSpeed);
  return message;
}

Message fileNameMessage(uint32_t eventId, const std::string& fileName, TextEnding ending) {
  const bool unterminated = ending == TextEnding::kUnterminated;
  Message message = startMessage(SIMCONNECT_RECV_ID_EVENT_FILENAME, 24 + kPathFieldSize + (unterminated ? 0 : 4));
  writeU32(&message[12], SIMCONNECT_UNUSED);
  writeU32(&message[16], eventId);
  putText(&message, 24, kPathFieldSize, fileName, ending);
  return message;  // dwFlags, when present, stays 0
}

Message systemStateMessage(uint32_t requestId, uint32_t integer, float number, const std::string& text,
                           TextEnding ending) {
  Message message = startMessage(SIMCONNECT_RECV_ID_SYSTEM_STATE, 24 + kPathFieldSize);
  writeU32(&message[12], requestId);
  writeU32(&message[16], integer);
  writeF32(&message[20], number);
  putText(&message, 24, kPathFieldSize, text, ending);
  return message;
}

Message objectDataMessage(uint32_t requestId, uint32_t defineId, uint32_t defineCount,
                          const std::vector<uint8_t>& data) {
  Message message = startMessage(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE, static_cast<uint32_t>(40 + data.size()));
  writeU32(&message[12], requestId);
  writeU32(&message[16], kUserObjectId);
  writeU32(&message[20], defineId);
  writeU32(&message[24], 0);  // flags
  writeU32(&message[28], 1);  // entry 1 ...
  writeU32(&message[32], 1);  // ... of 1
  writeU32(&message[36], defineCount);
  std::copy(data.begin(), data.end(), message.begin() + 40);
  return message;
}

Message malformedMessage(uint32_t sizeField, uint32_t kind, uint32_t totalBytes) {
  Message message(totalBytes, 0);
  uint8_t header[12];
  writeU32(header, sizeField);
  writeU32(header + 4, simwire::kProtocolVersion);
  writeU32(header + 8, kind);
  std::memcpy(message.data(), header, std::min<size_t>(totalBytes, sizeof header));
  return message;
}

}  // namespace simemu
